#pragma once

#include "BlockSource.h"
#include "ByteSource.h"

namespace quorrel {

// The NORD blocks of a DIFF file, whose header (kHeaderSize bytes) was checked before, read
// through `diff`, which must outlive it. A block that does not fit the file ends the walk with
// kBadDiffBlocks, a failed read with kReadError; nothing is read outside the file.
class DiffBlockSource final : public BlockSource {
  public:
    explicit DiffBlockSource(ByteSource& diff) : diff_(diff) {}

    bool Next(BlockStart& block) override;
    std::span<const std::uint8_t> Take(std::size_t max) override;
    std::string_view error() const override { return error_; }

  private:
    bool Fail(std::string_view error);

    ByteSource& diff_;
    std::uint64_t next_ = 0;  // the next block header; 0 before the first
    std::uint64_t bytesAt_ = 0;
    std::uint32_t bytesLeft_ = 0;
    bool ended_ = false;
    std::string_view error_;
};

}  // namespace quorrel
