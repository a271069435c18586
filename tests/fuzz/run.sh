#!/usr/bin/env bash
# Builds the fuzz target of the install script reader (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for a bounded time, starting from the test scripts.
# Exits non-zero when the run finds anything: a crash, a sanitizer report, or a script on which
# the checker and the installer disagree. The inputs it finds are left in build/fuzz/findings.
# usage: tests/fuzz/run.sh [--coverage] [SECONDS]     (60 seconds unless told)
#   --coverage  afterwards, replay the corpus in a coverage build and print the line and branch
#               coverage of the reader's and the checker's sources
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/fuzz
coverage=0
if [ "${1:-}" = --coverage ]; then
    coverage=1
    shift
fi
seconds=${1:-60}

if ! command -v clang++ > /dev/null; then
    echo "tests/fuzz/run.sh: clang++ is missing (Debian: apt-get install clang libclang-rt-14-dev)" >&2
    exit 2
fi
cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=None > /dev/null
cmake --build "$build" -j2 > "$build/build.log" 2>&1 || {
    cat "$build/build.log" >&2
    echo "tests/fuzz/run.sh: the fuzz target does not build (is libclang-rt-14-dev installed?)" >&2
    exit 2
}

# The fake layer keeps its files below TMPDIR and empties them for every input, which costs far
# less on a RAM disk. A folder of this run's own, removed at the end, also takes what an aborted
# run leaves behind.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    TMPDIR=$(mktemp -d -p /dev/shm reader-fuzz-XXXXXX)
else
    TMPDIR=$(mktemp -d -t reader-fuzz-XXXXXX)
fi
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
mkdir -p "$build/corpus" "$build/findings"
rm -f "$build/findings"/*
status=0
"$build/reader_fuzz" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
    -dict="$root/tests/fuzz/script.dict" -artifact_prefix="$build/findings/" -print_final_stats=1 \
    "$build/corpus" "$root/tests/checker/scripts" > "$build/fuzz.log" 2>&1 || status=$?

grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$build/fuzz.log" || true
grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/fuzz.log" || true
echo "corpus: $(ls "$build/corpus" | wc -l) inputs in build/fuzz/corpus"
findings=$(ls "$build/findings" | wc -l)
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    tail -n 60 "$build/fuzz.log" >&2
    echo "tests/fuzz/run.sh: the fuzz run found something (exit $status, $findings inputs in build/fuzz/findings)" >&2
    exit 1
fi
echo "tests/fuzz/run.sh: no finding in $seconds seconds"

if [ "$coverage" = 1 ]; then
    measure=$root/build/fuzz-coverage
    cmake -S "$root/tests/fuzz" -B "$measure" -DCMAKE_CXX_COMPILER=clang++ -DFUZZ_COVERAGE=ON > /dev/null
    cmake --build "$measure" -j2 > "$measure/build.log" 2>&1 || { cat "$measure/build.log" >&2; exit 2; }
    rm -f "$measure"/*.profraw
    LLVM_PROFILE_FILE="$measure/replay.profraw" "$measure/reader_fuzz" -runs=0 \
        "$build/corpus" "$root/tests/checker/scripts" > "$measure/replay.log" 2>&1
    llvm-profdata merge -o "$measure/replay.profdata" "$measure/replay.profraw"
    llvm-cov report "$measure/reader_fuzz" -instr-profile="$measure/replay.profdata" \
        "$root/script/script_lines.cpp" "$root/script/script_rules.cpp" "$root/script/reader.cpp" \
        "$root"/tools/install_log_check/{check,explain,warnings,script_source,script_text,report_output}.cpp
fi
