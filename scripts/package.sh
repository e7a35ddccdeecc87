#!/usr/bin/env bash
# Makes the packages a user downloads, into out/, from the linux, win32 and
# win64 build trees (scripts/build.sh builds them first):
#   out/t815_<version>_<arch>.deb     the Linux build, by CPack (cmake/packaging.cmake)
#   out/t815-<version>-windows.zip    the installs of both Windows builds side by
#                                     side: win32/ and win64/, each with t815.dll and
#                                     the tools, and README.txt (and the panel picture)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
root=$PWD
for preset in linux win32 win64; do
    if [ ! -f "build/$preset/CMakeCache.txt" ]; then
        echo "package.sh: no build/$preset: build the linux, win32 and win64 presets first" \
             "(scripts/build.sh does)" >&2
        exit 1
    fi
done

version=$(project_version)
mkdir -p out

deb=t815_${version}_$(dpkg --print-architecture).deb
log=build/linux/packages/cpack.log
mkdir -p build/linux/packages
if ! (cd build/linux && cpack -G DEB) >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
cp "build/linux/packages/$deb" out/

zip=t815-$version-windows
stage=build/windows-zip
rm -rf "$stage" "out/$zip.zip"
for preset in win32 win64; do
    cmake --install "build/$preset" --prefix "$stage/$zip" --strip >/dev/null
done
(cd "$stage" && cmake -E tar cf "$root/out/$zip.zip" --format=zip "$zip")

echo "made out/$deb and out/$zip.zip"
