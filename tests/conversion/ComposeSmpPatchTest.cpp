#include <gtest/gtest.h>

#include <regex>

#include "ComposeSmpPatch.h"
#include "Cp1251Literal.h"
#include "DiffBuilder.h"
#include "MakePatchId.h"
#include "Messages.h"
#include "StreamSmpPatch.h"

namespace quorrel {
namespace {

using test::DiffBuilder;

PatchInfo SampleInfo() {
    PatchInfo info;
    info.formatVersion = "0.3";
    info.title = "Title";
    info.group = "Group";
    info.version = 7;
    info.description = "Desc";
    info.author = {"Nick", "Full Name", "a@b.c", "http://w", "123"};
    info.firmware = "FW1";
    return info;
}

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"Windows-1251\"?>\r\n"
    "<patch version=\"0.3\">\r\n"
    " <info title=\"Title\" id=\"0A1B2C3D\" group=\"Group\" version=\"7\">\r\n"
    "  <description short=\"Desc\"/>\r\n"
    "  <author nickname=\"Nick\" fullname=\"Full Name\" email=\"a@b.c\" www=\"http://w\" "
    "icq=\"123\"/>\r\n"
    " </info>\r\n"
    " <patchdata firmware=\"FW1\">\r\n"
    "  <changes>\r\n";
const std::string kTail = "  </changes>\r\n </patchdata>\r\n</patch>";

ComposedPatch Compose(const DiffBuilder& diff, const std::string* image = nullptr,
                      const PatchInfo& info = SampleInfo()) {
    const LoadedFile d = LoadedFile::FromBytes(diff.bytes());
    if (image == nullptr) {
        return ComposeSmpPatchWithId(info, "0A1B2C3D", d, nullptr);
    }
    const LoadedFile i = LoadedFile::FromBytes(*image);
    return ComposeSmpPatchWithId(info, "0A1B2C3D", d, &i);
}

// The change lines of a composed text, without the fixed lines around them.
std::string Changes(const ComposedPatch& patch) {
    EXPECT_EQ(patch.text.substr(0, kHead.size()), kHead);
    EXPECT_GE(patch.text.size(), kHead.size() + kTail.size());
    EXPECT_EQ(patch.text.substr(patch.text.size() - kTail.size()), kTail);
    return patch.text.substr(kHead.size(), patch.text.size() - kHead.size() - kTail.size());
}

std::string Hex(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b / 16];
        out += digits[b % 16];
    }
    return out;
}

TEST(ComposeSmpPatch, HeaderOnlyDiffGivesTheTwelveFixedLines) {
    const ComposedPatch patch = Compose(DiffBuilder());
    EXPECT_EQ(patch.error, "");
    EXPECT_EQ(patch.text, kHead + kTail);
}

TEST(ComposeSmpPatch, WritesFieldsUnescapedAndVersionUnsigned) {
    PatchInfo info = SampleInfo();
    info.title = "a\"b&c<d>";
    info.version = 4294967295u;
    constexpr Cp1251Literal cyrillic = "Прошивка";
    info.firmware = std::string(cyrillic.view());
    const ComposedPatch patch = Compose(DiffBuilder(), nullptr, info);
    EXPECT_NE(patch.text.find(" <info title=\"a\"b&c<d>\" id=\"0A1B2C3D\" group=\"Group\" "
                              "version=\"4294967295\">\r\n"),
              std::string::npos);
    EXPECT_NE(patch.text.find(" <patchdata firmware=\"" + info.firmware + "\">\r\n"),
              std::string::npos);
}

TEST(ComposeSmpPatch, ChangeLinesWithoutImage) {
    const ComposedPatch patch = Compose(DiffBuilder().Nord(0x1234, "\x01\xAB\xFF").Nord(0x10, ""));
    EXPECT_EQ(patch.error, "");
    EXPECT_EQ(Changes(patch),
              "   <nord offset=\"0x001234\" to=\"01abff\" />\r\n"
              "   <nord offset=\"0x000010\" to=\"\" />\r\n");
}

TEST(ComposeSmpPatch, OffsetDigits) {
    struct Case {
        std::uint32_t offset;
        const char* written;
    };
    for (const Case c : {Case{0, "000000"}, Case{0x1234, "001234"}, Case{0xABCDEF, "abcdef"},
                         Case{0x1234567, "1234567"}, Case{0xDEADBEEF, "deadbeef"}}) {
        EXPECT_EQ(Changes(Compose(DiffBuilder().Nord(c.offset, "\x5A"))),
                  std::string("   <nord offset=\"0x") + c.written + "\" to=\"5a\" />\r\n")
            << "offset " << c.offset;
    }
}

