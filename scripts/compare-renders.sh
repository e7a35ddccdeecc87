#!/usr/bin/env bash
# Renders the same MIDI (by default the built-in demo; any t815-render options
# may follow) through every built target's plug-in with that target's render
# tool, and fails unless all WAV files are identical byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

targets="linux win64"
if can_run_32bit; then targets="$targets win32"; fi
if [ -x build/linux-i686/tools/render/t815-render ]; then targets="$targets linux-i686"; fi

for target in $targets; do
    render_with "$target" "$dir/$target.wav" --quiet "$@"
done

ok=1
for target in $targets; do
    [ "$target" = linux ] && continue
    if cmp -s "$dir/linux.wav" "$dir/$target.wav"; then
        echo "identical: linux and $target ($(stat -c %s "$dir/linux.wav") bytes)"
    else
        echo "DIFFERENT: linux and $target"
        ok=0
    fi
done
[ $ok = 1 ]
