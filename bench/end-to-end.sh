#!/usr/bin/env bash
# Times quorrel-cli against the floor of each job, measured in the same run, interleaved, as
# medians, with its minor page faults (first touches of fresh memory: machine-independent) and
# peak memory beside each time.
# Usage: bench/end-to-end.sh BUILD_DIR [RUNS]   (QUORREL_BENCH_MIB sets the reference size, 64)
# Conversions, each against a durable copy of its own output (dd conv=fsync into a new file):
#   reference  MIB MiB of new bytes in 16 KiB blocks over an image as large -> a 4*MIB MiB patch
#   small      48,000 new bytes in 240-byte blocks over a 16 MiB image -> about 200 KB
#   batch      200 such DIFF files in one run, against one process writing and fsyncing the 200
#              outputs
# Patch modes (the verdict --check prints goes to /dev/null):
#   check, apply, revert (reference)  the reference DIFF's patch against an image 16 KiB larger,
#              so every change records its old bytes; against the durable copy of that patch
#   check (small)  the small patch against its 16 MiB image; against a durable copy of the patch
#   apply (small)  the same, writing the image; against a durable copy of the image
#   apply two (small)  that patch and a second one made on top of it from another small DIFF,
#              in one run; against a durable copy of the image
# Image comparison (--make-diff, --compare) follows in a section of its own.
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
cli_args=(--settings Quorrel.ini --id 01020304 -q)
{ cat image.bin; head -c 16384 /dev/zero; } >whole.bin
"$cli" "${cli_args[@]}" -i whole.bin ref.dif -o whole.smp
"$cli" "${cli_args[@]}" -i small.bin small-0.dif -o small.smp
"$cli" -q --apply small.smp -i small.bin -o mid-small.bin
"$cli" "${cli_args[@]}" -i mid-small.bin small-1.dif -o next-small.smp
"$cli" -q --apply next-small.smp -i mid-small.bin -o next-small.bin
"$cli" -q --apply whole.smp -i whole.bin -o applied.bin

# dd of FILE into a new file, fsynced.
copy() { rm -f "copies/$2"; "$measure" "$1" dd if="$2" of="copies/$2" bs=8M conv=fsync status=none; }
case_reference() { rm -f out/ref.smp; "$measure" "$1" "$cli" "${cli_args[@]}" \
    -i image.bin ref.dif -o out/ref.smp; }
floor_reference() { rm -f copies/ref.smp; "$measure" "$1" dd if=out/ref.smp of=copies/ref.smp \
    bs=8M conv=fsync status=none; }
case_small() { rm -f out/small.smp; "$measure" "$1" "$cli" "${cli_args[@]}" \
    -i small.bin small-0.dif -o out/small.smp; }
floor_small() { copy "$1" small.smp; }
case_batch() { rm -f small-*.smp; "$measure" "$1" "$cli" "${cli_args[@]}" -i small.bin "${diffs[@]}"; \
    mv small-*.smp out/; }
floor_batch() { rm -f copies/small-*.smp; "$measure" "$1" "$build/bin/quorrel-durable-copy" \
    "${pairs[@]}"; }
case_check_reference() { "$measure" "$1" "$cli" -q --check whole.smp -i whole.bin 2>/dev/null; }
case_apply_reference() { rm -f out/applied.bin; "$measure" "$1" "$cli" -q --apply whole.smp \
    -i whole.bin -o out/applied.bin; }
case_revert_reference() { rm -f out/reverted.bin; "$measure" "$1" "$cli" -q --revert whole.smp \
    -i applied.bin -o out/reverted.bin; }
floor_check_reference() { copy "$1" whole.smp; }
floor_apply_reference() { copy "$1" whole.smp; }
floor_revert_reference() { copy "$1" whole.smp; }
case_check_small() { "$measure" "$1" "$cli" -q --check small.smp -i small.bin 2>/dev/null; }
floor_check_small() { copy "$1" small.smp; }
case_apply_small() { rm -f out/small.bin; "$measure" "$1" "$cli" -q --apply small.smp \
    -i small.bin -o out/small.bin; }
floor_apply_small() { copy "$1" small.bin; }
case_apply_two_small() { rm -f out/small2.bin; "$measure" "$1" "$cli" -q --apply small.smp \
    next-small.smp -i small.bin -o out/small2.bin; }
floor_apply_two_small() { copy "$1" small.bin; }

cases=(reference small batch check_reference apply_reference revert_reference check_small apply_small
    apply_two_small)
declare -A goal=([reference]=1.0 [small]=2.0 [batch]=1.2 [check_reference]=1.0 [apply_reference]=1.5
    [revert_reference]=1.5 [check_small]=2.0 [apply_small]=1.2 [apply_two_small]=1.2)

# One untimed round: the inputs come into the page cache and the outputs exist to be copied.
for c in "${cases[@]}"; do "case_$c" warmup; "floor_$c" warmup; done
cmp out/reverted.bin whole.bin && cmp out/applied.bin applied.bin && cmp out/small2.bin next-small.bin ||
    { echo "$0: apply and revert did not give back the images" >&2; exit 1; }

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
size_mib() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1048576 }'; }

declare -A peak
for c in "${cases[@]}"; do
    times=() floors=() faults=()
    peak[$c]=0
    for ((i = 0; i < runs; i++)); do
        sync; "case_$c" r
        read -r seconds kib minor < r
        times+=("$seconds") faults+=("$minor")
        ((kib > peak[$c])) && peak[$c]=$kib
        sync; "floor_$c" r
        read -r seconds _ < r
        floors+=("$seconds")
    done
    t=$(median "${times[@]}") f=$(median "${floors[@]}") m=$(median "${faults[@]}")
    echo "$c: quorrel-cli median $t s (${times[*]}), $m minor faults; floor median $f s (${floors[*]})"
    awk -v c="$c" -v t="$t" -v f="$f" -v g="${goal[$c]}" -v k="${peak[$c]}" \
        'BEGIN { printf "%s: quorrel-cli / floor: %.2f (goal at most %s); peak memory %.1f MiB\n", c, t / f, g, k / 1024 }'
done
awk -v d="$(size_mib ref.dif)" -v i="$(size_mib image.bin)" -v w="$(size_mib whole.bin)" \
    -v p="$(size_mib out/ref.smp)" -v pr="${peak[reference]}" \
    -v pc="${peak[check_reference]}" -v pa="${peak[apply_reference]}" -v pv="${peak[revert_reference]}" 'BEGIN {
    printf "reference: DIFF %s MiB, image %s MiB, patch %s MiB; conversion peak %.1f MiB (goal: at most DIFF + image + 16 MiB = %.1f MiB)\n",
        d, i, p, pr / 1024, d + i + 16
    printf "patch modes (reference): peak %.1f / %.1f / %.1f MiB for check / apply / revert (goal: at most image + 16 MiB = %.1f MiB)\n",
        pc / 1024, pa / 1024, pv / 1024, w + 16
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
