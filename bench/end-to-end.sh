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
        read -r seconds kib _ < r
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

# ---- Image comparison: --make-diff and --compare, apart from the conversion cases above ----
#   make-diff  two MIB MiB images differing in 0.1 % of their bytes, at random places -> a DIFF,
#              against cmp -s of two identical MIB MiB files (reads both, compares all)
#   compare    two MIB MiB images differing in 16 KiB runs 16 bytes apart -> a 4*MIB MiB patch,
#              against dd conv=fsync of that patch
# Beside the times: minor page faults, bytes read and written (by system calls) and peak memory.
"$build/bin/quorrel-bench-images" . "$mib"
case_makediff() { rm -f out/sparse.dif; "$measure" "$1" "$cli" -q --make-diff sparse.bin -i old.bin \
    -f BENCH -o out/sparse.dif; }
floor_makediff() { "$measure" "$1" cmp -s old.bin same.bin; }
case_compare() { rm -f out/runs.smp; "$measure" "$1" "$cli" --settings Quorrel.ini --id 01020304 \
    -q --compare runs.bin -i old.bin -f BENCH -o out/runs.smp; }
floor_compare() { rm -f copies/runs.smp; "$measure" "$1" dd if=out/runs.smp of=copies/runs.smp \
    bs=8M conv=fsync status=none; }
for c in makediff compare; do "case_$c" warmup; "floor_$c" warmup; done

# The medians of one measure's runs: "SECONDS RSS_KIB MINOR_FAULTS READ WRITTEN".
medians() {
    local file=$1 k
    for k in 1 2 3 4 5; do
        median $(awk -v k="$k" '{ print $k }' "$file")
    done | paste -sd ' '
}
report() {
    awk -v name="$1" -v m="$2" 'BEGIN { split(m, v, " ");
        printf "  %-22s %.4f s  %7d minor faults  read %7.1f MiB  written %7.1f MiB  peak %6.1f MiB\n",
            name, v[1], v[3], v[4] / 1048576, v[5] / 1048576, v[2] / 1024 }'
}
for c in makediff compare; do
    : >case.runs; : >floor.runs
    for ((i = 0; i < runs; i++)); do
        sync; "case_$c" r
        paste -sd ' ' r >>case.runs
        sync; "floor_$c" r
        paste -sd ' ' r >>floor.runs
    done
    t=$(medians case.runs) f=$(medians floor.runs)
    floor_name=$([ "$c" = makediff ] && echo "cmp -s (same images)" || echo "dd conv=fsync")
    echo "$c: medians of $runs runs (times: $(awk '{ printf "%s ", $1 }' case.runs)/ $(awk '{ printf "%s ", $1 }' floor.runs))"
    report quorrel-cli "$t"
    report "$floor_name" "$f"
    awk -v c="$c" -v t="${t%% *}" -v f="${f%% *}" 'BEGIN { printf "%s: quorrel-cli / floor: %.2f (goal: at most 1.0)\n", c, t / f }'
done
awk -v d="$(size_mib out/sparse.dif)" -v p="$(size_mib out/runs.smp)" \
    'BEGIN { printf "make-diff: DIFF %s MiB; compare: patch %s MiB\n", d, p }'
