// The DIFF road: the open-time check, then the composition without an image, with an image made
// from the input, and with an image whose read failed. The text is parsed back and held against
// an independent walk of the blocks.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ComposeSmpPatch.h"
#include "FileChecks.h"
#include "FuzzRequire.h"
#include "LoadedFile.h"
#include "Messages.h"

namespace {

using quorrel::ComposedPatch;
using quorrel::LoadedFile;

constexpr std::string_view kId = "01020304";
constexpr std::string_view kCrLf = "\r\n";

std::uint32_t Le32(std::string_view bytes, std::uint64_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::uint64_t>(i)]);
    }
    return value;
}

struct ExpectedChange {
    std::uint32_t offset;
    std::string_view to;
    std::optional<std::string_view> from;
};

struct ExpectedWalk {
    std::vector<ExpectedChange> changes;  // those before the error, if there is one
    bool malformed = false;
};

// The walk as the file format and its pinned rules describe it, written for clarity only.
ExpectedWalk Walk(std::string_view diff, std::string_view image, bool hasImage) {
    ExpectedWalk walk;
    const std::uint64_t size = diff.size();
    std::uint64_t p = 32;
    while (p < size) {
        if (p + 12 > size || diff.substr(p, 4) != "FBLK") {
            walk.malformed = true;
            return walk;
        }
        const std::uint64_t count = Le32(diff, p + 8);
        if (diff.substr(p + 4, 4) == "NORD") {
            if (count < 4 || p + 12 + count > size) {
                walk.malformed = true;
                return walk;
            }
            ExpectedChange change{Le32(diff, p + 12), diff.substr(p + 16, count - 4), {}};
            if (hasImage && change.offset + count < image.size()) {
                change.from = image.substr(change.offset, count - 4);
            }
            walk.changes.push_back(change);
            p += 12 + count;
        } else {
            if (count == 0) {
                walk.malformed = true;
                return walk;
            }
            p += count;
        }
    }
    return walk;
}

quorrel::PatchInfo Info(std::string firmware) {
    quorrel::PatchInfo info;
    info.formatVersion = "0.3";
    info.title = "T\"<&>";  // written as typed, no escaping
    info.group = "\xC3\xF0\xF3\xEF\xEF\xE0";
    info.version = 4294967295u;
    info.description = "d";
    info.author = {"n", "f", "e", "w", "i"};
    info.firmware = std::move(firmware);
    return info;
}

std::string ExpectedHead(const quorrel::PatchInfo& info, std::string_view id) {
    return "<?xml version=\"1.0\" encoding=\"Windows-1251\"?>\r\n<patch version=\"0.3\">\r\n"
           " <info title=\"T\"<&>\" id=\"" +
           std::string(id) +
           "\" group=\"\xC3\xF0\xF3\xEF\xEF\xE0\" version=\"4294967295\">\r\n"
           "  <description short=\"d\"/>\r\n"
           "  <author nickname=\"n\" fullname=\"f\" email=\"e\" www=\"w\" icq=\"i\"/>\r\n"
           " </info>\r\n <patchdata firmware=\"" +
           info.firmware + "\">\r\n  <changes>\r\n";
}

bool IsLowerHex(std::string_view digits) {
    for (const char c : digits) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

unsigned HexValue(char c) {
    return c <= '9' ? static_cast<unsigned>(c - '0') : static_cast<unsigned>(c - 'a' + 10);
}

// Whether `digits` are the lower-case hex form of `bytes`, two digits a byte.
bool HexOf(std::string_view digits, std::string_view bytes) {
    if (digits.size() != 2 * bytes.size() || !IsLowerHex(digits)) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned value = HexValue(digits[2 * i]) << 4 | HexValue(digits[2 * i + 1]);
        if (value != static_cast<std::uint8_t>(bytes[i])) {
            return false;
        }
    }
    return true;
}

// Takes `prefix` off the front of `rest`, or fails.
bool Eat(std::string_view& rest, std::string_view prefix) {
    if (rest.substr(0, prefix.size()) != prefix) {
        return false;
    }
    rest.remove_prefix(prefix.size());
    return true;
}

// Takes the text up to the next double quote (which is eaten too).
std::string_view UpToQuote(std::string_view& rest) {
    const std::size_t quote = rest.find('"');
    QUORREL_REQUIRE(quote != std::string_view::npos);
    const std::string_view value = rest.substr(0, quote);
    rest.remove_prefix(quote + 1);
    return value;
}

