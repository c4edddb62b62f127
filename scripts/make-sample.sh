#!/usr/bin/env bash
# Writes a small sample DIFF file and a firmware image to try Quorrel on, and with INI also a
# settings file with sample pick lists.
# Usage: make-sample.sh [DIR [INI]]   (default DIR: ./sample)
set -euo pipefail
dir=${1:-sample}
mkdir -p "$dir"

le32() {
    # shellcheck disable=SC2059
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"
}

{
    printf 'SPFDSGHA'
    printf 'E250XXKB1\0\0\0\0\0\0\0'    # firmware name, 16 bytes
    printf '\0\0\0\0\0\0\0\0'
    printf 'FBLKNORD'; le32 7; le32 0x1234; printf '\xde\xad\xbe'
    printf 'FBLKNORD'; le32 8; le32 0xABCDEF; printf 'Quor'
    printf 'FBLKNORD'; le32 5; le32 0x12345678; printf '\x01'
} >"$dir/sample.dif"

# 11,500,000 bytes: the smallest image Quorrel accepts; its bytes count up from 0.
block="$dir/block.tmp"
for i in $(seq 0 255); do printf "\\$(printf '%03o' "$i")"; done >"$block"
for _ in $(seq 1 16); do cat "$block" "$block" >"$block.2" && mv "$block.2" "$block"; done  # 16 MiB
head -c 11500000 "$block" >"$dir/image.bin"
rm -f "$block"
if [ -n "${2:-}" ]; then
    iconv -f UTF-8 -t CP1251 >"$2" <<'INI'
[Group]
0=Звук
1=Интерфейс
2=Камера
[Firmware]
0=E250XXKB1
1=E250XXKC2
INI
    echo "Wrote $2"
fi
echo "Wrote $dir/sample.dif and $dir/image.bin"
