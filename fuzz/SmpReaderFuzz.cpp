// The SMP reader on any text: the same bytes read in random pieces, and through a small buffer,
// read exactly as held whole; it refuses with a message or returns changes that, written back as
// Quorrel writes them (after a field that mimics a change list), read again the same. What it
// accepts is then held against an image made from the input, and a patch that applies without
// overlaps reverts to that image.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "BufferedBytes.h"
#include "FuzzRequire.h"
#include "PatchFit.h"
#include "PieceBytes.h"
#include "ReadSmpPatch.h"

namespace {

using quorrel::SmpChange;
using quorrel::SmpChanges;

// Change i on line 3 + i, after a firmware field that mimics a change list.
std::string WriteBack(const SmpChanges& changes) {
    std::string text =
        "<patch><patchdata firmware=\"<changes><nord offset='0x1' to='00'/>"
        "</changes>\">\r\n<changes>\r\n";
    for (const SmpChange& change : changes) {
        text += NordLine(change.offset, change.from, change.to);
    }
    return text + "  </changes>\r\n </patchdata>\r\n</patch>";
}

// Cuts of 1 to 64 bytes apart, drawn from the text itself, so each input keeps its own.
std::vector<std::uint64_t> Cuts(std::string_view text) {
    std::uint64_t state = 1469598103934665603u;
    for (const char c : text) {
        state = (state ^ static_cast<std::uint8_t>(c)) * 1099511628211u;
    }
    std::vector<std::uint64_t> cuts;
    for (std::uint64_t at = 0; at < text.size();) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        at += 1 + (state >> 58);
        cuts.push_back(at);
    }
    return cuts;
}

bool SameRead(const quorrel::SmpReadResult& a, const quorrel::SmpReadResult& b) {
    return a.error == b.error && a.changes == b.changes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const quorrel::SmpReadResult read = quorrel::ReadSmpPatch(input);
    quorrel::test::PieceBytes pieces(input, Cuts(input));
    QUORREL_REQUIRE(SameRead(quorrel::ReadSmpPatch(pieces), read));
    quorrel::BufferedBytes buffered(
        size,
        [&](std::uint64_t offset, std::uint8_t* out, std::size_t n) {
            std::copy(data + offset, data + offset + n, out);
            return static_cast<std::int64_t>(n);
        },
        1 + size % 200);
    QUORREL_REQUIRE(SameRead(quorrel::ReadSmpPatch(buffered), read));
    if (!read.error.empty()) {
        QUORREL_REQUIRE(read.changes.empty());
        return 0;
    }
    std::size_t bytes = 0;
    for (const SmpChange& change : read.changes) {
        QUORREL_REQUIRE(!change.from || change.from->size() == change.to.size());
        QUORREL_REQUIRE(change.offset + static_cast<std::uint64_t>(change.to.size()) <=
                        0x100000000u);
        QUORREL_REQUIRE(change.line >= 1);
        bytes += change.to.size() + (change.from ? change.from->size() : 0);
    }
    QUORREL_REQUIRE(bytes <= size);  // two digits a byte at least

    const quorrel::SmpReadResult again = quorrel::ReadSmpPatch(WriteBack(read.changes));
    QUORREL_REQUIRE(again.error.empty() && again.changes.size() == read.changes.size());
    for (std::size_t i = 0; i < read.changes.size(); ++i) {
        SmpChange expected = read.changes[i];
        expected.line = static_cast<std::uint32_t>(3 + i);
        QUORREL_REQUIRE(again.changes[i] == expected);
    }

    const quorrel::PatchFit applied =
        quorrel::FitPatch(read.changes, input, quorrel::PatchDirection::Apply);
    QUORREL_REQUIRE(applied.misfits.size() <= quorrel::kShownMisfits &&
                    applied.misfits.size() <= applied.misfitCount);
    if (applied.verdict != quorrel::FitVerdict::Fits) {
        QUORREL_REQUIRE(applied.image.empty());
        return 0;
    }
    QUORREL_REQUIRE(applied.image.size() == size && applied.misfitCount == 0);
    if (!applied.overlaps && !applied.someWithoutFrom) {
        const quorrel::PatchFit reverted =
            quorrel::FitPatch(read.changes, applied.image, quorrel::PatchDirection::Revert);
        QUORREL_REQUIRE(reverted.verdict == quorrel::FitVerdict::Fits && reverted.image == input);
    }
    return 0;
}
