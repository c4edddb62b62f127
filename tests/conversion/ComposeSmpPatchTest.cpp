#include <gtest/gtest.h>

#include "BufferedBytes.h"
#include "ComposeSmpPatch.h"
#include "DiffBlockSource.h"
#include "DiffBuilder.h"
#include "Messages.h"
#include "StreamSmpPatch.h"

namespace quorrel {
namespace {

using test::DiffBuilder;
using test::Hex;

constexpr std::string_view kId = "0A1B2C3D";

const PatchInfo kInfo = {
    "0.3", "Title", "Group", 7, "Desc", {"Nick", "Full Name", "a@b.c", "http://w", "123"}, "FW1"};

// Walks of every shape, the header's fields and drawn ids are checked against an independent walk
// by fuzz/DiffRoadFuzz.cpp on its seeds; here what those small inputs cannot reach.
TEST(ComposeSmpPatch, DiffWithoutAHeaderGivesNoText) {
    const std::string header = DiffBuilder().bytes();
    for (const LoadedFile& diff : {LoadedFile(), LoadedFile::FromBytes(header.substr(0, 31))}) {
        const ComposedPatch patch = ComposeSmpPatchWithId(kInfo, kId, diff, nullptr);
        EXPECT_EQ(patch.error, msg::kBadDiffBlocks.view()) << diff.size();
        EXPECT_EQ(patch.text, "") << diff.size();
    }
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

// Serves `bytes` as a file whose size was taken as `size`: reads past the bytes come short.
BufferedBytes FileOf(std::string_view bytes, std::size_t capacity, std::uint64_t size) {
    return BufferedBytes(
        size,
        [bytes](std::uint64_t offset, std::uint8_t* out, std::size_t n) {
            const std::string_view got =
                bytes.substr(std::min<std::uint64_t>(offset, bytes.size()), n);
            std::copy(got.begin(), got.end(), out);
            return static_cast<std::int64_t>(got.size());
        },
        capacity);
}

// A block longer than one read of the image is encoded whole; the text is the same in pieces of
// any size, and with the DIFF read through a buffer that splits block headers and bytes; a sink
// that fails, a DIFF cut while read and an image that cannot be read stop it.
TEST(StreamSmpPatch, PiecesMakeTheSameTextAndFailuresStopIt) {
    const LoadedFile image = LoadedFile::FromBytes(test::CountingBytes(700000, 9));
    const std::string large = test::CountingBytes(300000, 7);
    const LoadedFile diff = LoadedFile::FromBytes(
        DiffBuilder().Nord(5, "").Nord(0x12345678, "far").Nord(7, large).Nord(1, "x").bytes());
    const std::string whole = ComposeSmpPatchWithId(kInfo, kId, diff, &image).text;
    const std::string line = "   <nord offset=\"0x000007\" from=\"" +
                             Hex(test::CountingBytes(700000, 9).substr(7, large.size())) +
                             "\" to=\"" + Hex(large) + "\" />\r\n";
    EXPECT_NE(whole.find(line), std::string::npos) << "the large block's line differs";
    LoadedFirmware firmware(image);
    MemoryBytes bytes(diff.view());
    DiffBlockSource sizing(bytes);
    EXPECT_EQ(SmpPatchSize(kInfo, kId, sizing, &firmware), whole.size());
    for (const std::size_t chunk : {64u, 65u, 1000u, 1u << 22}) {
        std::string pieces;
        BufferedBytes file = FileOf(diff.view(), chunk + 100, diff.size());
        DiffBlockSource blocks(file);
        const StreamOutcome outcome = StreamSmpPatch(
            kInfo, kId, blocks, &firmware,
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
    DiffBlockSource blocks(bytes);
    const StreamOutcome stopped = StreamSmpPatch(
        kInfo, kId, blocks, &firmware, [&](std::string_view) { return ++calls < 3; }, 64);
    EXPECT_EQ(stopped.sinkFailed, true);
    EXPECT_EQ(stopped.imageFailed, false);
    EXPECT_EQ(calls, 3);

    // Cut in a block's bytes, past what the header's read brought in; in the last block no
    // header is read after them to show it.
    const std::string lastLarge = DiffBuilder().Nord(7, large).bytes();
    for (const std::string_view cutFrom : {diff.view(), std::string_view(lastLarge)}) {
        BufferedBytes cutDiff =
            FileOf(cutFrom.substr(0, cutFrom.size() - 1000), 128, cutFrom.size());
        DiffBlockSource cutBlocks(cutDiff);
        const StreamOutcome unreadableDiff =
            StreamSmpPatch(kInfo, kId, cutBlocks, &firmware, [](std::string_view) { return true; });
        EXPECT_EQ(unreadableDiff.error, msg::kReadError.view()) << cutFrom.size();
        EXPECT_EQ(unreadableDiff.imageFailed, false) << cutFrom.size();
    }

    CutFirmware cut(image);
    DiffBlockSource again(bytes);
    const StreamOutcome unreadable =
        StreamSmpPatch(kInfo, kId, again, &cut, [](std::string_view) { return true; });
    EXPECT_EQ(unreadable.error, msg::kReadError.view());
    EXPECT_EQ(unreadable.imageFailed, true);
    EXPECT_EQ(unreadable.sinkFailed, false);
}

}  // namespace
}  // namespace quorrel
