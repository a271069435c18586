#!/bin/sh
# Runs the Windows build of install-log-check under Wine and checks that it judges a script as
# the host build does: the same exit code and the same JSON, apart from how the paths are spelt.
# The Windows builds are tried in the order given; the first that this machine's Wine can run
# counts. When none can, the test is skipped (exit 77), or fails if E2E_REQUIRE=1.
# usage: wine_check.sh HOST_CHECKER PREFIX_ROOT EXPECTED_EXIT WINDOWS_CHECKERS [ARGUMENT...]
#        WINDOWS_CHECKERS: program paths separated by colons
host_checker=$1
prefix_root=$2
expected=$3
candidates=$4
shift 4

# Runs one Windows build; sets output, errors and code. Returns 1 when Wine cannot run it here.
run_under_wine() {
    program=$1
    shift
    [ -f "$program" ] || { tried="$tried; $program: not built"; return 1; }
    # The machine field of the PE header tells which Wine can run the program.
    pe_offset=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
    machine=$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$program" | tr -d ' ')
    case $machine in
        014c) arch=win32; loader=$(command -v wine) ;;
        8664) arch=win64; loader=$(command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; }) ;;
        *) tried="$tried; $program: no Windows program for i386 or x86-64"; return 1 ;;
    esac
    [ -n "$loader" ] || { tried="$tried; $program: no Wine for $arch"; return 1; }
    mkdir -p "$prefix_root"
    export WINEPREFIX="$prefix_root/$arch" WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ "$arch" = win64 ]; then export WINELOADER="$loader"; else unset WINELOADER; fi
    output=$("$loader" "$program" --json "$@" 2>"$prefix_root/stderr.$$")
    code=$?
    errors=$(cat "$prefix_root/stderr.$$")
    rm -f "$prefix_root/stderr.$$"
    case $errors in
        *"Exec format error"*) tried="$tried; $program: this kernel cannot run $arch programs"; return 1 ;;
    esac
    return 0
}

tried=""
ran=""
old_ifs=$IFS
IFS=:
for candidate in $candidates; do
    IFS=$old_ifs
    if run_under_wine "$candidate" "$@"; then
        ran=$candidate
        break
    fi
done
IFS=$old_ifs
if [ -z "$ran" ]; then
    if [ "${E2E_REQUIRE:-0}" = 1 ]; then
        echo "FAIL: no Windows build of install-log-check could run under Wine${tried}" >&2
        exit 1
    fi
    echo "SKIPPED: no Windows build of install-log-check could run under Wine${tried}"
    exit 77
fi

printf '%s\n' "$output"
if [ "$code" -ne "$expected" ]; then
    printf '%s\n' "$errors" >&2
    echo "FAIL: $ran exited with $code under Wine, expected $expected" >&2
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
echo "$ran ($arch, under Wine) agrees with the host build"
