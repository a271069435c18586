#!/bin/sh
# Runs the Windows build of install-log-check under Wine and checks that it judges a script as
# the host build does: the same exit code and the same JSON, apart from how the paths are spelt.
# Exits 77 (a skip for CTest) when the Windows build, Wine, or Wine for its architecture is absent.
# usage: wine_check.sh HOST_CHECKER WINDOWS_CHECKER PREFIX_ROOT EXPECTED_EXIT [ARGUMENT...]
host_checker=$1
windows_checker=$2
prefix_root=$3
expected=$4
shift 4

skip() {
    echo "SKIPPED: $*"
    exit 77
}

[ -f "$windows_checker" ] || skip "no Windows build at $windows_checker"
# The machine field of the PE header tells which Wine can run the program.
pe_offset=$(od -An -tu4 -j60 -N4 "$windows_checker" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$windows_checker" | tr -d ' ')
case $machine in
    014c) arch=win32; loader=$(command -v wine) ;;
    8664) arch=win64; loader=$(command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; }) ;;
    *) echo "FAIL: $windows_checker is no Windows program for i386 or x86-64 (machine $machine)"; exit 1 ;;
esac
[ -n "$loader" ] || skip "no Wine for $arch programs"

mkdir -p "$prefix_root"
export WINEPREFIX="$prefix_root/$arch" WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ "$arch" = win64 ] && export WINELOADER="$loader"

output=$("$loader" "$windows_checker" --json "$@" 2>"$prefix_root/stderr.$$")
code=$?
errors=$(cat "$prefix_root/stderr.$$")
rm -f "$prefix_root/stderr.$$"
case $errors in
    *"Exec format error"*|*"wine32 is missing"*) skip "this host cannot run $arch programs under Wine" ;;
esac
printf '%s\n' "$output"
if [ "$code" -ne "$expected" ]; then
    printf '%s\n' "$errors" >&2
    echo "FAIL: exit code $code under Wine, expected $expected" >&2
    exit 1
fi

# Windows writes CR LF and backslashes in the paths it found; the rest must match byte for byte.
strip_paths() { tr -d '\r' | sed -e 's/"script": "[^"]*"/"script": PATH/' -e 's/"folder": "[^"]*"/"folder": PATH/'; }
windows_json=$(printf '%s\n' "$output" | strip_paths)
host_json=$("$host_checker" --json "$@" 2>/dev/null | strip_paths)
if [ "$windows_json" != "$host_json" ]; then
    echo "FAIL: the Windows build and the host build differ" >&2
    echo "host:    $host_json" >&2
    echo "Windows: $windows_json" >&2
    exit 1
fi
echo "the Windows build ($arch) agrees with the host build"
