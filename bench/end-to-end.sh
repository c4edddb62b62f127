#!/usr/bin/env bash
# Times quorrel-cli against the floor of any conversion: a durable copy of its own output bytes
# (written and fsynced into a new file), both measured in the same run, interleaved, as medians.
# Usage: bench/end-to-end.sh BUILD_DIR [RUNS]   (QUORREL_BENCH_MIB sets the reference size, 64)
# Three cases:
#   reference  MIB MiB of new bytes in 16 KiB blocks over an image as large -> a 4*MIB MiB patch,
#              against dd conv=fsync of that patch; also peak memory against DIFF + image + 16 MiB
#   small      48,000 new bytes in 240-byte blocks over a 16 MiB image -> about 200 KB,
#              against dd conv=fsync of that patch
#   batch      200 such DIFF files in one run, against one process writing and fsyncing the 200
#              outputs
# Every output is written as a new file, as the copies are.
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR [RUNS]}" && pwd)
runs=${2:-5}
mib=${QUORREL_BENCH_MIB:-64}
batch=200
cli=$build/bin/quorrel-cli
measure=$build/bin/quorrel-measure
for tool in "$cli" "$measure" "$build/bin/quorrel-bench-data" "$build/bin/quorrel-durable-copy"; do
    [ -x "$tool" ] || { echo "$0: $tool is not built" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quorrel-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
"$build/bin/quorrel-bench-data" . "$mib"
"$build/bin/quorrel-bench-data" --small . "$batch"
mkdir out copies
diffs=() pairs=()
for ((k = 0; k < batch; k++)); do
    diffs+=("small-$k.dif")
    pairs+=("out/small-$k.smp" "copies/small-$k.smp")
done

case_reference() { rm -f out/ref.smp; "$measure" "$1" "$cli" --settings Quorrel.ini --id 01020304 -q \
    -i image.bin ref.dif -o out/ref.smp; }
floor_reference() { rm -f copies/ref.smp; "$measure" "$1" dd if=out/ref.smp of=copies/ref.smp \
    bs=8M conv=fsync status=none; }
case_small() { rm -f out/small.smp; "$measure" "$1" "$cli" --settings Quorrel.ini --id 01020304 -q \
    -i small.bin small-0.dif -o out/small.smp; }
floor_small() { rm -f copies/small.smp; "$measure" "$1" dd if=out/small.smp of=copies/small.smp \
    bs=8M conv=fsync status=none; }
case_batch() { rm -f small-*.smp; "$measure" "$1" "$cli" --settings Quorrel.ini --id 01020304 -q \
    -i small.bin "${diffs[@]}"; mv small-*.smp out/; }
floor_batch() { rm -f copies/small-*.smp; "$measure" "$1" "$build/bin/quorrel-durable-copy" \
    "${pairs[@]}"; }

# One untimed round: the inputs come into the page cache and the outputs exist to be copied.
for c in reference small batch; do "case_$c" warmup; "floor_$c" warmup; done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
size_mib() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1048576 }'; }

peak=0
for c in reference small batch; do
    times=() floors=()
    for ((i = 0; i < runs; i++)); do
        sync; "case_$c" r
        read -r seconds kib < r
        times+=("$seconds")
        [ "$c" = reference ] && ((kib > peak)) && peak=$kib
        sync; "floor_$c" r
        read -r seconds _ < r
        floors+=("$seconds")
    done
    t=$(median "${times[@]}") f=$(median "${floors[@]}")
    echo "$c: quorrel-cli median $t s (${times[*]}); durable copy median $f s (${floors[*]})"
    awk -v c="$c" -v t="$t" -v f="$f" 'BEGIN { printf "%s: quorrel-cli / durable copy: %.2f\n", c, t / f }'
done
awk -v peak="$peak" -v d="$(size_mib ref.dif)" -v i="$(size_mib image.bin)" \
    -v p="$(size_mib out/ref.smp)" 'BEGIN {
    printf "reference: DIFF %s MiB, image %s MiB, patch %s MiB; peak resident memory %.1f MiB (goal: at most DIFF + image + 16 MiB = %.1f MiB)\n",
        d, i, p, peak / 1024, d + i + 16
}'
