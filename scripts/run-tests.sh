#!/bin/bash
# Runs every test of the project: installs what is missing, builds the Windows build and the host
# test builds, then runs CTest in build/host (host tests and the end-to-end tests under Wine) and
# the host tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
# Exits non-zero when anything fails.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh || exit 1

builds=(win32 host host-sanitize)
# The end-to-end tests run the 32-bit Setup.exe wherever this machine can execute 32-bit
# programs, and otherwise the same sources built for x86-64.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "run-tests: this kernel cannot execute 32-bit programs; the end-to-end tests will use the x86-64 build"
    builds+=(win64)
fi
bash scripts/build.sh "${builds[@]}" || exit 1

failed=0
# Missing Wine, Xvfb or Windows build is a failure here, not a skip.
export E2E_REQUIRE=1
echo "run-tests: host tests and end-to-end tests (build/host)"
(cd build/host && ctest --output-on-failure -j2) || failed=1
echo "run-tests: benchmark smoke run on a small payload (prints figures, fails only on a broken run)"
BENCH_REQUIRE=1 BENCH_WIN32_BUILD="$root/build/win32" BENCH_WIN64_BUILD="$root/build/win64" \
    bash bench/run.sh --small || failed=1
echo "run-tests: host tests under AddressSanitizer and UndefinedBehaviorSanitizer (build/host-sanitize)"
(cd build/host-sanitize && ctest --output-on-failure -j2 -LE 'e2e|wine') || failed=1
echo "run-tests: bounded fuzz run over the script reader (60 seconds)"
bash tests/fuzz/run.sh 60 || failed=1

if [ $failed -ne 0 ]; then
    echo "run-tests: FAILED"
    exit 1
fi
echo "run-tests: all tests passed"
