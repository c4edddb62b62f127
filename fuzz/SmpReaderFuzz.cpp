// The SMP reader on any text: it refuses with a message or returns changes that, written back as
// Quorrel writes them (after a field that mimics a change list), read again the same. What it
// accepts is then held against an image made from the input, and a patch that applies without
// overlaps reverts to that image.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzRequire.h"
#include "PatchFit.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const quorrel::SmpReadResult read = quorrel::ReadSmpPatch(input);
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
