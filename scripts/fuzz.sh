#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# each from its committed seeds for FUZZ_SECONDS seconds (50 by default: five minutes in all).
# Fails on any finding; the input that found it is left in build-fuzz/findings/TARGET/ and
# belongs, once mended, in fuzz/regressions/TARGET/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-50}
# A fixed seed makes a run repeatable: a longer run from a fresh build-fuzz/corpus that found
# nothing vouches for every shorter one. FUZZ_SEED=0 lets libFuzzer pick.
seed=${FUZZ_SEED:-20261207}
targets=(diff_road ini_text version cp1251 smp_reader compare)

echo "== fuzz targets (clang, ASan + UBSan), ${seconds}s each"
CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORREL_BUILD_FUZZ=ON -DQUORREL_SANITIZE=ON -DQUORREL_BUILD_TESTS=OFF -DQUORREL_BUILD_UI=OFF \
    -DQUORREL_WERROR=ON
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for target in "${targets[@]}"; do
    # New inputs go to the first folder, which lives in the build tree; the seeds stay as they are.
    grown=build-fuzz/corpus/$target findings=build-fuzz/findings/$target
    mkdir -p "$grown" "$findings"
    inputs=("$grown" "fuzz/corpus/$target")
    [ -d "fuzz/regressions/$target" ] && inputs+=("fuzz/regressions/$target")
    log=build-fuzz/fuzz_$target.log
    if build-fuzz/bin/fuzz_"$target" -max_total_time="$seconds" -seed="$seed" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" -print_final_stats=1 "${inputs[@]}" >"$log" 2>&1; then
        echo "fuzz_$target: $(grep -E '^stat::number_of_executed_units' "$log" | awk '{ print $2 }') inputs, no finding"
    else
        echo "fuzz_$target: FINDING (log $log, inputs in $findings/)"
        grep -E -m 20 'ERROR|runtime error|property broken|SUMMARY|Test unit written' "$log" || tail -n 30 "$log"
        failed+=("$target")
    fi
done
echo "fuzz: $((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
