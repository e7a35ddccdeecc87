#!/bin/sh
# Checks what the built plug-in library exports: for the VST 2.4 library the
# entry point under the two names hosts look for, undecorated, as one
# function; for the CLAP library the one data record clap_entry; and nothing
# else.
#   plugin_exports_test.sh pe  <objdump> <t815.dll>          (Windows DLLs)
#   plugin_exports_test.sh elf <nm>      <t815.so>           (Linux shared object)
#   plugin_exports_test.sh pe|elf <tool> <t815.clap> clap    (the CLAP library)
set -eu
kind=$1 tool=$2 library=$3 face=${4:-vst2}
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "$face" = clap ]; then
    if [ "$kind" = pe ]; then
        names=$("$tool" -p "$library" |
            sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort | tr '\n' ' ')
        [ "$names" = "clap_entry " ] || fail "exported names are '$names'"
    else
        symbols=$("$tool" -D --defined-only "$library" | awk '{print $2 " " $3}' | tr '\n' ' ')
        [ "$symbols" = "D clap_entry " ] || [ "$symbols" = "R clap_entry " ] ||
            fail "defined dynamic symbols are '$symbols', not the one data record"
        names=$symbols
    fi
    echo "exports: $names"
    exit 0
fi

if [ "$kind" = pe ]; then
    dump=$("$tool" -p "$library")
    # Names of the export name table, e.g. "[   0] VSTPluginMain".
    names=$(printf '%s\n' "$dump" |
        sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort | tr '\n' ' ')
    [ "$names" = "VSTPluginMain main " ] || fail "exported names are '$names'"
    # Both names lead to the same address: one function.
    addresses=$(printf '%s\n' "$dump" |
        sed -n '/Export Address Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*+base\[[[:space:]]*[0-9]*\][[:space:]]*\([0-9a-fA-F]*\).*/\1/p' |
        sort -u | wc -l)
    [ "$addresses" -eq 1 ] || fail "the two exports lead to $addresses addresses"
    # The C and C++ runtime is linked in: only system DLLs are imported.
    imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' |
        tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
    for dll in $imports; do
        case $dll in
        kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | advapi32.dll | api-ms-win-*) ;;
        *) fail "imports $dll (imports: $imports)" ;;
        esac
    done
    echo "exports: $names; imports: $imports"
elif [ "$kind" = elf ]; then
    symbols=$("$tool" -D --defined-only "$library" | awk '{print $NF}' | sort | tr '\n' ' ')
    [ "$symbols" = "VSTPluginMain main " ] || fail "defined dynamic symbols are '$symbols'"
    addresses=$("$tool" -D --defined-only "$library" | awk '{print $1}' | sort -u | wc -l)
    [ "$addresses" -eq 1 ] || fail "the two symbols lead to $addresses addresses"
    types=$("$tool" -D --defined-only "$library" | awk '{print $2}' | sort -u | tr '\n' ' ')
    [ "$types" = "T " ] || fail "symbol types are '$types', not functions"
    echo "exports: $symbols"
else
    fail "unknown kind $kind"
fi
