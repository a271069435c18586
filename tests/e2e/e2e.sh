#!/bin/bash
# Shell glue of the end-to-end tests: a virtual display, Wine prefixes, one scenario per run.
#
#   e2e.sh start <state folder>            start Xvfb and make the template Wine prefix
#   e2e.sh run <state folder> <scenario>   run one scenario in a fresh copy of the template
#   e2e.sh stop <state folder>             stop Xvfb (by its process id) and remove the prefixes
#
# Environment: E2E_SOURCE (the repository), E2E_WIN32_BUILD and E2E_WIN64_BUILD (the Windows
# build folders). E2E_REQUIRE=1 turns a missing tool or build into a failure instead of a skip.
# E2E_KEEP=1 keeps each run's prefix for a look afterwards.
#
# Which build runs: the product is the 32-bit Setup.exe, and it is the one tested wherever this
# machine can execute 32-bit programs (Wine's i386 loader). Some kernels are built without 32-bit
# support; there the same sources built for x86-64 run under the 64-bit Wine instead, so the
# tests still drive the real program's code through the real system.
set -u
. "$(cd "$(dirname "$0")/../.." && pwd)/scripts/virtual_display.sh"

SKIP=77
state=${2:-}
if [ -z "$state" ]; then
    echo "usage: $0 start|run|stop <state folder> [scenario]" >&2
    exit 2
fi

skip() {
    echo "e2e: $*"
    if [ "${E2E_REQUIRE:-0}" = 1 ]; then
        echo "e2e: E2E_REQUIRE=1, so this is a failure"
        exit 1
    fi
    echo "e2e: skipped"
    exit $SKIP
}

# Chooses the Wine loader and the matching build: sets WINE, WINEARCH, build.
pick_wine() {
    if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
        WINE=/usr/lib/wine/wine
        WINEARCH=win32
        build=${E2E_WIN32_BUILD:-}
    elif [ -x /usr/lib/wine/wine64 ] && /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
        WINE=/usr/lib/wine/wine64
        WINEARCH=win64
        build=${E2E_WIN64_BUILD:-}
    else
        skip "no runnable Wine loader (install wine, wine32:i386 and wine64)"
    fi
    export WINEARCH
}

quiet_wine_env() {
    export WINEDEBUG=-all
    # No Mono or Gecko installers: the tests need neither .NET nor the HTML engine.
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

start() {
    command -v Xvfb >/dev/null || skip "Xvfb is not installed (package xvfb)"
    pick_wine
    rm -rf "$state"
    mkdir -p "$state"
    # The fixture that starts it ends while it runs; the cleanup stops it by the recorded id.
    local started=0
    start_virtual_display 99 "$state/xvfb.log" && started=1
    [ -z "$virtual_display_pid" ] || echo "$virtual_display_pid" >"$state/xvfb.pid"
    [ $started -eq 1 ] || { echo "e2e: Xvfb did not start"; cat "$state/xvfb.log"; exit 1; }
    local display=${virtual_display#:}
    echo ":$display" >"$state/display"
    echo "e2e: Xvfb on :$display, process $(cat "$state/xvfb.pid")"

    quiet_wine_env
    export WINEPREFIX="$state/template"
    echo "e2e: preparing a $WINEARCH prefix with $WINE"
    DISPLAY=":$display" timeout 300 "$WINE" wineboot.exe --init >"$state/wineboot.log" 2>&1
    timeout 120 wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "e2e: wineboot failed"; cat "$state/wineboot.log"; exit 1; }
    echo "$WINEARCH" >"$state/arch"
    echo "e2e: prefix ready"
}

stop() {
    if [ -f "$state/xvfb.pid" ]; then
        local pid
        pid=$(cat "$state/xvfb.pid")
        kill "$pid" 2>/dev/null && echo "e2e: stopped Xvfb, process $pid"
    fi
    rm -rf "$state/template" "$state/prefixes"
}

run() {
    local scenario=${3:-}
    [ -f "$scenario" ] || { echo "e2e: no scenario $scenario"; exit 2; }
    command -v Xvfb >/dev/null || skip "Xvfb is not installed (package xvfb)"
    pick_wine
    [ -f "$state/template/system.reg" ] || skip "no prepared prefix (the e2e_start fixture did not run)"
    [ -n "$build" ] && [ -f "$build/Setup.exe" ] && [ -f "$build/e2e/driver.exe" ] ||
        skip "no Setup.exe and driver.exe in '${build}' (build the Windows build first)"
    if [ "$WINEARCH" = win64 ]; then
        echo "e2e: this kernel cannot execute 32-bit programs: running the x86-64 build of" \
             "the same sources under the 64-bit Wine"
    fi

    local name prefix product tools
    name=$(basename "$scenario" .scn)
    prefix="$state/prefixes/$name"
    rm -rf "$prefix"
    mkdir -p "$state/prefixes"
    cp -a "$state/template" "$prefix"

    # The product folder, as a vendor ships it: Setup.exe, Install.log and the product files.
    product="$prefix/drive_c/product"
    mkdir -p "$product"
    cp -r "$E2E_SOURCE/sample/." "$product/"
    cp "$build/Setup.exe" "$product/"
    for program in Notizblock.exe Willkommen.exe Deinstall.exe; do
        cp "$build/e2e/marker.exe" "$product/$program"
    done
    tools="$prefix/drive_c/e2e"
    mkdir -p "$tools"
    cp "$build/e2e/driver.exe" "$build/e2e/protect_key.exe" "$build/e2e/marker.exe" "$tools/"
    cp "$scenario" "$tools/scenario.scn"

    quiet_wine_env
    export WINEPREFIX="$prefix"
    echo "e2e: $name ($WINEARCH)"
    DISPLAY=$(cat "$state/display") E2E_PRODUCT='C:\product' E2E_TOOLS='C:\e2e' \
        timeout 240 "$WINE" 'C:\e2e\driver.exe' 'C:\e2e\scenario.scn'
    local result=$?
    if [ $result -ne 0 ] && command -v import >/dev/null; then
        mkdir -p "$state/failures"
        DISPLAY=$(cat "$state/display") import -window root "$state/failures/$name.png" 2>/dev/null &&
            echo "e2e: screen at the failure: $state/failures/$name.png"
    fi
    [ $result -eq 124 ] && echo "e2e: the driver did not finish within 240 s"
    timeout 60 wineserver -k 2>/dev/null
    timeout 60 wineserver -w 2>/dev/null
    [ "${E2E_KEEP:-0}" = 1 ] || rm -rf "$prefix"
    exit $result
}

case "$1" in
    start) start ;;
    run) run "$@" ;;
    stop) stop ;;
    *) echo "usage: $0 start|run|stop <state folder> [scenario]" >&2; exit 2 ;;
esac
