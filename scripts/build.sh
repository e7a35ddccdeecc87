#!/usr/bin/env bash
# The main job: builds the plug-in and the render tool for Linux, 32-bit and
# 64-bit Windows, then renders the built-in demo through the real plug-ins:
# the Linux library natively and the 32-bit Windows DLL under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

for preset in linux win32 win64; do
    echo "== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

mkdir -p out
echo "== rendering the demo (Linux plug-in, native)"
build/linux/tools/render/t815-render --plugin build/linux/plugin/t815.so --out out/t815-demo-linux.wav
echo "== rendering the demo (32-bit Windows plug-in, under Wine)"
scripts/wine-run.sh "$PWD/build/win32/wineprefix" win32 build/win32/tools/render/t815-render.exe \
    --plugin build/win32/plugin/t815.dll --out out/t815-demo-win32.wav
WINEPREFIX="$PWD/build/win32/wineprefix" wineserver -k 2>/dev/null || true

cat <<MSG

Plug-ins:
  32-bit Windows  $PWD/build/win32/plugin/t815.dll
  64-bit Windows  $PWD/build/win64/plugin/t815.dll
  Linux x86_64    $PWD/build/linux/plugin/t815.so
Demo renders:
  $PWD/out/t815-demo-linux.wav
  $PWD/out/t815-demo-win32.wav
MSG
