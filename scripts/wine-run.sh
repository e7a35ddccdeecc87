#!/usr/bin/env bash
# Runs a Windows executable under Wine in a private prefix of the build tree.
#   wine-run.sh <prefix-dir> <win32|win64> [program.exe [args...]]
# Without a program it only prepares the prefix.
#
# The prefix is created on first use (under a lock: tests run in parallel)
# with the null graphics driver, so windows work without an X server, and
# with the panel's fonts: "Arial" and "Arial Black" drawn by Liberation Sans
# (Arial's metrics; package fonts-liberation2) and Wine's own Tahoma (package
# fonts-wine, which a prefix does not look into by itself).
#
# Wine keeps a server and its own service processes running after a program
# ends. Started by the program, they would inherit its output pipes and hold
# them open (CTest would wait for them for a minute or more), so they are
# started here first, detached from the caller's files, and kept for ten
# minutes after the last program (scripts/lib.sh's stop_wine ends them).
#
# 64-bit programs run under the 64-bit loader directly. WINELOADER names it
# through a private link whose 32-bit sibling does not exist, so a 64-bit
# prefix never tries to start 32-bit helper processes (which, where 32-bit
# code runs only emulated, would take minutes).
set -euo pipefail
prefix=$1 arch=$2
shift 2

export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

case $arch in
    win64)
        mkdir -p "$prefix.bin"
        ln -sfn /usr/lib/wine/wine64 "$prefix.bin/wine64"
        export WINELOADER=$prefix.bin/wine64
        loader=/usr/lib/wine/wine64
        ;;
    win32)
        loader=/usr/lib/wine/wine
        # Wine's 32-bit loader is itself a 32-bit program: on a kernel built or
        # booted without IA-32 emulation nothing 32-bit can run at all.
        if ! "$loader" --version >/dev/null 2>&1; then
            echo "wine-run.sh: this machine cannot execute 32-bit x86 programs" \
                 "(the kernel runs without IA-32 emulation); skipped: $*" >&2
            exit 77
        fi
        ;;
    *)
        echo "wine-run.sh: unknown architecture '$arch'" >&2
        exit 2
        ;;
esac

mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.t815-ready-2" ]; then
        WINEPREFIX="$prefix" wineserver -k 9>&- 2>/dev/null || true
        rm -rf "$prefix"
        "$loader" wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
        "$loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&-
        for face in "Arial" "Arial Black"; do
            "$loader" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "Liberation Sans" /f \
                </dev/null >/dev/null 2>&1 9>&-
        done
        cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf "$prefix/drive_c/windows/Fonts/"
        wineserver -w 9>&-
        touch "$prefix/.t815-ready-2"
    fi
    # (9>&-: what outlives this block must not hold the lock.)
    wineserver -p600 </dev/null >/dev/null 2>&1 9>&- || true
    "$loader" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
) 9>"$prefix.lock"

[ $# -eq 0 ] && exit 0
exec "$loader" "$@"
