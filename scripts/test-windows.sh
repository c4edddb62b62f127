#!/usr/bin/env bash
# Cross-builds the Windows programs and tests, runs every test under wine in a throwaway wine
# prefix, headless (Xvfb for the window), then checks that both programs start from the zip
# alone. Fails on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-windows.sh --tests
bash scripts/package-windows.sh >/dev/null

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
WINEPREFIX=$(mktemp -d /tmp/quorrel-wine.XXXXXX)
unpacked=$(mktemp -d /tmp/quorrel-zip.XXXXXX)
zip=$(ls build-windows/Quorrel-*-windows-x64.zip)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$WINEPREFIX" "$unpacked"' EXIT

# Everything below runs on one X display, which the window tests need. The wine server and
# wine's own helper processes start first, apart from the tests, so that no test's output stays
# held open by them until the run ends.
export wine wineserver zip unpacked jobs=$(nproc)
run_tests='"$wineserver" -p </dev/null >/dev/null 2>&1
    "$wine" wineboot --init </dev/null >/dev/null 2>&1
    status=0
    ctest --test-dir build-windows --output-on-failure -j "$jobs" --timeout 300 || status=$?
    echo "== the zip alone"
    unzip -q "$zip" -d "$unpacked"
    if "$wine" "$unpacked/Quorrel/quorrel-cli.exe" --version &&
        "$wine" build-windows/bin/QuorrelSmoke.exe "Z:$unpacked/Quorrel/Quorrel.exe"; then
        echo "zip: both programs start with no other file"
    else
        echo "zip: FAILED"
        status=1
    fi
    exit $status'

log=build-windows/test-windows.log
status=0
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$run_tests" 2>&1 | tee "$log" || status=$?
summary=$(grep -E '^[0-9]+% tests passed' "$log" | tail -1 || true)
zipped=$(grep -E '^zip: ' "$log" | tail -1 || true)
echo "Windows tests under wine: ${summary:-no summary (build or wine failed)}; ${zipped:-zip: not checked}"
exit $status
