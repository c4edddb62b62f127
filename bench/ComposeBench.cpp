#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ComposeSmpPatch.h"
#include "HeapMeter.h"
#include "HexEncoder.h"
#include "LoadedReferenceCase.h"
#include "ReferenceCase.h"

namespace quorrel::bench {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Times the composition and, in the same iterations, a memcpy of a buffer of the output's size
// twice: into freshly allocated memory (the text has to land in new pages as well, so this one
// pays the same page faults; "vs_memcpy") and into a buffer reused from one iteration to the
// next, whose pages are already mapped ("vs_memcpy_warm").
void ComposeAgainstMemcpy(benchmark::State& state, bool withImage) {
    const auto newBytes = static_cast<std::size_t>(state.range(0)) * kMiB;
    const LoadedReferenceCase& ref = ReferenceCaseOf(newBytes);
    const LoadedFile* image = withImage ? &ref.image : nullptr;
    const PatchInfo info = SampleInfo();

    std::size_t outputSize = 0;
    std::size_t heapPeak = 0;
    {
        const HeapMeter meter;
        const ComposedPatch probe = ComposeSmpPatchWithId(info, "01020304", ref.diff, image);
        if (!probe.error.empty()) {
            state.SkipWithError("the reference case did not compose");
            return;
        }
        outputSize = probe.text.size();
        heapPeak = meter.PeakGrowth();
    }
    auto source = std::make_unique_for_overwrite<char[]>(outputSize);
    std::memset(source.get(), 'a', outputSize);
    auto warm = std::make_unique_for_overwrite<char[]>(outputSize);
    std::memset(warm.get(), 'b', outputSize);

    double composeSeconds = 0;
    double copySeconds = 0;
    double warmCopySeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        const ComposedPatch patch = ComposeSmpPatchWithId(info, "01020304", ref.diff, image);
        benchmark::DoNotOptimize(patch.text.data());
        const double composed = SecondsSince(start);
        state.SetIterationTime(composed);
        composeSeconds += composed;

        start = Clock::now();
        auto copy = std::make_unique_for_overwrite<char[]>(outputSize);
        std::memcpy(copy.get(), source.get(), outputSize);
        benchmark::DoNotOptimize(copy.get());
        benchmark::ClobberMemory();
        copySeconds += SecondsSince(start);

        start = Clock::now();
        std::memcpy(warm.get(), source.get(), outputSize);
        benchmark::DoNotOptimize(warm.get());
        benchmark::ClobberMemory();
        warmCopySeconds += SecondsSince(start);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(outputSize));
    state.SetComplexityN(static_cast<std::int64_t>(outputSize));
    state.counters["output_MiB"] = static_cast<double>(outputSize) / kMiB;
    state.counters["heap_peak_MiB"] = static_cast<double>(heapPeak) / kMiB;
    state.counters["vs_memcpy"] = composeSeconds / copySeconds;
    state.counters["vs_memcpy_warm"] = composeSeconds / warmCopySeconds;
}

void BM_ComposeWithImage(benchmark::State& state) {
    ComposeAgainstMemcpy(state, true);
}
void BM_ComposeWithoutImage(benchmark::State& state) {
    ComposeAgainstMemcpy(state, false);
}

// 64 MiB of new bytes is the reference case; the smaller two show how time and memory grow.
BENCHMARK(BM_ComposeWithImage)
    ->Arg(16)
    ->Arg(32)
    ->Arg(64)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_ComposeWithoutImage)
    ->Arg(16)
    ->Arg(32)
    ->Arg(64)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// One hex encoder against a memcpy of its output's size, timed in the same iterations into
// buffers already mapped. Short inputs are encoded repeatedly between clock reads, so the clock's
// own cost stays out of the figures. Both ns_per_byte counters are per input byte.
void HexAgainstMemcpy(benchmark::State& state, HexEncodeFunction encode) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 167 + 13);
    }
    std::vector<char> out(2 * n);
    const std::vector<char> source(2 * n, 'a');
    std::vector<char> copy(2 * n);
    const std::size_t repeats = std::max<std::size_t>(1, kMiB / n);

    double encodeSeconds = 0;
    double copySeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        for (std::size_t r = 0; r < repeats; ++r) {
            encode(out.data(), bytes.data(), n);
            benchmark::ClobberMemory();
        }
        const double encoded = SecondsSince(start);
        state.SetIterationTime(encoded);
        encodeSeconds += encoded;

        start = Clock::now();
        for (std::size_t r = 0; r < repeats; ++r) {
            std::memcpy(copy.data(), source.data(), 2 * n);
            benchmark::ClobberMemory();
        }
        copySeconds += SecondsSince(start);
    }
    const auto encodedBytes = static_cast<double>(state.iterations()) *
                              static_cast<double>(repeats) * static_cast<double>(n);
    state.SetBytesProcessed(static_cast<std::int64_t>(encodedBytes));
    state.counters["ns_per_byte"] = encodeSeconds * 1e9 / encodedBytes;
    state.counters["memcpy_ns_per_byte"] = copySeconds * 1e9 / encodedBytes;
    state.counters["vs_memcpy"] = encodeSeconds / copySeconds;
}

// Each encoder this processor runs, over the small case's blocks, the reference case's blocks
// (both in cache) and a run through memory.
[[maybe_unused]] const bool kHexBenchmarksRegistered = [] {
    for (const HexEncoder& e : HexEncoders()) {
        if (e.supported()) {
            benchmark::RegisterBenchmark(("BM_PutHex/" + std::string(e.name)).c_str(),
                                         HexAgainstMemcpy, e.encode)
                ->Arg(240)
                ->Arg(16 * 1024)
                ->Arg(16 * 1024 * 1024)
                ->UseManualTime();
        }
    }
    return true;
}();

}  // namespace
}  // namespace quorrel::bench
