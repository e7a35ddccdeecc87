#!/usr/bin/env bash
# Runs every test on every target: the native Linux build, and the win32 and
# win64 builds under Wine. Then proves that the three plug-ins render the
# same MIDI to the same bits.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

status=0
for preset in linux win32 win64; do
    echo "== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    echo "== $preset: test"
    ctest --preset "$preset" || status=1
done

echo "== all targets: identical renders"
./scripts/compare-renders.sh || status=1

for preset in win32 win64; do
    WINEPREFIX="$PWD/build/$preset/wineprefix" wineserver -k 2>/dev/null || true
done
exit $status
