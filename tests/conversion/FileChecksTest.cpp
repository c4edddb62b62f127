#include <gtest/gtest.h>

#include <tuple>

#include "Cp1251Literal.h"
#include "DiffBuilder.h"
#include "FileChecks.h"
#include "Messages.h"

namespace quorrel {
namespace {

using test::DiffBuilder;

// The firmware names of accepted DIFFs (up to the first zero, at most 16 bytes) are held against
// the header by fuzz/DiffRoadFuzz.cpp on its seeds; here the messages.
TEST(CheckDiffFile, JudgesTheHeader) {
    constexpr Cp1251Literal sghx = "Неизвестный класс телефона 'SGHX'!";
    constexpr Cp1251Literal none = "Неизвестный класс телефона ''!";
    // The class field up to its first zero, its bytes unchanged.
    const auto unknown = [&](std::string_view phoneClass) {
        std::string message(none.view());
        return message.insert(message.size() - 2, phoneClass);
    };
    const std::string raw("\xC0\xFF\x01Z", 4);
    const std::string bad(msg::kBadDiffFormat.view());
    // Bytes, message (empty: accepted), firmware name.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"", bad, ""},
        {DiffBuilder().bytes().substr(0, 31), bad, ""},
        {DiffBuilder("FW", "SGHA", "SPFX").bytes(), bad, ""},
        {DiffBuilder("FW", "SGHX").bytes(), std::string(sghx.view()), ""},
        {DiffBuilder("FW", std::string_view("ABC\0", 4)).bytes(), unknown("ABC"), ""},
        {DiffBuilder("FW", std::string_view("\0GHA", 4)).bytes(), unknown(""), ""},
        {DiffBuilder("FW", raw).bytes(), unknown(raw), ""},
        {DiffBuilder("FW", "sgha").bytes(), unknown("sgha"), ""},
        {DiffBuilder("E250XXKB1").bytes(), "", "E250XXKB1"},
    };
    for (const auto& [bytes, message, firmware] : cases) {
        const DiffCheck check = CheckDiffFile(LoadedFile::FromBytes(bytes));
        EXPECT_EQ(check.accepted, message.empty()) << bytes;
        EXPECT_EQ(check.message, message) << bytes;
        EXPECT_EQ(check.firmwareName, firmware) << bytes;
    }
    EXPECT_EQ(CheckDiffFile(LoadedFile{}).message, msg::kReadError.view());
    EXPECT_FALSE(CheckDiffFile(LoadedFile{}).accepted);
}

TEST(CheckFirmwareImage, SizeBoundary) {
    for (const std::size_t size : {0u, 11'499'999u, 11'500'000u, 11'500'001u}) {
        const bool accepted = size >= 11'500'000u;
        const ImageCheck check = CheckFirmwareImage(LoadedFile::FromBytes(std::string(size, 'x')));
        EXPECT_EQ(check.accepted, accepted) << "size " << size;
        EXPECT_EQ(check.message, accepted ? "" : msg::kBadImage.view()) << "size " << size;
    }
    EXPECT_FALSE(CheckFirmwareImage(LoadedFile{}).accepted);
    EXPECT_EQ(CheckFirmwareImage(LoadedFile{}).message, msg::kBadImage.view());
}

}  // namespace
}  // namespace quorrel
