#!/bin/bash
# Builds one or more of the project's builds:
#   scripts/build.sh            the Windows build only: build/win32/Setup.exe (and the test tools)
#   scripts/build.sh win32 win64 host host-sanitize
# win64 is the same sources for 64-bit Windows, which the end-to-end tests use on hosts whose
# kernel cannot execute 32-bit programs; host and host-sanitize are the host test builds.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- win32

for build in "$@"; do
    case "$build" in
        win32) options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
        win64) options=(-DCMAKE_TOOLCHAIN_FILE="$root/tests/e2e/mingw-x86_64.cmake") ;;
        host) options=() ;;
        host-sanitize) options=(-DSANITIZE=ON) ;;
        *) echo "build: unknown build $build (win32, win64, host, host-sanitize)" >&2; exit 2 ;;
    esac
    echo "build: $build in build/$build"
    cmake -S "$root" -B "$root/build/$build" "${options[@]}" >/dev/null
    cmake --build "$root/build/$build" -j2
done