TEST(ComposeSmpPatch, OldBytesOnlyWhenOffsetPlusCountIsBelowImageSize) {
    const std::string image = test::CountingBytes(100, 0x40);
    // offset 90 with 2 new bytes: count 6, so the sum is 96.
    struct Case {
        std::uint32_t offset;
        bool from;
    };
    for (const Case c : {Case{93, true}, Case{94, false}, Case{95, false}}) {
        const std::string line =
            Changes(Compose(DiffBuilder().Nord(c.offset, std::string_view("\x00\x01", 2)), &image));
        const std::string from = " from=\"" + Hex(image.substr(c.offset, 2)) + "\"";
        EXPECT_EQ(line.find(from) != std::string::npos, c.from)
            << "offset " << c.offset << ": " << line;
        EXPECT_EQ(line.find("from=") != std::string::npos, c.from) << "offset " << c.offset;
    }
}

TEST(ComposeSmpPatch, FullChangeLineWithOldBytes) {
    const std::string image = test::CountingBytes(64, 0xF0);
    EXPECT_EQ(Changes(Compose(DiffBuilder().Nord(2, "\xAA\xBB"), &image)),
              "   <nord offset=\"0x000002\" from=\"f2f3\" to=\"aabb\" />\r\n");
    // Count 4 inside the image: both strings empty.
    EXPECT_EQ(Changes(Compose(DiffBuilder().Nord(2, ""), &image)),
              "   <nord offset=\"0x000002\" from=\"\" to=\"\" />\r\n");
}

TEST(ComposeSmpPatch, FailedImageReadCountsAsNoImage) {
    const LoadedFile diff = LoadedFile::FromBytes(DiffBuilder().Nord(0, "\x01").bytes());
    const LoadedFile failed;
    const ComposedPatch patch = ComposeSmpPatchWithId(SampleInfo(), "0A1B2C3D", diff, &failed);
    EXPECT_EQ(patch.error, "");
    EXPECT_EQ(patch.text.find("from="), std::string::npos);
}

TEST(ComposeSmpPatch, OffsetNearTheTopDoesNotWrapIntoTheImage) {
    // In 32 bits 0xFFFFFFF0 + 20 wraps to 4, which would lie inside the image.
    const std::string image(100, 'x');
    const std::string changes =
        Changes(Compose(DiffBuilder().Nord(0xFFFFFFF0u, std::string(16, '\x11')), &image));
    EXPECT_EQ(changes, "   <nord offset=\"0xfffffff0\" to=\"" + std::string(32, '1') + "\" />\r\n");
}

TEST(ComposeSmpPatch, OtherBlocksStepByTheirCount) {
    // A non-NORD block advances by count alone, so count 12 skips exactly its own header.
    const ComposedPatch patch = Compose(DiffBuilder()
                                            .Block("FBLK", "JUNK", 12)
                                            .Nord(1, "\x01")
                                            .Block("FBLK", "XXXX", 20, std::string(8, '\x77'))
                                            .Nord(2, "\x02"));
    EXPECT_EQ(patch.error, "");
    EXPECT_EQ(Changes(patch),
              "   <nord offset=\"0x000001\" to=\"01\" />\r\n"
              "   <nord offset=\"0x000002\" to=\"02\" />\r\n");
}

TEST(ComposeSmpPatch, OtherBlockStepPastTheEndEndsTheWalk) {
    const ComposedPatch patch =
        Compose(DiffBuilder().Nord(1, "\x01").Block("FBLK", "JUNK", 0xFFFFFFFFu));
    EXPECT_EQ(patch.error, "");
    EXPECT_EQ(Changes(patch), "   <nord offset=\"0x000001\" to=\"01\" />\r\n");
}

TEST(ComposeSmpPatch, MalformedWalksAreReportedAndNeverReadPastTheEnd) {
    const DiffBuilder good = DiffBuilder().Nord(1, "\x01");
    std::vector<std::pair<std::string, DiffBuilder>> cases = {
        {"wrong tag", DiffBuilder(good).Block("FBLX", "NORD", 5, std::string(5, '\0'))},
        {"zero-count other block", DiffBuilder(good).Block("FBLK", "JUNK", 0)},
        {"NORD count past the end",
         DiffBuilder(good).Block("FBLK", "NORD", 9, std::string(8, '\0'))},
        {"NORD count past the end by far",
         DiffBuilder(good).Block("FBLK", "NORD", 0xFFFFFFFFu, std::string(8, '\0'))},
    };
    for (std::uint32_t count = 0; count < 4; ++count) {
        cases.emplace_back(
            "NORD count " + std::to_string(count),
            DiffBuilder(good).Block("FBLK", "NORD", count, std::string(count, '\0')));
    }
    for (std::size_t tail = 1; tail < 12; ++tail) {
        cases.emplace_back("tail of " + std::to_string(tail),
                           DiffBuilder(good).Raw(std::string("FBLKNORD\x04\0\0\0", tail)));
    }
    for (const auto& [name, diff] : cases) {
        const ComposedPatch patch = Compose(diff);
        EXPECT_EQ(patch.error, msg::kBadDiffBlocks.view()) << name;
        // The text is still closed, with the lines before the fault.
        EXPECT_EQ(Changes(patch), "   <nord offset=\"0x000001\" to=\"01\" />\r\n") << name;
    }
}

