#pragma once

#include <optional>

#include "ByteSource.h"
#include "PatchChanges.h"
#include "SmpReader.h"

namespace quorrel {

// The changes of an SMP patch text read through `text` (which must outlive it), each walk a new
// read of the text, each change's bytes decoded from the text when asked for.
class SmpTextChanges final : public PatchChanges {
  public:
    explicit SmpTextChanges(ByteSource& text) : text_(text) {}

    void Rewind() override { reader_.emplace(text_); }
    bool Next(ChangeHead& change) override;
    bool Bytes(bool from, std::uint64_t skip, std::size_t n, std::uint8_t* out) override {
        return reader_->Decode(from ? current_.fromAt : current_.toAt, skip, n, out);
    }
    std::string_view error() const override {
        return reader_ ? std::string_view(reader_->error()) : std::string_view();
    }

  private:
    ByteSource& text_;
    std::optional<SmpReader> reader_;
    SmpChangeAt current_;
};

}  // namespace quorrel
