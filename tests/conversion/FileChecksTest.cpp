#include <gtest/gtest.h>

#include "Cp1251Literal.h"
#include "DiffBuilder.h"
#include "FileChecks.h"
#include "Messages.h"

namespace quorrel {
namespace {

using test::DiffBuilder;

DiffCheck CheckBytes(std::string_view bytes) {
    return CheckDiffFile(LoadedFile::FromBytes(bytes));
}

TEST(CheckDiffFile, FailedReadGivesReadError) {
    const DiffCheck check = CheckDiffFile(LoadedFile{});
    EXPECT_FALSE(check.accepted);
    EXPECT_EQ(check.message, msg::kReadError.view());
}

TEST(CheckDiffFile, ShortOrWrongMagicIsBadFormat) {
    const std::string good = DiffBuilder().bytes();
    const std::string cases[] = {"", good.substr(0, 31), "SPF",
                                 DiffBuilder("FW", "SGHA", "SPFX").bytes(),
                                 DiffBuilder("FW", "SGHA", "spfd").bytes()};
    for (const auto& bytes : cases) {
        const DiffCheck check = CheckBytes(bytes);
        EXPECT_FALSE(check.accepted) << "size " << bytes.size();
        EXPECT_EQ(check.message, msg::kBadDiffFormat.view()) << "size " << bytes.size();
        EXPECT_EQ(check.firmwareName, "");
    }
}

TEST(CheckDiffFile, ExactHeaderIsAccepted) {
    const DiffCheck check = CheckBytes(DiffBuilder("E250XXKB1").bytes());
    EXPECT_TRUE(check.accepted);
    EXPECT_EQ(check.message, "");
    EXPECT_EQ(check.firmwareName, "E250XXKB1");
}

TEST(CheckDiffFile, UnknownClassIsNamed) {
    constexpr Cp1251Literal sghx = "Неизвестный класс телефона 'SGHX'!";
    constexpr Cp1251Literal abc = "Неизвестный класс телефона 'ABC'!";
    constexpr Cp1251Literal none = "Неизвестный класс телефона ''!";
    EXPECT_EQ(CheckBytes(DiffBuilder("FW", "SGHX").bytes()).message, sghx.view());
    EXPECT_EQ(CheckBytes(DiffBuilder("FW", std::string_view("ABC\0", 4)).bytes()).message,
              abc.view());
    EXPECT_EQ(CheckBytes(DiffBuilder("FW", std::string_view("\0GHA", 4)).bytes()).message,
              none.view());
    EXPECT_FALSE(CheckBytes(DiffBuilder("FW", "sgha").bytes()).accepted);
}

TEST(CheckDiffFile, ClassBytesPassIntoTheMessageUnchanged) {
    const std::string raw("\xC0\xFF\x01Z", 4);
    const DiffCheck check = CheckBytes(DiffBuilder("FW", raw).bytes());
    EXPECT_NE(check.message.find("'" + raw + "'"), std::string::npos);
}

TEST(CheckDiffFile, FirmwareNameEndsAtZeroOrAfter16Bytes) {
    EXPECT_EQ(CheckBytes(DiffBuilder("ABCDEFGHIJKLMNOP").bytes()).firmwareName, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(CheckBytes(DiffBuilder("ABC").bytes()).firmwareName, "ABC");
    EXPECT_EQ(CheckBytes(DiffBuilder("").bytes()).firmwareName, "");
    // The 8 bytes after the name are not part of it even when non-zero.
    std::string bytes = DiffBuilder("ABCDEFGHIJKLMNOP").bytes();
    bytes[24] = 'Q';
    EXPECT_EQ(CheckBytes(bytes).firmwareName, "ABCDEFGHIJKLMNOP");
    const std::string cyrillic("\xCF\xF0\xEE\xF8\xE8\xE2\xEA\xE0", 8);
    EXPECT_EQ(CheckBytes(DiffBuilder(cyrillic).bytes()).firmwareName, cyrillic);
}

TEST(CheckFirmwareImage, SizeBoundary) {
    struct Case {
        std::size_t size;
        bool accepted;
    };
    for (const Case c : {Case{0, false}, Case{11'499'999, false}, Case{11'500'000, true},
                         Case{11'500'001, true}}) {
        const ImageCheck check =
            CheckFirmwareImage(LoadedFile::FromBytes(std::string(c.size, 'x')));
        EXPECT_EQ(check.accepted, c.accepted) << "size " << c.size;
        EXPECT_EQ(check.message, c.accepted ? "" : msg::kBadImage.view()) << "size " << c.size;
    }
    const ImageCheck failed = CheckFirmwareImage(LoadedFile{});
    EXPECT_FALSE(failed.accepted);
    EXPECT_EQ(failed.message, msg::kBadImage.view());
}

}  // namespace
}  // namespace quorrel
