#!/usr/bin/env bash
# Takes a screenshot of the real Quorrel window under Xvfb and a small window manager, which
# draws its title bar, with sample pick lists in its settings file. Usage: screenshot.sh [OUTPUT.png] [BUILD_DIR]   (default docs/screenshot.png, build)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshot.png}")
build=${2:-build}

bash scripts/install-deps.sh screenshot
if [ ! -x "$build/bin/Quorrel" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_BUILD_TESTS=OFF
    cmake --build "$build" --target Quorrel
fi

# A copy of its own, so that the settings file beside it is a throwaway one.
# A fixed place, since its name shows in the picture.
work=${TMPDIR:-/tmp}/quorrel-screenshot
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cp "$build/bin/Quorrel" "$work/"
bash scripts/make-sample.sh "$work/firmware" "$work/Quorrel.ini" >/dev/null

mkdir -p "$(dirname "$out")"
bash scripts/openbox-config.sh "$work/openbox.xml"
export QUORREL_WORK=$work QUORREL_SHOT=$out QUORREL_OPENBOX=$work/openbox.xml
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    set -euo pipefail
    cd "$QUORREL_WORK"
    openbox --sm-disable --config-file "$QUORREL_OPENBOX" >/dev/null 2>&1 &
    wm=$!
    sleep 1
    ./Quorrel &
    app=$!
    id=""
    for _ in $(seq 1 100); do
        id=$(xwininfo -name Quorrel 2>/dev/null | sed -n "s/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p") || true
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { echo "the Quorrel window did not appear" >&2; kill "$app"; exit 1; }
    sleep 1  # let it paint
    # With xdotool at hand, the window is shown filled in: a DIFF opened and the fields typed.
    if command -v xdotool >/dev/null; then
        xdotool key alt+d && sleep 1.5
        xdotool type --delay 150 "$QUORREL_WORK/firmware/sample.dif" && xdotool key Return && sleep 1
        xdotool key alt+b && sleep 1.5
        xdotool type --delay 150 "$QUORREL_WORK/firmware/image.bin" && xdotool key Return && sleep 1
        # Slowly: each letter outside the keyboard map comes through a key remapped for it.
        xdotool key Tab Tab Tab Tab && xdotool type --delay 150 "Громкость звонка"
        xdotool key Tab && xdotool type --delay 150 "Звук"
        xdotool key Tab ctrl+a && xdotool type --delay 150 "3"
        xdotool key Tab && xdotool type --delay 150 "Звонок громче на 6 дБ"
        sleep 1
    fi
    import -frame -window "$id" "$QUORREL_SHOT"
    kill "$app" "$wm"
    wait "$app" "$wm" 2>/dev/null || true
'
# A palette image keeps the file small.
convert "$out" -strip PNG8:"$out"
echo "Wrote $out"
