#include "LoadedReferenceCase.h"

#include <memory>

#include "ReferenceCase.h"

namespace quorrel::bench {

const LoadedReferenceCase& ReferenceCaseOf(std::size_t newBytes) {
    static std::size_t madeFor = 0;
    static std::unique_ptr<LoadedReferenceCase> kept;
    if (kept == nullptr || madeFor != newBytes) {
        kept.reset();
        const ReferenceCase ref = MakeReferenceCase(newBytes);
        kept = std::make_unique<LoadedReferenceCase>(
            LoadedReferenceCase{LoadedFile::FromBytes(ref.diff), LoadedFile::FromBytes(ref.image)});
        madeFor = newBytes;
    }
    return *kept;
}

PatchInfo SampleInfo() {
    PatchInfo info;
    info.formatVersion = "0.3";
    info.title = "Benchmark patch";
    info.group = "Tests";
    info.version = 7;
    info.description = "A reference case for timing";
    info.author = {"Quorrel", "Bench Author", "bench@example.org", "http://quorrel.example.org/",
                   "123456"};
    info.firmware = "BENCH";
    return info;
}

}  // namespace quorrel::bench
