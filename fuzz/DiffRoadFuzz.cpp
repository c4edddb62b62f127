// The DIFF road: the open-time check, then the composition without an image, with an image made
// from the input, and with an image whose read failed, each held against the text an
// independent walk of the blocks predicts.
#include <cstdint>
#include <string>
#include <string_view>

#include "ComposeSmpPatch.h"
#include "FileChecks.h"
#include "FuzzRequire.h"
#include "LoadedFile.h"
#include "MakePatchId.h"
#include "Messages.h"

namespace {

using quorrel::ComposedPatch;
using quorrel::LoadedFile;

constexpr std::string_view kId = "01020304";

std::uint32_t Le32(std::string_view bytes, std::uint64_t at) {
    std::uint32_t value = 0;
    for (std::uint64_t i = 4; i-- > 0;) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return value;
}

// The change lines the blocks call for, and whether the walk met a malformed block (the lines
// stop there). Old bytes come only from an image that ends after the block does.
std::pair<std::string, bool> Walk(std::string_view diff, const std::string* image) {
    std::string lines;
    for (std::uint64_t p = 32; p < diff.size();) {
        if (p + 12 > diff.size() || diff.substr(p, 4) != "FBLK") {
            return {lines, true};
        }
        const std::uint64_t count = Le32(diff, p + 8);
        if (diff.substr(p + 4, 4) != "NORD") {
            if (count == 0) {
                return {lines, true};
            }
            p += count;
            continue;
        }
        if (count < 4 || p + 12 + count > diff.size()) {
            return {lines, true};
        }
        const std::uint32_t offset = Le32(diff, p + 12);
        std::optional<std::string_view> from;
        if (image != nullptr && offset + count < image->size()) {
            from = std::string_view(*image).substr(offset, count - 4);
        }
        lines += NordLine(offset, from, diff.substr(p + 16, count - 4));
        p += 12 + count;
    }
    return {lines, false};
}

void Check(const ComposedPatch& patch, const quorrel::PatchInfo& info, std::string_view input,
           const std::string* image) {
    const auto [lines, malformed] = Walk(input, image);
    QUORREL_REQUIRE(patch.error == (malformed ? quorrel::msg::kBadDiffBlocks.view() : ""));
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"Windows-1251\"?>\r\n<patch version=\"0.3\">\r\n"
        " <info title=\"T\"<&>\" id=\"01020304\" group=\"\xC3\xF0\" version=\"4294967295\">\r\n"
        "  <description short=\"d\"/>\r\n"
        "  <author nickname=\"n\" fullname=\"f\" email=\"e\" www=\"w\" icq=\"i\"/>\r\n"
        " </info>\r\n <patchdata firmware=\"" +
        info.firmware + "\">\r\n  <changes>\r\n";
    QUORREL_REQUIRE(patch.text == head + lines + "  </changes>\r\n </patchdata>\r\n</patch>");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const LoadedFile diff = LoadedFile::FromBytes(input);
    const quorrel::DiffCheck check = quorrel::CheckDiffFile(diff);

    const bool knownMagic = size >= 32 && input.substr(0, 4) == "SPFD";
    QUORREL_REQUIRE(check.accepted == (knownMagic && input.substr(4, 4) == "SGHA"));
    // The messages of refused headers are in tests/conversion/FileChecksTest.cpp.
    if (!check.accepted) {
        QUORREL_REQUIRE(!check.message.empty() && check.firmwareName.empty());
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
    const quorrel::AuthorInfo author{"n", "f", "e", "w", "i"};
    const quorrel::PatchInfo info{"0.3", "T\"<&>", "\xC3\xF0",        4294967295u,
                                  "d",   author,   check.firmwareName};
    const ComposedPatch bare = quorrel::ComposeSmpPatchWithId(info, kId, diff, nullptr);
    Check(bare, info, input, nullptr);
    Check(quorrel::ComposeSmpPatchWithId(info, kId, diff, &image), info, input, &imageBytes);
    Check(quorrel::ComposeSmpPatchWithId(info, kId, diff, &failedImage), info, input, nullptr);

    ComposedPatch drawn = quorrel::ComposeSmpPatch(info, diff, nullptr);
    const std::size_t at = drawn.text.find("\" id=\"") + 6;
    QUORREL_REQUIRE(quorrel::IsPatchId(drawn.text.substr(at, 8)));
    QUORREL_REQUIRE(drawn.text.replace(at, 8, kId) == bare.text && drawn.error == bare.error);
    return 0;
}
