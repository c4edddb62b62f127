#!/usr/bin/env bash
# Builds the Windows programs and packs them with the README into
# build-windows/Quorrel-VERSION-windows-x64.zip. Both programs are linked statically: the zip
# needs nothing else on a bare Windows 10 or 11.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-windows.sh
version=$(sed -n 's/^project(Quorrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage=build-windows/package/Quorrel
rm -rf build-windows/package
mkdir -p "$stage"
cp build-windows/bin/Quorrel.exe build-windows/bin/quorrel-cli.exe README.md "$stage/"
zip=build-windows/Quorrel-$version-windows-x64.zip
rm -f "$zip"
(cd build-windows/package && zip -q -r -X "../$(basename "$zip")" Quorrel)
echo "Wrote $zip"
