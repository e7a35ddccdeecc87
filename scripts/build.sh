#!/usr/bin/env bash
# The main job: builds the plug-in and the render tool for Linux, 32-bit and
# 64-bit Windows, then renders the built-in demo through the real plug-ins:
# the Linux library natively and the 32-bit Windows DLL under Wine, saves a
# picture of the 32-bit DLL's editor and makes the packages users download
# (scripts/package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
./scripts/setup.sh

for preset in linux win32 win64; do
    echo "== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

mkdir -p out
echo "== rendering the demo: Linux plug-in, native"
render_with linux out/t815-demo-linux.wav
windows=win32
if ! can_run_32bit; then
    echo "NOTE: this machine cannot execute 32-bit x86 programs (its kernel runs without IA-32"
    echo "emulation), so the 64-bit Windows DLL renders the demo under Wine instead."
    windows=win64
fi
echo "== rendering the demo: $windows plug-in, under Wine"
render_with $windows out/t815-demo-$windows.wav
echo "== a picture of the editor: $windows plug-in, under Wine"
panel_with $windows out/t815-panel.png
stop_wine
echo "== packages"
./scripts/package.sh
version=$(project_version)

cat <<MSG

Plug-ins:
  32-bit Windows  $PWD/build/win32/plugin/t815.dll
  64-bit Windows  $PWD/build/win64/plugin/t815.dll
  Linux x86_64    $PWD/build/linux/plugin/t815.so
  (each with its CLAP plug-in t815.clap beside it)
The player:
  Linux x86_64    $PWD/build/linux/player/t815-play
  32-bit Windows  $PWD/build/win32/player/t815-play.exe
  64-bit Windows  $PWD/build/win64/player/t815-play.exe
Demo renders:
  $PWD/out/t815-demo-linux.wav
  $PWD/out/t815-demo-$windows.wav
Packages (see the README's Install section):
  $PWD/out/t815_${version}_amd64.deb
  $PWD/out/t815-$version-windows.zip
The editor:
  $PWD/out/t815-panel.png
MSG
