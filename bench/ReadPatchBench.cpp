#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "ComposeSmpPatch.h"
#include "HexDecoder.h"
#include "LoadedReferenceCase.h"
#include "ReferenceCase.h"
#include "SmpReader.h"

namespace quorrel::bench {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One hex decoder against a memcpy of its input's size, timed in the same iterations into
// buffers already mapped; short inputs are decoded repeatedly between clock reads. Both
// ns_per_byte counters are per decoded byte.
void DecodeAgainstMemcpy(benchmark::State& state, HexDecodeFunction decode) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::string digits(2 * n, '\0');
    constexpr char kDigits[] = "0123456789abcdefABCDEF";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        digits[i] = kDigits[(i * 7 + i / 5) % 22];
    }
    std::vector<std::uint8_t> out(n);
    std::vector<char> copy(2 * n);
    const std::size_t repeats = std::max<std::size_t>(1, kMiB / n);

    double decodeSeconds = 0;
    double copySeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        for (std::size_t r = 0; r < repeats; ++r) {
            benchmark::DoNotOptimize(decode(out.data(), digits.data(), n));
            benchmark::ClobberMemory();
        }
        const double decoded = SecondsSince(start);
        state.SetIterationTime(decoded);
        decodeSeconds += decoded;

        start = Clock::now();
        for (std::size_t r = 0; r < repeats; ++r) {
            std::memcpy(copy.data(), digits.data(), 2 * n);
            benchmark::ClobberMemory();
        }
        copySeconds += SecondsSince(start);
    }
    const auto decodedBytes = static_cast<double>(state.iterations()) *
                              static_cast<double>(repeats) * static_cast<double>(n);
    state.SetBytesProcessed(static_cast<std::int64_t>(decodedBytes));
    state.counters["ns_per_byte"] = decodeSeconds * 1e9 / decodedBytes;
    state.counters["memcpy_ns_per_byte"] = copySeconds * 1e9 / decodedBytes;
    state.counters["vs_memcpy"] = decodeSeconds / copySeconds;
}

// Each decoder this processor runs, over the small case's changes, the reference case's (both in
// cache) and a run through memory.
[[maybe_unused]] const bool kDecodeBenchmarksRegistered = [] {
    for (const HexDecoder& d : HexDecoders()) {
        if (d.supported()) {
            benchmark::RegisterBenchmark(("BM_DecodeHex/" + std::string(d.name)).c_str(),
                                         DecodeAgainstMemcpy, d.decode)
                ->Arg(240)
                ->Arg(16 * 1024)
                ->Arg(16 * 1024 * 1024)
                ->UseManualTime();
        }
    }
    return true;
}();

// The reader's walk of a patch held in memory, every change checked and none decoded, against
// a memcpy of the text: the part of --check that is not the disk's.
void BM_ReadSmpPatch(benchmark::State& state) {
    const auto newBytes = static_cast<std::size_t>(state.range(0)) * kMiB;
    const LoadedReferenceCase& ref = ReferenceCaseOf(newBytes);
    const std::string text =
        ComposeSmpPatchWithId(SampleInfo(), "01020304", ref.diff, &ref.image).text;
    std::vector<char> copy(text.size());
    double readSeconds = 0;
    double copySeconds = 0;
    std::size_t changes = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        MemoryBytes bytes(text);
        SmpReader reader(bytes);
        changes = 0;
        for (SmpChangeAt change; reader.Next(change);) {
            ++changes;
        }
        const double read = SecondsSince(start);
        state.SetIterationTime(read);
        readSeconds += read;
        start = Clock::now();
        std::memcpy(copy.data(), text.data(), text.size());
        benchmark::ClobberMemory();
        copySeconds += SecondsSince(start);
    }
    if (changes != newBytes / kBlockBytes) {
        state.SkipWithError("the reference patch did not read");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.counters["vs_memcpy"] = readSeconds / copySeconds;
}
BENCHMARK(BM_ReadSmpPatch)->Arg(16)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorrel::bench
