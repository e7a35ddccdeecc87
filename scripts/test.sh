#!/usr/bin/env bash
# Runs every test on every target: the native Linux build, and the win32 and
# win64 builds under Wine. Then proves that the plug-ins of all targets
# render the same MIDI to the same bits, runs the Linux test suite again
# under AddressSanitizer + UBSan and under ThreadSanitizer (the first report
# fails the test), fuzzes the plug-in for a minute, and makes and checks the
# packages.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
./scripts/setup.sh

presets="linux win32 win64"
if ! can_run_32bit; then
    cat <<MSG
NOTE: this machine cannot execute 32-bit x86 programs (its kernel runs without
IA-32 emulation), so Wine cannot run the win32 test programs: they are built
and reported as skipped. The same i686 SSE2 code is tested instead as a Linux
i686 build run under qemu's user-mode emulation (preset linux-i686).
MSG
    presets="$presets linux-i686"
fi

status=0
for preset in $presets; do
    echo "== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    echo "== $preset: test"
    ctest --preset "$preset" || status=1
done

echo "== all targets: identical renders"
./scripts/compare-renders.sh || status=1

for preset in linux-asan linux-tsan; do
    echo "== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    echo "== $preset: test"
    ctest --preset "$preset" || status=1
done

echo "== linux-fuzz: the plug-in fuzzed for a minute"
cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz
ctest --preset linux-fuzz || status=1

echo "== packages: the Debian package and the Windows zip"
version=$(project_version)
if ./scripts/package.sh; then
    python3 tests/package_test.py --version "$version" --source . --build build \
        --deb "out/t815_${version}_$(dpkg --print-architecture).deb" \
        --zip "out/t815-$version-windows.zip" || status=1
else
    status=1
fi

stop_wine
exit $status
