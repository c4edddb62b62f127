// Image comparison: two images made from the input, each read from a file or from memory in
// pieces of any size, give change blocks that keep the block rule and hold the images' bytes; the
// DIFF written from them turns the old image into the new one, and the patch composed from them
// records old bytes for every block.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "BlockRule.h"
#include "DiffBlockSource.h"
#include "DiffWriter.h"
#include "FuzzRequire.h"
#include "ImageComparison.h"
#include "StreamSmpPatch.h"
#include "TempDir.h"

namespace {

using quorrel::BlockStart;
using quorrel::ImageComparison;
using quorrel::LoadedFile;

const std::string& Folder() {
    static const quorrel::test::TempDir dir;
    return dir.path();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t piece = 1 + data[0] % 160u;
    const std::uint32_t maxBlock = data[1] == 0xFF ? ImageComparison::kMaxBlock : 1u + data[1];
    const std::size_t half = (size - 3) / 2;
    // The new image differs from the old where the input's second half is not zero.
    const std::string a(input.substr(3, half));
    std::string b(a);
    for (std::size_t i = 0; i < half; ++i) {
        b[i] = static_cast<char>(a[i] ^ input[3 + half + i]);
    }
    const LoadedFile oldWhole = LoadedFile::FromBytes(a);
    const LoadedFile newWhole = LoadedFile::FromBytes(b);
    // New files each time: rewriting one in place waits for its last contents to reach the disk.
    for (const auto& [name, bytes] :
         {std::pair<std::string, std::string_view>{"/old", a}, {"/new", b}}) {
        std::filesystem::remove(Folder() + name);
        quorrel::test::WriteFile(Folder() + name, bytes);
    }
    const quorrel::InputFile oldFile(Folder() + "/old");
    const quorrel::InputFile newFile(Folder() + "/new");
    const ImageComparison::Image oldImage = data[2] & 1u
                                                ? ImageComparison::Image{&oldFile, nullptr}
                                                : ImageComparison::Image{nullptr, &oldWhole};
    const ImageComparison::Image newImage = data[2] & 2u
                                                ? ImageComparison::Image{&newFile, nullptr}
                                                : ImageComparison::Image{nullptr, &newWhole};

    ImageComparison comparison(oldImage, newImage, piece, maxBlock);
    quorrel::test::BlockList blocks;
    std::string lines;
    for (BlockStart block; comparison.Next(block);) {
        blocks.emplace_back(block.offset, block.count);
        // The old bytes first, as the composer reads them.
        const std::uint8_t* from = comparison.oldImage().Read(block.offset, block.count);
        QUORREL_REQUIRE(from != nullptr);
        const std::string old(reinterpret_cast<const char*>(from), block.count);
        std::string to;
        for (std::span<const std::uint8_t> got;
             !(got = comparison.Take(1 + data[2] / 4u)).empty();) {
            to.append(reinterpret_cast<const char*>(got.data()), got.size());
        }
        QUORREL_REQUIRE(old == a.substr(block.offset, block.count));
        QUORREL_REQUIRE(to == b.substr(block.offset, block.count));
        lines += NordLine(block.offset, old, to);
    }
    QUORREL_REQUIRE(comparison.error().empty());
    QUORREL_REQUIRE(quorrel::test::BlockRuleFault(blocks, a, b, maxBlock).empty());
    if (blocks.empty()) {
        return 0;
    }

    // Composed again from fresh comparisons, reading both images as the program does.
    ImageComparison again(oldImage, newImage, piece, maxBlock);
    std::string diff;
    const quorrel::StreamOutcome written = quorrel::WriteDiff(
        "FW", again,
        [&diff](std::string_view bytes) {
            diff += bytes;
            return true;
        },
        64 + piece);
    QUORREL_REQUIRE(written.error.empty() && !written.sinkFailed);
    QUORREL_REQUIRE(diff.substr(0, 32) == std::string("SPFDSGHAFW", 10) + std::string(22, '\0'));
    quorrel::MemoryBytes diffBytes(diff);
    quorrel::DiffBlockSource walk(diffBytes);
    std::string applied = a;
    std::size_t walked = 0;
    for (BlockStart nord; walk.Next(nord); ++walked) {
        QUORREL_REQUIRE(walked < blocks.size() &&
                        blocks[walked] == std::pair(nord.offset, nord.count));
        const std::span<const std::uint8_t> bytes = walk.Take(nord.count);
        applied.replace(nord.offset, nord.count, reinterpret_cast<const char*>(bytes.data()),
                        bytes.size());
    }
    QUORREL_REQUIRE(walk.error().empty() && walked == blocks.size() && applied == b);

    ImageComparison composed(oldImage, newImage, piece, maxBlock);
    std::string patch;
    const quorrel::StreamOutcome outcome = quorrel::StreamSmpPatch(
        quorrel::PatchInfo{}, "01020304", composed, &composed.oldImage(),
        [&patch](std::string_view text) {
            patch += text;
            return true;
        },
        64 + piece, quorrel::OldBytesReach::ToTheEnd);
    QUORREL_REQUIRE(outcome.error.empty() && !outcome.sinkFailed);
    QUORREL_REQUIRE(patch.find("<changes>\r\n" + lines + "  </changes>") != std::string::npos);
    return 0;
}
