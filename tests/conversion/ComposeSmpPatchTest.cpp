#include <gtest/gtest.h>

#include "ComposeSmpPatch.h"
#include "Cp1251Literal.h"
#include "DiffBuilder.h"
#include "MakePatchId.h"
#include "Messages.h"
#include "StreamSmpPatch.h"

namespace quorrel {
namespace {

using test::DiffBuilder;
using test::Hex;

constexpr std::string_view kId = "0A1B2C3D";

PatchInfo SampleInfo() {
    return {"0.3", "Title", "Group", 7, "Desc", {"Nick", "Full Name", "a@b.c", "http://w", "123"},
            "FW1"};
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

ComposedPatch Compose(const DiffBuilder& diff, const LoadedFile* image = nullptr) {
    return ComposeSmpPatchWithId(SampleInfo(), kId, LoadedFile::FromBytes(diff.bytes()), image);
}

// The change lines of a composed text, without the fixed lines around them.
std::string Changes(const ComposedPatch& patch) {
    EXPECT_EQ(patch.text.substr(0, kHead.size()), kHead);
    EXPECT_GE(patch.text.size(), kHead.size() + kTail.size());
    EXPECT_EQ(patch.text.substr(patch.text.size() - kTail.size()), kTail);
    return patch.text.substr(kHead.size(), patch.text.size() - kHead.size() - kTail.size());
}

std::string Line(std::string_view offset, std::string_view to, const char* from = nullptr) {
    return "   <nord offset=\"0x" + std::string(offset) + "\"" +
           (from != nullptr ? " from=\"" + std::string(from) + "\"" : "") + " to=\"" +
           std::string(to) + "\" />\r\n";
}

TEST(ComposeSmpPatch, ChangeLinesFollowTheNordBlocks) {
    const LoadedFile image = LoadedFile::FromBytes(test::CountingBytes(100, 0x40));
    const LoadedFile failedImage;
    const std::string big = test::CountingBytes(1 << 20, 7);
    const std::string bigImageBytes = test::CountingBytes((1 << 20) + 100, 200);
    const LoadedFile bigImage = LoadedFile::FromBytes(bigImageBytes);
    const struct {
        const char* name;
        DiffBuilder diff;
        const LoadedFile* image;
        std::string changes;
    } cases[] = {
        {"header only", DiffBuilder(), nullptr, ""},
        {"no image", DiffBuilder().Nord(0x1234, "\x01\xAB\xFF").Nord(0x10, ""), nullptr,
         Line("001234", "01abff") + Line("000010", "")},
        {"offset digits",
         DiffBuilder().Nord(0, "Z").Nord(0xABCDEF, "Z").Nord(0x1234567, "Z").Nord(0xDEADBEEF, "Z"),
         nullptr,
         Line("000000", "5a") + Line("abcdef", "5a") + Line("1234567", "5a") +
             Line("deadbeef", "5a")},
        // A non-NORD block advances by its count alone: 12 skips exactly its own header.
        {"other blocks",
         DiffBuilder()
             .Block("FBLK", "JUNK", 12)
             .Nord(1, "\x01")
             .Block("FBLK", "XXXX", 20, std::string(8, 'w'))
             .Nord(2, "\x02"),
         nullptr, Line("000001", "01") + Line("000002", "02")},
        {"other block past the end", DiffBuilder().Nord(1, "\x01").Block("FBLK", "J", 0xFFFFFFFFu),
         nullptr, Line("000001", "01")},
        // Old bytes only when offset + count (new bytes + 4) stays below the image size.
        {"image boundary",
         DiffBuilder().Nord(93, std::string(2, '\0')).Nord(94, "\x01\x02").Nord(2, ""), &image,
         Line("00005d", "0000", "9d9e") + Line("00005e", "0102") + Line("000002", "", "")},
        {"failed image read", DiffBuilder().Nord(2, "\xAA"), &failedImage, Line("000002", "aa")},
        // 0xFFFFFFF0 + 20 wraps to 4 in 32 bits, inside the image.
        {"offset near the top", DiffBuilder().Nord(0xFFFFFFF0u, std::string(16, '\x11')), &image,
         Line("fffffff0", std::string(32, '1'))},
        {"large block", DiffBuilder().Nord(50, big), &bigImage,
         Line("000032", Hex(big), Hex(bigImageBytes.substr(50, big.size())).c_str())},
    };
    for (const auto& c : cases) {
        const ComposedPatch patch = Compose(c.diff, c.image);
        EXPECT_EQ(patch.error, "") << c.name;
        EXPECT_EQ(Changes(patch), c.changes) << c.name;
    }
}

TEST(ComposeSmpPatch, MalformedWalksAreReportedAndNeverReadPastTheEnd) {
    const DiffBuilder good = DiffBuilder().Nord(1, "\x01");
    std::vector<std::pair<std::string, DiffBuilder>> cases = {
        {"wrong tag", DiffBuilder(good).Block("FBLX", "NORD", 5, std::string(5, '\0'))},
        {"zero-count other block", DiffBuilder(good).Block("FBLK", "JUNK", 0)},
        {"NORD past the end", DiffBuilder(good).Block("FBLK", "NORD", 9, std::string(8, '\0'))},
        {"NORD past the end by far",
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
        EXPECT_EQ(Changes(patch), Line("000001", "01")) << name;
    }
    for (const LoadedFile& diff :
         {LoadedFile(), LoadedFile::FromBytes(good.bytes().substr(0, 31))}) {
        const ComposedPatch patch = ComposeSmpPatchWithId(SampleInfo(), kId, diff, nullptr);
        EXPECT_EQ(patch.error, msg::kBadDiffBlocks.view()) << diff.size();
        EXPECT_EQ(patch.text, "") << diff.size();
    }
}

// Fields are written as typed, the version unsigned; a drawn id is well-formed.
TEST(ComposeSmpPatch, FieldsAndId) {
    PatchInfo info = SampleInfo();
    info.title = "a\"b&c<d>";
    info.version = 4294967295u;
    constexpr Cp1251Literal cyrillic = "Прошивка";
    info.firmware = std::string(cyrillic.view());
    const LoadedFile diff = LoadedFile::FromBytes(DiffBuilder().bytes());
    const std::string text = ComposeSmpPatchWithId(info, kId, diff, nullptr).text;
    EXPECT_NE(text.find(" <info title=\"a\"b&c<d>\" id=\"0A1B2C3D\" group=\"Group\" "
                        "version=\"4294967295\">\r\n"),
              std::string::npos);
    EXPECT_NE(text.find(" <patchdata firmware=\"" + info.firmware + "\">\r\n"), std::string::npos);
    std::string drawn = ComposeSmpPatch(info, diff, nullptr).text;
    const std::size_t at = drawn.find(" id=\"") + 5;
    EXPECT_TRUE(IsPatchId(drawn.substr(at, 8))) << drawn.substr(at, 8);
    EXPECT_EQ(drawn.replace(at, 8, kId), text);
}

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
    const LoadedFile image = LoadedFile::FromBytes(test::CountingBytes(700000, 9));
    const LoadedFile diff = LoadedFile::FromBytes(DiffBuilder()
                                                      .Nord(5, "")
                                                      .Nord(0x12345678, "far")
                                                      .Nord(7, test::CountingBytes(300000))
                                                      .Nord(1, "x")
                                                      .bytes());
    const std::string whole = ComposeSmpPatchWithId(SampleInfo(), kId, diff, &image).text;
    LoadedFirmware firmware(image);
    EXPECT_EQ(SmpPatchSize(SampleInfo(), kId, diff, &firmware), whole.size());
    for (const std::size_t chunk : {64u, 65u, 1000u, 1u << 22}) {
        std::string pieces;
        const StreamOutcome outcome = StreamSmpPatch(
            SampleInfo(), kId, diff, &firmware,
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
        SampleInfo(), kId, diff, &firmware, [&](std::string_view) { return ++calls < 3; }, 64);
    EXPECT_EQ(stopped.sinkFailed, true);
    EXPECT_EQ(calls, 3);

    CutFirmware cut(image);
    const StreamOutcome unreadable =
        StreamSmpPatch(SampleInfo(), kId, diff, &cut, [](std::string_view) { return true; });
    EXPECT_EQ(unreadable.error, msg::kReadError.view());
}

}  // namespace
}  // namespace quorrel
