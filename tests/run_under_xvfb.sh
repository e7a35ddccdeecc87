#!/bin/sh
# Runs a command under a private Xvfb server. The server picks a free
# display number itself (-displayfd), so parallel runs never collide; it is
# stopped when the command ends. It never resets between clients, so a test
# connecting just after another disconnected is not refused.
set -eu
command -v Xvfb >/dev/null || { echo "run_under_xvfb: Xvfb is not installed" >&2; exit 1; }
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" 2>"${T815_XVFB_LOG:-/dev/null}" &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r number <"$fifo" || { echo "run_under_xvfb: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$number" "$@"
