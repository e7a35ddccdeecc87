#!/usr/bin/env bash
# Runs a Windows executable under Wine in a private prefix of the build tree.
#   wine-run.sh <prefix-dir> <win32|win64> <program.exe> [args...]
# The prefix is created on first use (under a lock, since tests run in
# parallel) with the null graphics driver, so windows work without an X server.
# A persistent wineserver is started with its output detached: a wineserver
# spawned by wine itself would inherit the caller's pipes and stall them.
set -euo pipefail
prefix=$1 arch=$2
shift 2

export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.t815-ready" ]; then
    rm -rf "$prefix"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.t815-ready"
  fi
  wineserver -p60 </dev/null >/dev/null 2>&1 || true
) 9>"$prefix.lock"

exec wine "$@"
