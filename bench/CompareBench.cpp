#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "ChangeMask.h"

namespace quorrel::bench {
namespace {

using Clock = std::chrono::steady_clock;

// One change masker against memcmp of the same two buffers (which stops at nothing: they are
// equal), timed in the same iterations. 32 KiB is a comparison piece, in cache; 64 MiB runs
// through memory. ns_per_byte counters are per byte of one image.
void MasksAgainstMemcmp(benchmark::State& state, ChangeMaskFunction masks) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::vector<std::uint8_t> a(n, 0x5A);
    const std::vector<std::uint8_t> b(a);
    std::vector<std::uint64_t> out((n + 63) / 64);
    const std::size_t repeats = std::max<std::size_t>(1, (std::size_t{1} << 24) / n);
    double maskSeconds = 0;
    double cmpSeconds = 0;
    int differ = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        for (std::size_t r = 0; r < repeats; ++r) {
            masks(a.data(), b.data(), n, out.data());
            benchmark::ClobberMemory();
        }
        const double masked = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(masked);
        maskSeconds += masked;
        start = Clock::now();
        for (std::size_t r = 0; r < repeats; ++r) {
            differ += std::memcmp(a.data(), b.data(), n);
            benchmark::ClobberMemory();
        }
        cmpSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    }
    benchmark::DoNotOptimize(differ);
    const auto bytes = static_cast<double>(state.iterations()) * static_cast<double>(repeats) *
                       static_cast<double>(n);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["ns_per_byte"] = maskSeconds * 1e9 / bytes;
    state.counters["memcmp_ns_per_byte"] = cmpSeconds * 1e9 / bytes;
    state.counters["vs_memcmp"] = maskSeconds / cmpSeconds;
}

[[maybe_unused]] const bool kMaskBenchmarksRegistered = [] {
    for (const ChangeMasker& m : ChangeMaskers()) {
        if (m.supported()) {
            benchmark::RegisterBenchmark(("BM_ChangeMasks/" + std::string(m.name)).c_str(),
                                         MasksAgainstMemcmp, m.masks)
                ->Arg(32 * 1024)
                ->Arg(64 * 1024 * 1024)
                ->UseManualTime();
        }
    }
    return true;
}();

}  // namespace
}  // namespace quorrel::bench
