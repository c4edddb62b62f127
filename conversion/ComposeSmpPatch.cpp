#include "ComposeSmpPatch.h"

#include <cstring>

#include "DiffFormat.h"
#include "HexEncoder.h"
#include "MakePatchId.h"
#include "Messages.h"

namespace quorrel {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kNordOpen = "   <nord offset=\"0x";
constexpr std::string_view kFromOpen = "\" from=\"";
constexpr std::string_view kToOpen = "\" to=\"";
constexpr std::string_view kNordClose = "\" />\r\n";
constexpr std::string_view kTail = "  </changes>\r\n </patchdata>\r\n</patch>";

std::size_t OffsetDigits(std::uint32_t offset) {
    std::size_t digits = 1;
    while (digits < 8 && offset >> (4 * digits) != 0) {  // a shift by 32 would be undefined
        ++digits;
    }
    return digits < 6 ? 6 : digits;
}

char* PutOffset(char* out, std::uint32_t offset) {
    constexpr char digits[] = "0123456789abcdef";
    const std::size_t n = OffsetDigits(offset);
    for (std::size_t i = 0; i < n; ++i) {
        out[n - 1 - i] = digits[(offset >> (4 * i)) & 0xFu];
    }
    return out + n;
}

char* Put(char* out, std::string_view s) {
    std::memcpy(out, s.data(), s.size());
    return out + s.size();
}

struct Nord {
    std::uint32_t offset;
    const std::uint8_t* newBytes;
    const std::uint8_t* oldBytes;  // null when the image does not cover the block
    std::size_t count;             // bytes replaced
};

// Walks the blocks after the header, calling `onNord` for each NORD block in order. Returns the
// error text, empty when the walk reached the end. Never reads outside the contents.
template <typename OnNord>
std::string_view WalkBlocks(const LoadedFile& diff, const LoadedFile* image, OnNord&& onNord) {
    const std::uint64_t size = diff.size();
    const std::uint8_t* const bytes = diff.data();
    std::uint64_t p = diff::kHeaderSize;
    while (p < size) {
        if (size - p < diff::kBlockHeaderSize || !diff::FieldIs(bytes + p, diff::kBlockTag)) {
            return msg::kBadDiffBlocks;
        }
        const std::uint64_t count = diff::ReadLe32(bytes + p + 8);
        if (diff::FieldIs(bytes + p + 4, diff::kNordType)) {
            if (count < 4 || count > size - p - diff::kBlockHeaderSize) {
                return msg::kBadDiffBlocks;
            }
            Nord nord{diff::ReadLe32(bytes + p + 12), bytes + p + 16, nullptr,
                      static_cast<std::size_t>(count - 4)};
            if (image != nullptr && nord.offset + count < image->size()) {
                nord.oldBytes = image->data() + nord.offset;
            }
            onNord(nord);
            p += diff::kBlockHeaderSize + count;
        } else {
            if (count == 0) {
                return msg::kBadDiffBlocks;  // it would hold the walk in place for ever
            }
            p += count;
        }
    }
    return {};
}

std::size_t NordLineSize(const Nord& nord) {
    std::size_t n = kNordOpen.size() + OffsetDigits(nord.offset) + kToOpen.size() + 2 * nord.count +
                    kNordClose.size();
    if (nord.oldBytes != nullptr) {
        n += kFromOpen.size() + 2 * nord.count;
    }
    return n;
}

char* PutNordLine(char* out, const Nord& nord) {
    out = Put(out, kNordOpen);
    out = PutOffset(out, nord.offset);
    if (nord.oldBytes != nullptr) {
        out = Put(out, kFromOpen);
        out = PutHex(out, nord.oldBytes, nord.count);
    }
    out = Put(out, kToOpen);
    out = PutHex(out, nord.newBytes, nord.count);
    return Put(out, kNordClose);
}

std::string ComposeHead(const PatchInfo& info, std::string_view id) {
    std::string head;
    head.reserve(512);
    head += "<?xml version=\"1.0\" encoding=\"Windows-1251\"?>\r\n";
    head += "<patch version=\"" + info.formatVersion + "\">\r\n";
    head += " <info title=\"" + info.title + "\" id=\"";
    head += id;
    head += "\" group=\"" + info.group + "\" version=\"" + std::to_string(info.version) + "\">\r\n";
    head += "  <description short=\"" + info.description + "\"/>\r\n";
    const AuthorInfo& a = info.author;
    head += "  <author nickname=\"" + a.nickname + "\" fullname=\"" + a.fullname + "\" email=\"" +
            a.email + "\" www=\"" + a.www + "\" icq=\"" + a.icq + "\"/>\r\n";
    head += " </info>\r\n";
    head += " <patchdata firmware=\"" + info.firmware + "\">\r\n";
    head += "  <changes>";
    head += kCrLf;
    return head;
}

}  // namespace

ComposedPatch ComposeSmpPatchWithId(const PatchInfo& info, std::string_view id,
                                    const LoadedFile& diff, const LoadedFile* image) {
    if (image != nullptr && image->failed()) {
        image = nullptr;
    }
    ComposedPatch result;
    if (diff.failed() || diff.size() < diff::kHeaderSize) {
        result.error = msg::kBadDiffBlocks;
        return result;
    }
    const std::string head = ComposeHead(info, id);

    // The exact size first, so the text is allocated once and written in place.
    std::size_t total = head.size() + kTail.size();
    WalkBlocks(diff, image, [&](const Nord& nord) { total += NordLineSize(nord); });

    result.text.resize(total);
    char* out = Put(result.text.data(), head);
    result.error = WalkBlocks(diff, image, [&](const Nord& nord) { out = PutNordLine(out, nord); });
    Put(out, kTail);
    return result;
}

ComposedPatch ComposeSmpPatch(const PatchInfo& info, const LoadedFile& diff,
                              const LoadedFile* image) {
    return ComposeSmpPatchWithId(info, MakePatchId(), diff, image);
}

}  // namespace quorrel
