#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "ByteSource.h"

namespace quorrel::test {

// Serves `bytes` in pieces that end at the given cuts (in increasing order), as a file read
// piece by piece would: a read hands out the bytes up to the next cut, and past it only as far
// as it must.
class PieceBytes final : public ByteSource {
  public:
    PieceBytes(std::string_view bytes, std::vector<std::uint64_t> cuts)
        : bytes_(bytes), cuts_(std::move(cuts)) {}

    std::uint64_t size() const override { return bytes_.size(); }
    std::span<const std::uint8_t> Read(std::uint64_t offset, std::size_t need) override {
        const auto cut = std::upper_bound(cuts_.begin(), cuts_.end(), offset);
        std::uint64_t end = std::max(cut == cuts_.end() ? size() : *cut, offset + need);
        return All().subspan(offset, std::min(end, size()) - offset);
    }
    std::span<const std::uint8_t> ReadBefore(std::uint64_t end, std::size_t need) override {
        const auto cut = std::lower_bound(cuts_.begin(), cuts_.end(), end);
        std::uint64_t start = cut == cuts_.begin() ? 0 : *(cut - 1);
        start = std::min(start, end - std::min<std::uint64_t>(need, end));
        return All().subspan(start, end - start);
    }

  private:
    std::span<const std::uint8_t> All() const {
        return {reinterpret_cast<const std::uint8_t*>(bytes_.data()), bytes_.size()};
    }

    std::string_view bytes_;
    std::vector<std::uint64_t> cuts_;
};

}  // namespace quorrel::test
