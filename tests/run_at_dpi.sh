#!/bin/sh
# Runs a Windows test program under Wine once at each display DPI given,
# naming it to the program in T815_TEST_DPI:
#   run_at_dpi.sh <wine-run.sh> <prefix-dir> <win32|win64> <program.exe> DPI...
# The DPI is the prefix's HKCU\Control Panel\Desktop LogPixels, which Wine 8
# reads when a program starts (it overrides the machine's value under
# HKLM\...\Hardware Profiles\Current\Software\Fonts). Tests that share a
# prefix would see it change under them: the prefix must be this test's own.
set -u
runner=$1 prefix=$2 arch=$3 program=$4
shift 4
for dpi in "$@"; do
    "$runner" "$prefix" "$arch" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
        /t REG_DWORD /d "$dpi" /f >/dev/null || exit $?
    echo "== at $dpi DPI"
    T815_TEST_DPI=$dpi "$runner" "$prefix" "$arch" "$program" || exit $?
done
