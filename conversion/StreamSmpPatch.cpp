#include "StreamSmpPatch.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "HexEncoder.h"
#include "Messages.h"

namespace quorrel {

namespace {

constexpr std::string_view kNordOpen = "   <nord offset=\"0x";
constexpr std::string_view kFromOpen = "\" from=\"";
constexpr std::string_view kToOpen = "\" to=\"";
constexpr std::string_view kNordClose = "\" />\r\n";
constexpr std::string_view kTail = "  </changes>\r\n </patchdata>\r\n</patch>";
// Old bytes are read and encoded in pieces of at most this size.
constexpr std::size_t kPiece = std::size_t{256} << 10;

std::size_t OffsetDigits(std::uint32_t offset) {
    std::size_t digits = 1;
    while (digits < 8 && offset >> (4 * digits) != 0) {  // a shift by 32 would be undefined
        ++digits;
    }
    return digits < 6 ? 6 : digits;
}

std::string_view PutOffset(char (&out)[8], std::uint32_t offset) {
    constexpr char digits[] = "0123456789abcdef";
    const std::size_t n = OffsetDigits(offset);
    for (std::size_t i = 0; i < n; ++i) {
        out[n - 1 - i] = digits[(offset >> (4 * i)) & 0xFu];
    }
    return {out, n};
}

std::string Head(const PatchInfo& info, std::string_view id) {
    const AuthorInfo& a = info.author;
    const std::string version = std::to_string(info.version);
    const std::string_view parts[] = {
        "<?xml version=\"1.0\" encoding=\"Windows-1251\"?>\r\n<patch version=\"",
        info.formatVersion,
        "\">\r\n <info title=\"",
        info.title,
        "\" id=\"",
        id,
        "\" group=\"",
        info.group,
        "\" version=\"",
        version,
        "\">\r\n  <description short=\"",
        info.description,
        "\"/>\r\n  <author nickname=\"",
        a.nickname,
        "\" fullname=\"",
        a.fullname,
        "\" email=\"",
        a.email,
        "\" www=\"",
        a.www,
        "\" icq=\"",
        a.icq,
        "\"/>\r\n </info>\r\n <patchdata firmware=\"",
        info.firmware,
        "\">\r\n  <changes>\r\n",
    };
    std::string head;
    for (const std::string_view part : parts) {
        head.append(part);
    }
    return head;
}

bool HasOldBytes(const BlockStart& block, const FirmwareBytes* image, OldBytesReach reach) {
    const std::uint64_t end = std::uint64_t{block.offset} + block.count;
    return image != nullptr &&
           (reach == OldBytesReach::ToTheEnd ? end <= image->size() : end + 4 < image->size());
}

std::size_t NordLineSize(const BlockStart& block, bool old) {
    const std::size_t digits = 2 * std::size_t{block.count};
    return kNordOpen.size() + OffsetDigits(block.offset) + (old ? kFromOpen.size() + digits : 0) +
           kToOpen.size() + digits + kNordClose.size();
}

// The text in the making: one buffer, handed to the sink whenever it is full.
class ChunkWriter {
  public:
    ChunkWriter(const TextSink& sink, std::size_t chunk)
        : sink_(sink), capacity_(std::max<std::size_t>(chunk, 64)), buffer_(new char[capacity_]) {}

    bool failed() const { return failed_; }

    void Put(std::string_view text) {
        while (!text.empty()) {
            if (used_ == capacity_) {
                Flush();
            }
            const std::size_t n = std::min(text.size(), capacity_ - used_);
            std::memcpy(buffer_.get() + used_, text.data(), n);
            used_ += n;
            text.remove_prefix(n);
        }
    }

    void PutHex(const std::uint8_t* bytes, std::size_t n) {
        while (n > 0) {
            const std::size_t room = (capacity_ - used_) / 2;
            if (room == 0) {
                Flush();
                continue;
            }
            const std::size_t take = std::min(n, room);
            quorrel::PutHex(buffer_.get() + used_, bytes, take);
            used_ += 2 * take;
            bytes += take;
            n -= take;
        }
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

StreamOutcome StreamSmpPatch(const PatchInfo& info, std::string_view id, BlockSource& blocks,
                             FirmwareBytes* image, const TextSink& sink, std::size_t chunk,
                             OldBytesReach reach) {
    ChunkWriter out(sink, chunk);
    out.Put(Head(info, id));
    BlockStart block;
    while (!out.failed() && blocks.Next(block)) {
        char digits[8];
        out.Put(kNordOpen);
        out.Put(PutOffset(digits, block.offset));
        if (HasOldBytes(block, image, reach)) {
            out.Put(kFromOpen);
            for (std::size_t done = 0; done < block.count;) {
                const std::size_t n = std::min(kPiece, block.count - done);
                const std::uint8_t* old =
                    image->Read(block.offset + static_cast<std::uint32_t>(done), n);
                if (old == nullptr) {
                    return {msg::kReadError, true, false};
                }
                out.PutHex(old, n);
                done += n;
            }
        }
        out.Put(kToOpen);
        for (std::size_t left = block.count; left > 0;) {
            const std::span<const std::uint8_t> bytes = blocks.Take(std::min(kPiece, left));
            if (bytes.empty()) {
                break;  // the source failed; its error ends the text below
            }
            out.PutHex(bytes.data(), bytes.size());
            left -= bytes.size();
        }
        out.Put(kNordClose);
    }
    out.Put(kTail);
    out.Flush();
    if (out.failed()) {
        return {{}, false, true};
    }
    return {blocks.error(), false, false};
}

std::string_view CheckBlocks(BlockSource& blocks) {
    BlockStart block;
    while (blocks.Next(block)) {
    }
    return blocks.error();
}

std::size_t SmpPatchSize(const PatchInfo& info, std::string_view id, BlockSource& blocks,
                         const FirmwareBytes* image, OldBytesReach reach) {
    std::size_t size = Head(info, id).size() + kTail.size();
    BlockStart block;
    while (blocks.Next(block)) {
        size += NordLineSize(block, HasOldBytes(block, image, reach));
    }
    return size;
}

}  // namespace quorrel
