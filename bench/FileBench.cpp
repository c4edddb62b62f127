#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "BenchDir.h"
#include "ComposeSmpPatch.h"
#include "FileSave.h"
#include "LoadedReferenceCase.h"
#include "ReadWholeFile.h"
#include "ReferenceCase.h"

namespace quorrel::bench {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The least any reader of a whole file does: open, one allocation, one read.
std::size_t PlainRead(const std::string& path, std::size_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    auto bytes = std::make_unique_for_overwrite<char[]>(size);
    const ssize_t n = ::read(fd, bytes.get(), size);
    benchmark::DoNotOptimize(bytes.get());
    ::close(fd);
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

// Reads the reference image from the page cache, against the plain read above in the same run.
void BM_ReadWholeFile(benchmark::State& state) {
    const std::string path = BenchFile("image.bin");
    const auto size = static_cast<std::size_t>(state.range(0)) * kMiB;
    WriteWholeFile(path, ReferenceCaseOf(size).image.view());

    double readSeconds = 0;
    double plainSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        const LoadedFile file = ReadWholeFile(path);
        const double took = SecondsSince(start);
        state.SetIterationTime(took);
        readSeconds += took;
        if (file.size() != size) {
            state.SkipWithError("short read of the image");
            break;
        }
        start = Clock::now();
        benchmark::DoNotOptimize(PlainRead(path, size));
        plainSeconds += SecondsSince(start);
    }
    ::unlink(path.c_str());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
    state.counters["vs_plain_read"] = readSeconds / plainSeconds;
}
BENCHMARK(BM_ReadWholeFile)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);

// The least a durable save does: create, one write, fsync, close.
void PlainDurableWrite(const std::string& path, std::string_view text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    benchmark::DoNotOptimize(::write(fd, text.data(), text.size()));
    ::fsync(fd);
    ::close(fd);
}

// Replaces an existing patch of the reference size, against the plain durable write above.
// Both wait for the disk, so the figures depend on the machine's storage more than on the code.
void BM_SaveFile(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0)) * kMiB;
    const LoadedReferenceCase& ref = ReferenceCaseOf(size);
    const ComposedPatch patch =
        ComposeSmpPatchWithId(SampleInfo(), "01020304", ref.diff, &ref.image);
    const std::string target = BenchFile("out.smp");
    const std::string plain = BenchFile("plain.smp");
    PlainDurableWrite(target, patch.text);

    double saveSeconds = 0;
    double plainSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        const SaveResult saved = SaveFile(target, patch.text);
        const double took = SecondsSince(start);
        state.SetIterationTime(took);
        saveSeconds += took;
        if (saved.outcome != SaveOutcome::Saved) {
            state.SkipWithError("the save failed");
            break;
        }
        start = Clock::now();
        PlainDurableWrite(plain, patch.text);
        plainSeconds += SecondsSince(start);
    }
    ::unlink(target.c_str());
    ::unlink(plain.c_str());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(patch.text.size()));
    state.counters["vs_write_fsync"] = saveSeconds / plainSeconds;
}
BENCHMARK(BM_SaveFile)->Arg(64)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorrel::bench