void CheckChangeLine(std::string_view line, const ExpectedChange& change) {
    QUORREL_REQUIRE(Eat(line, "   <nord offset=\"0x"));
    const std::string_view offset = UpToQuote(line);
    QUORREL_REQUIRE(offset.size() >= 6 && offset.size() <= 8 && IsLowerHex(offset));
    // At least six digits, and no zero padding beyond them.
    QUORREL_REQUIRE(offset.size() == 6 || offset[0] != '0');
    std::uint32_t value = 0;
    for (const char c : offset) {
        value = value << 4 | HexValue(c);
    }
    QUORREL_REQUIRE(value == change.offset);
    if (change.from) {
        QUORREL_REQUIRE(Eat(line, " from=\""));
        QUORREL_REQUIRE(HexOf(UpToQuote(line), *change.from));
    }
    QUORREL_REQUIRE(Eat(line, " to=\""));
    QUORREL_REQUIRE(HexOf(UpToQuote(line), change.to));
    QUORREL_REQUIRE(line == " />");
}

void CheckPatch(const ComposedPatch& patch, const quorrel::PatchInfo& info, std::string_view id,
                const ExpectedWalk& walk) {
    if (walk.malformed) {
        QUORREL_REQUIRE(patch.error == quorrel::msg::kBadDiffBlocks.view());
    } else {
        QUORREL_REQUIRE(patch.error.empty());
    }
    std::string_view rest = patch.text;
    QUORREL_REQUIRE(Eat(rest, ExpectedHead(info, id)));
    // Lines end with CR LF, and nothing else holds a CR or LF.
    for (const ExpectedChange& change : walk.changes) {
        const std::size_t end = rest.find(kCrLf);
        QUORREL_REQUIRE(end != std::string_view::npos);
        const std::string_view line = rest.substr(0, end);
        QUORREL_REQUIRE(line.find_first_of("\r\n") == std::string_view::npos);
        CheckChangeLine(line, change);
        rest.remove_prefix(end + kCrLf.size());
    }
    QUORREL_REQUIRE(rest == "  </changes>\r\n </patchdata>\r\n</patch>");
}

bool IsUpperHexId(std::string_view id) {
    if (id.size() != 8) {
        return false;
    }
    for (const char c : id) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    for (std::size_t group = 0; group < 8; group += 2) {
        if (id.substr(group, 2) == "FF") {
            return false;
        }
    }
    return true;
}

void CheckDrawnId(const quorrel::PatchInfo& info, const LoadedFile& diff,
                  const ComposedPatch& withFixedId) {
    const ComposedPatch drawn = quorrel::ComposeSmpPatch(info, diff, nullptr);
    constexpr std::string_view kIdOpen = "\" id=\"";
    const std::size_t at = drawn.text.find(kIdOpen);
    QUORREL_REQUIRE(at != std::string::npos);
    const std::string_view id = std::string_view(drawn.text).substr(at + kIdOpen.size(), 8);
    QUORREL_REQUIRE(IsUpperHexId(id));
    std::string same = drawn.text;
    same.replace(at + kIdOpen.size(), 8, kId);
    QUORREL_REQUIRE(same == withFixedId.text);
    QUORREL_REQUIRE(drawn.error == withFixedId.error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const LoadedFile diff = LoadedFile::FromBytes(input);
    const quorrel::DiffCheck check = quorrel::CheckDiffFile(diff);

    const bool wellFormedHeader =
        size >= 32 && input.substr(0, 4) == "SPFD" && input.substr(4, 4) == "SGHA";
    QUORREL_REQUIRE(check.accepted == wellFormedHeader);
    if (!check.accepted) {
        QUORREL_REQUIRE(!check.message.empty() && check.firmwareName.empty());
        if (size >= 32 && input.substr(0, 4) == "SPFD") {
            // The class is named in the message, cut at its first zero byte.
            const std::string_view field = input.substr(4, 4);
            const std::string_view phoneClass = field.substr(0, field.find('\0'));
            QUORREL_REQUIRE(check.message.find(phoneClass) != std::string::npos);
        } else {
            QUORREL_REQUIRE(check.message == quorrel::msg::kBadDiffFormat.view());
        }
        return 0;
    }
    QUORREL_REQUIRE(check.message.empty());
    const std::string_view name = input.substr(8, 16);
    QUORREL_REQUIRE(check.firmwareName == name.substr(0, name.find('\0')));

    // An image that differs from the DIFF in every byte, so old and new bytes cannot be confused.
    std::string imageBytes(input);
    for (char& c : imageBytes) {
        c = static_cast<char>(c ^ 0x5A);
    }
    const LoadedFile image = LoadedFile::FromBytes(imageBytes);
    const LoadedFile failedImage;

    const quorrel::PatchInfo info = Info(check.firmwareName);
    const ComposedPatch bare = quorrel::ComposeSmpPatchWithId(info, kId, diff, nullptr);
    CheckPatch(bare, info, kId, Walk(input, {}, false));
    const ComposedPatch withImage = quorrel::ComposeSmpPatchWithId(info, kId, diff, &image);
    CheckPatch(withImage, info, kId, Walk(input, imageBytes, true));
    const ComposedPatch withFailedImage =
        quorrel::ComposeSmpPatchWithId(info, kId, diff, &failedImage);
    QUORREL_REQUIRE(withFailedImage.text == bare.text && withFailedImage.error == bare.error);
    CheckDrawnId(info, diff, bare);
    return 0;
}
