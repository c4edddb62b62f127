#!/usr/bin/env bash
# Times quorrel-cli on the reference case against cp of its output, in the same run.
# Usage: bench/end-to-end.sh BUILD_DIR [RUNS]   (QUORREL_BENCH_MIB sets the size, 64 by default)
# Prints the medians, the peak resident memory of the conversion against its goal, and, as its
# last line, the ratio of the medians.
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR [RUNS]}" && pwd)
runs=${2:-5}
mib=${QUORREL_BENCH_MIB:-64}
cli=$build/bin/quorrel-cli
measure=$build/bin/quorrel-measure
for tool in "$cli" "$measure" "$build/bin/quorrel-bench-data"; do
    [ -x "$tool" ] || { echo "$0: $tool is not built" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quorrel-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
"$build/bin/quorrel-bench-data" . "$mib"

convert() { "$measure" "$1" "$cli" --settings Quorrel.ini --id 01020304 -i image.bin ref.dif -o out.smp; }
copy() { "$measure" "$1" cp out.smp copy.smp; }
copy_synced() { "$measure" "$1" sh -c 'cp out.smp copy.smp && sync copy.smp'; }

# One untimed round: the inputs come into the page cache, and every timed run then replaces an
# existing file, as cp does.
convert warmup && copy warmup

cli_times=() cp_times=() synced_times=() peak=0
for ((i = 0; i < runs; i++)); do
    sync; convert r
    read -r seconds kib < r
    cli_times+=("$seconds")
    ((kib > peak)) && peak=$kib
    sync; copy r
    read -r seconds _ < r
    cp_times+=("$seconds")
    sync; copy_synced r
    read -r seconds _ < r
    synced_times+=("$seconds")
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
size_mib() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1048576 }'; }

cli_median=$(median "${cli_times[@]}")
cp_median=$(median "${cp_times[@]}")
synced_median=$(median "${synced_times[@]}")
diff_mib=$(size_mib ref.dif) image_mib=$(size_mib image.bin) patch_mib=$(size_mib out.smp)

echo "reference case: DIFF $diff_mib MiB, image $image_mib MiB, patch $patch_mib MiB; $runs runs"
echo "quorrel-cli --id 01020304 -i image.bin ref.dif -o out.smp: median $cli_median s (${cli_times[*]})"
echo "cp out.smp copy.smp: median $cp_median s (${cp_times[*]})"
echo "cp out.smp copy.smp && sync copy.smp: median $synced_median s (${synced_times[*]})"
awk -v peak="$peak" -v d="$diff_mib" -v i="$image_mib" -v p="$patch_mib" 'BEGIN {
    goal = d + i + p + 32
    printf "peak resident memory of the conversion: %.1f MiB (goal: at most %.1f MiB = DIFF + image + patch + 32 MiB; %s)\n",
        peak / 1024, goal, (peak / 1024 <= goal) ? "met" : "missed"
}'
awk -v c="$cli_median" -v s="$synced_median" 'BEGIN { printf "quorrel-cli / (cp + sync): %.2f\n", c / s }'
awk -v c="$cli_median" -v p="$cp_median" 'BEGIN {
    printf "time goal: at most 1.5 x cp; %s\n", (c / p <= 1.5) ? "met" : "missed"
    printf "quorrel-cli / cp: %.2f\n", c / p
}'