TEST(ComposeSmpPatch, NordFillingTheDiffExactlyIsAccepted) {
    const ComposedPatch patch = Compose(DiffBuilder().Nord(0, std::string(1000, '\xC3')));
    EXPECT_EQ(patch.error, "");
    EXPECT_EQ(Changes(patch),
              "   <nord offset=\"0x000000\" to=\"" + Hex(std::string(1000, '\xC3')) + "\" />\r\n");
}

TEST(ComposeSmpPatch, LargeBlocksEncodeEveryByte) {
    const std::string bytes = test::CountingBytes(1 << 20, 7);
    const std::string image = test::CountingBytes((1 << 20) + 100, 200);
    const ComposedPatch patch = Compose(DiffBuilder().Nord(50, bytes), &image);
    EXPECT_EQ(Changes(patch), "   <nord offset=\"0x000032\" from=\"" +
                                  Hex(std::string_view(image).substr(50, bytes.size())) +
                                  "\" to=\"" + Hex(bytes) + "\" />\r\n");
}

TEST(ComposeSmpPatch, LinesEndInCrLfExceptTheLast) {
    const std::string image(64, 'i');
    const ComposedPatch patch = Compose(DiffBuilder().Nord(1, "\x0a\x0d").Nord(3, "x"), &image);
    std::size_t lines = 1;
    for (std::size_t i = 0; i < patch.text.size(); ++i) {
        if (patch.text[i] == '\n') {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(patch.text[i - 1], '\r') << "at " << i;
            ++lines;
        } else if (patch.text[i] == '\r') {
            ASSERT_LT(i + 1, patch.text.size());
            EXPECT_EQ(patch.text[i + 1], '\n') << "at " << i;
        }
    }
    EXPECT_EQ(lines, 13u);
    EXPECT_NE(patch.text.back(), '\n');
}

TEST(ComposeSmpPatch, DrawsAWellFormedIdAndLeavesTheInfoAlone) {
    const PatchInfo info = SampleInfo();
    const LoadedFile diff = LoadedFile::FromBytes(DiffBuilder().bytes());
    const ComposedPatch patch = ComposeSmpPatch(info, diff, nullptr);
    std::smatch match;
    ASSERT_TRUE(std::regex_search(patch.text, match, std::regex(" id=\"([^\"]*)\"")));
    EXPECT_TRUE(IsPatchId(match[1].str())) << match[1].str();
    EXPECT_EQ(info.title, "Title");
}

}  // namespace
}  // namespace quorrel

namespace quorrel {
namespace {

// Fails every read after the first, as an image cut under the reader does.
class CutFirmware final : public FirmwareBytes {
  public:
    explicit CutFirmware(const LoadedFile& file) : whole_(file) {}
    std::uint32_t size() const override { return whole_.size(); }
    const std::uint8_t* Read(std::uint32_t offset, std::size_t n) override {
        return reads_++ == 0 ? whole_.Read(offset, n) : nullptr;
    }

  private:
    LoadedFirmware whole_;
    int reads_ = 0;
};

// The text is the same in pieces of any size, old bytes of any length included; a sink that
// fails and an image that cannot be read stop it.
TEST(StreamSmpPatch, PiecesMakeTheSameTextAndFailuresStopIt) {
    const std::string imageBytes = test::CountingBytes(700000, 9);
    const LoadedFile image = LoadedFile::FromBytes(imageBytes);
    const LoadedFile diff = LoadedFile::FromBytes(test::DiffBuilder()
                                                      .Nord(5, "")
                                                      .Nord(0x12345678, "far")
                                                      .Nord(7, test::CountingBytes(300000))
                                                      .Nord(1, "x")
                                                      .bytes());
    const std::string whole = ComposeSmpPatchWithId(SampleInfo(), "0A1B2C3D", diff, &image).text;
    LoadedFirmware firmware(image);
    EXPECT_EQ(SmpPatchSize(SampleInfo(), "0A1B2C3D", diff, &firmware), whole.size());
    for (const std::size_t chunk : {64u, 65u, 1000u, 1u << 22}) {
        std::string pieces;
        const StreamOutcome outcome = StreamSmpPatch(
            SampleInfo(), "0A1B2C3D", diff, &firmware,
            [&](std::string_view piece) {
                EXPECT_LE(piece.size(), chunk);
                pieces += piece;
                return true;
            },
            chunk);
        EXPECT_EQ(outcome.error, "") << chunk;
        EXPECT_EQ(pieces == whole, true) << "pieces of " << chunk << " differ from the whole text";
    }

    int calls = 0;
    const StreamOutcome stopped = StreamSmpPatch(
        SampleInfo(), "0A1B2C3D", diff, &firmware, [&](std::string_view) { return ++calls < 3; },
        64);
    EXPECT_EQ(stopped.sinkFailed, true);
    EXPECT_EQ(calls, 3);

    CutFirmware cut(image);
    const StreamOutcome unreadable =
        StreamSmpPatch(SampleInfo(), "0A1B2C3D", diff, &cut, [](std::string_view) { return true; });
    EXPECT_EQ(unreadable.error, msg::kReadError.view());
}

}  // namespace
}  // namespace quorrel
