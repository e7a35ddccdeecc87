# Shared by the build and test scripts.

# True when this machine can execute 32-bit x86 programs (Wine's 32-bit
# loader is one): kernels built or booted without IA-32 emulation cannot.
can_run_32bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Renders MIDI (or the built-in demo) through one target's plug-in with that
# target's render tool: render_with <preset> <out.wav> [tool options...]
render_with() {
    local preset=$1 out=$2
    shift 2
    case $preset in
        linux)
            build/linux/tools/render/t815-render --plugin build/linux/plugin/t815.so --out "$out" "$@" ;;
        linux-i686)
            qemu-i386-static build/linux-i686/tools/render/t815-render \
                --plugin build/linux-i686/plugin/t815.so --out "$out" "$@" ;;
        win32 | win64)
            scripts/wine-run.sh "$PWD/build/$preset/wineprefix" "$preset" build/$preset/tools/render/t815-render.exe \
                --plugin "build/$preset/plugin/t815.dll" --out "$out" "$@" ;;
    esac
}

# Saves a picture of one Windows target's editor: panel_with <preset> <out.png>
panel_with() {
    local preset=$1 out=$2
    scripts/wine-run.sh "$PWD/build/$preset/wineprefix" "$preset" build/$preset/tools/render/t815-render.exe \
        --plugin "build/$preset/plugin/t815.dll" --panel "$out"
}

# The project's version, from project() in CMakeLists.txt, as configured in
# the Linux build tree.
project_version() {
    sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/linux/CMakeCache.txt
}

# Ends the Wine servers of the build trees' prefixes. Where a server has
# already gone, wineserver -k fails; that must not end a set -e script.
stop_wine() {
    for preset in win32 win64; do
        for prefix in wineprefix wineprefix-dpi; do
            [ -d "build/$preset/$prefix" ] && WINEPREFIX="$PWD/build/$preset/$prefix" wineserver -k 2>/dev/null || true
        done
    done
    return 0
}
