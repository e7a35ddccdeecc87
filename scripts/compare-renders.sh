#!/usr/bin/env bash
# Renders the same MIDI through the Linux, win32 and win64 builds of the
# plug-in (each with its own render tool) and fails unless the three WAV
# files are identical byte for byte. Expects the three builds to exist.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

build/linux/tools/render/t815-render --quiet --plugin build/linux/plugin/t815.so --out "$dir/linux.wav" "$@"
for arch in win32 win64; do
    scripts/wine-run.sh "$PWD/build/$arch/wineprefix" "$arch" build/$arch/tools/render/t815-render.exe \
        --quiet --plugin "build/$arch/plugin/t815.dll" --out "$dir/$arch.wav" "$@"
done

ok=1
for arch in win32 win64; do
    if cmp -s "$dir/linux.wav" "$dir/$arch.wav"; then
        echo "identical: linux and $arch ($(stat -c %s "$dir/linux.wav") bytes)"
    else
        echo "DIFFERENT: linux and $arch"
        ok=0
    fi
done
[ $ok = 1 ]
