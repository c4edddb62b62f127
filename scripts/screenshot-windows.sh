#!/usr/bin/env bash
# Takes a screenshot of the real Quorrel.exe under wine and Xvfb, filled in with a sample DIFF
# file and image, with a small window manager drawing the window's title bar.
# Usage: screenshot-windows.sh [OUTPUT.png]   (default docs/screenshot-windows.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshot-windows.png}")

[ -x build-windows/bin/Quorrel.exe ] || bash scripts/build-windows.sh
bash scripts/install-deps.sh windows screenshot

# A fixed place, since the names of the sample files show in the picture.
work=${TMPDIR:-/tmp}/quorrel
rm -rf "$work"
mkdir -p "$work"
cp build-windows/bin/Quorrel.exe "$work/"
bash scripts/make-sample.sh "$work/firmware" "$work/Quorrel.ini" >/dev/null

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$(dirname "$out")"
bash scripts/openbox-config.sh "$work/openbox.xml"
export wine wineserver work out
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    set -euo pipefail
    "$wine" wineboot --init </dev/null >/dev/null 2>&1
    cd "$work"
    # Cyrillic letters in the keyboard map, so that typing them needs no key remapped on the fly.
    setxkbmap -layout us,ru
    openbox --sm-disable --config-file "$work/openbox.xml" >/dev/null 2>&1 &
    sleep 1
    "$wine" Quorrel.exe </dev/null >/dev/null 2>&1 &
    sleep 6
    key() { xdotool key --delay 150 "$@"; sleep 0.5; }
    text() { xdotool type --delay 40 "$1"; sleep 0.5; }
    # Wine shows the machine'"'"'s files as drive Z:, with Windows separators.
    folder="Z:${work//\//\\}\\firmware"
    key alt+d; sleep 6; text "$folder\\sample.dif"; key Return; sleep 3
    key alt+b; sleep 5; text "$folder\\image.bin"; key Return; sleep 3
    # The focus is back on the BIN button; tabbing into an edit selects its text.
    key Tab; text "Громкость звонка"
    key Tab; text "Звук"
    key Tab; text "3"
    key Tab; text "Звонок громче на 6 дБ"
    sleep 1
    id=$(xdotool search --name "^Quorrel\$" | head -1)
    import -frame -window "$id" "$out"
'
convert "$out" -strip "$out"
echo "Wrote $out"
