#include "DiffWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "DiffFormat.h"

namespace quorrel {

namespace {

// A block held nowhere whole is read in pieces of at most this size.
constexpr std::size_t kPiece = std::size_t{256} << 10;

class BufferedSink {
  public:
    BufferedSink(const TextSink& sink, std::size_t chunk)
        : sink_(sink), capacity_(std::max<std::size_t>(chunk, 64)), buffer_(new char[capacity_]) {}

    bool failed() const { return failed_; }

    void Put(const void* bytes, std::size_t n) {
        const char* from = static_cast<const char*>(bytes);
        while (n > 0) {
            if (used_ == capacity_) {
                Flush();
            }
            const std::size_t take = std::min(n, capacity_ - used_);
            std::memcpy(buffer_.get() + used_, from, take);
            used_ += take;
            from += take;
            n -= take;
        }
    }

    void PutLe32(std::uint32_t value) {
        const unsigned char bytes[4] = {
            static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
        Put(bytes, 4);
    }

    void Flush() {
        if (used_ > 0 && !failed_) {
            failed_ = !sink_(std::string_view(buffer_.get(), used_));
        }
        used_ = 0;
    }

  private:
    const TextSink& sink_;
    const std::size_t capacity_;
    const std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace

StreamOutcome WriteDiff(std::string_view firmware, BlockSource& blocks, const TextSink& sink,
                        std::size_t chunk) {
    BufferedSink out(sink, chunk);
    char header[diff::kHeaderSize] = {};
    std::memcpy(header, diff::kMagic.data(), 4);
    std::memcpy(header + 4, diff::kPhoneClass.data(), 4);
    std::memcpy(header + diff::kFirmwareNameOffset, firmware.data(),
                std::min<std::size_t>(firmware.size(), diff::kFirmwareNameSize));
    out.Put(header, sizeof header);
    BlockStart block;
    while (!out.failed() && blocks.Next(block)) {
        out.Put(diff::kBlockTag.data(), 4);
        out.Put(diff::kNordType.data(), 4);
        out.PutLe32(block.count + 4);
        out.PutLe32(block.offset);
        for (std::size_t left = block.count; left > 0;) {
            const std::span<const std::uint8_t> bytes = blocks.Take(std::min(left, kPiece));
            if (bytes.empty()) {
                return {blocks.error(), false, false};
            }
            out.Put(bytes.data(), bytes.size());
            left -= bytes.size();
        }
    }
    if (!blocks.error().empty()) {
        return {blocks.error(), false, false};
    }
    out.Flush();
    return {{}, false, out.failed()};
}

}  // namespace quorrel
