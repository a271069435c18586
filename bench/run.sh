#!/bin/bash
# The installer's benchmark: prints figures, never fails on one.
#
#   bench/run.sh [--small] [--runs N]
#
# Under Wine on a virtual display it lays out a product of 200 files (100 of 640 KiB and 100 of
# 1 KiB, random bytes) with an Install.log that lists them, and in one Wine session, N times
# (default 5) after one warm-up round:
#   - Setup.exe: start to the visible welcome window, and the press of "Weiter >" to the visible
#     final box "Die Installation wurde abgeschlossen!" (timed inside Wine by bench/timing_driver);
#   - the plain loop (bench/plain_copy): the same files with 2048-byte ReadFile/WriteFile blocks,
#     once bare and once with the installer's other steps for each file replayed (a status text,
#     the wait and arrow cursors, the same-file guard), to show what those steps cost;
#   - where makensis is installed (Debian package nsis): a silent, uncompressed NSIS installer of
#     the same files, from its start to its end;
#   - a minimal Win32 program of ours (bench/min_window): start to its visible window.
# Then one profiled installation (when the progress window, the first and last status texts and
# the final box came), each per-file step timed alone, the medians, the ratios against the
# targets, the size of Setup.exe with its sections, and its imports.
#
# --small: a few files and one round, for the CI smoke run. --runs N: N rounds.
# Builds into build/bench (BENCH_BUILD overrides); BENCH_WIN32_BUILD and BENCH_WIN64_BUILD name
# Windows build folders whose Setup.exe is taken instead of building one. Exits with 0 when the figures were printed,
# also when a figure misses its target; 1 when a run itself went wrong (a box other than the
# final one, a time-out); a missing tool is reported and skipped (exit 0) unless BENCH_REQUIRE=1.
set -u

repo=$(cd "$(dirname "$0")/.." && pwd)
out=${BENCH_BUILD:-$repo/build/bench}
runs=5
small=0
while [ $# -gt 0 ]; do
    case "$1" in
        --small) small=1; runs=1 ;;
        --runs) runs=${2:-}; shift ;;
        *) echo "usage: $0 [--small] [--runs N]" >&2; exit 2 ;;
    esac
    shift
done
case "$runs" in ''|*[!0-9]*|0) echo "bench: --runs needs a number of at least 1" >&2; exit 2 ;; esac

say() { echo "bench: $*"; }
skip() {
    say "$*"
    if [ "${BENCH_REQUIRE:-0}" = 1 ]; then say "BENCH_REQUIRE=1, so this is a failure"; exit 1; fi
    say "skipped: no figures"
    exit 0
}
fail() { say "FAILED: $*" >&2; exit 1; }

# ----- tools and builds

command -v Xvfb >/dev/null || skip "Xvfb is not installed (package xvfb)"
command -v cmake >/dev/null || skip "cmake is not installed"
command -v i686-w64-mingw32-g++ >/dev/null || skip "the mingw-w64 cross compiler is not installed"

# The product is the 32-bit Setup.exe and it is timed wherever this machine runs 32-bit programs.
# Kernels without 32-bit support run the x86-64 build of the same sources under the 64-bit Wine.
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINE=/usr/lib/wine/wine; export WINEARCH=win32; triplet=i686-w64-mingw32
    toolchain=$repo/cmake/mingw-i686.cmake; nsis_target=x86-unicode
elif [ -x /usr/lib/wine/wine64 ] && /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
    WINE=/usr/lib/wine/wine64; export WINEARCH=win64; triplet=x86_64-w64-mingw32
    toolchain=$repo/tests/e2e/mingw-x86_64.cmake; nsis_target=amd64-unicode
else
    skip "no runnable Wine loader (install wine, wine32:i386 and wine64)"
fi
command -v $triplet-g++ >/dev/null || skip "$triplet-g++ is not installed"

mkdir -p "$out"
log=$out/log
mkdir -p "$log"

build_setup() {  # <folder> <toolchain file>
    cmake -S "$repo" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$2" >"$log/cmake-$(basename "$1").log" 2>&1 &&
        cmake --build "$1" --target Setup -j2 >>"$log/cmake-$(basename "$1").log" 2>&1 ||
        fail "building Setup.exe in $1 failed; see $log/cmake-$(basename "$1").log"
}
given_or_built() {  # <given folder or empty> <own folder> <toolchain>: the folder of Setup.exe
    if [ -n "$1" ] && [ -f "$1/Setup.exe" ]; then
        echo "$1"
    else
        say "building Setup.exe in $2" >&2
        build_setup "$2" "$3"
        echo "$2"
    fi
}
product_exe=$(given_or_built "${BENCH_WIN32_BUILD:-}" "$out/win32" "$repo/cmake/mingw-i686.cmake")/Setup.exe ||
    exit 1
if [ "$WINEARCH" = win64 ]; then
    say "this kernel cannot execute 32-bit programs: timing the x86-64 build of the same sources" \
        "under the 64-bit Wine; the size below is the 32-bit Setup.exe's"
    timed_exe=$(given_or_built "${BENCH_WIN64_BUILD:-}" "$out/win64" "$toolchain")/Setup.exe || exit 1
else
    timed_exe=$product_exe
fi

tools=$out/tools-$WINEARCH
mkdir -p "$tools"
cxx_flags=(-std=c++17 -O2 -Wall -Wextra -static -static-libgcc -static-libstdc++)
$triplet-g++ "${cxx_flags[@]}" -I"$repo/tests/e2e" -o "$tools/timing_driver.exe" \
    "$repo/bench/timing_driver.cpp" "$repo/tests/e2e/target.cpp" -luser32 >"$log/tools.log" 2>&1 &&
$triplet-g++ "${cxx_flags[@]}" -o "$tools/plain_copy.exe" "$repo/bench/plain_copy.cpp" -lgdi32 -luser32 \
    >>"$log/tools.log" 2>&1 &&
$triplet-g++ "${cxx_flags[@]/-O2/-Os}" -s -mwindows -o "$tools/min_window.exe" "$repo/bench/min_window.cpp" \
    >>"$log/tools.log" 2>&1 || fail "building the benchmark tools failed; see $log/tools.log"

# ----- display and Wine session

. "$repo/scripts/virtual_display.sh"
finish() {
    timeout 60 wineserver -k 2>/dev/null
    [ -z "${virtual_display_pid:-}" ] || kill "$virtual_display_pid" 2>/dev/null
}
trap finish EXIT
start_virtual_display 77 "$log/xvfb.log" || fail "no virtual display"
export DISPLAY=$virtual_display
export WINEPREFIX=$out/prefix-$WINEARCH
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "preparing a $WINEARCH Wine prefix in $WINEPREFIX"
    timeout 300 "$WINE" wineboot.exe --init >"$log/wineboot.log" 2>&1
    timeout 120 wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot failed; see $log/wineboot.log"
fi
# One server for every program of the run: the figures share one Wine session.
wineserver -p
# Xvfb has no window manager, and Wine waits up to 2 s for one to withdraw each managed window
# it hides (the welcome window, on "Weiter >"); no desktop with a window manager has that wait,
# so the benchmark's windows are unmanaged.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log/wine.log" 2>&1 ||
    fail "cannot turn off Wine's managed windows"

# ----- the product

bench=$WINEPREFIX/drive_c/bench
rm -rf "$bench"
mkdir -p "$bench/product" "$bench/tools" "$bench/out"
if [ $small = 1 ]; then big=3; little=3; else big=100; little=100; fi
entries=()
for i in $(seq 1 $((big > little ? big : little))); do
    name=$(printf 'gross%03d.bin' "$i")
    [ "$i" -le $big ] && head -c $((640 * 1024)) /dev/urandom >"$bench/product/$name" && entries+=("$name")
    name=$(printf 'klein%03d.bin' "$i")
    [ "$i" -le $little ] && head -c 1024 /dev/urandom >"$bench/product/$name" && entries+=("$name")
done
{
    printf 'VELMORA Quillset 2.0 - Install.log\r\n'
    printf 'Nicht ver\xe4ndern, nicht l\xf6schen!\r\n'
    printf 'Messprodukt\r\nC:\\PROGRAMME\\Messprodukt\r\nMessprodukt\r\nBenchmark\r\n%d\r\n' ${#entries[@]}
    for name in "${entries[@]}"; do printf '%s\r\nNEIN!\r\n' "$name"; done
    printf '\r\n'
} >"$bench/product/Install.log"
cp "$timed_exe" "$bench/product/Setup.exe"
cp "$tools"/*.exe "$bench/tools/"
payload=$(du -sb "$bench/product" | cut -f1)
say "product: ${#entries[@]} files, $payload bytes with Setup.exe and Install.log"

nsis_exe=""
if command -v makensis >/dev/null; then
    mkdir -p "$out/nsis"
    {
        echo "Unicode true"
        echo "Target $nsis_target"
        echo "Name \"Messprodukt\""
        echo "OutFile \"$bench/peer.exe\""
        echo "SetCompress off"
        echo "SilentInstall silent"
        echo "RequestExecutionLevel user"
        echo "InstallDir \"C:\\bench\\out\\nsis\""
        echo "Section"
        echo "SetOutPath \"\$INSTDIR\""
        for name in "${entries[@]}"; do echo "File \"$bench/product/$name\""; done
        echo "SectionEnd"
    } >"$out/nsis/peer.nsi"
    if makensis -V2 "$out/nsis/peer.nsi" >"$log/makensis.log" 2>&1; then
        nsis_exe='C:\bench\peer.exe'
    else
        say "makensis could not build the peer installer (see $log/makensis.log): no peer figure"
    fi
else
    say "makensis is not installed (Debian package nsis): no peer figure"
fi

# ----- the rounds

wine_run() { timeout 900 "$WINE" "$@" 2>>"$log/wine.log" | tr -d '\r'; }
value_of() { sed -n "s/^$1=//p" <<<"$2" | head -1; }
need() {  # <variable> <key> <output> <what>: the figure, or the end of the benchmark
    local v
    v=$(value_of "$2" "$3")
    [ -n "$v" ] || fail "$4: ${3:-no output} (Wine's messages: $log/wine.log)"
    printf -v "$1" '%s' "$v"
}
same_files() {  # <folder>: every entry there byte for byte
    local name
    for name in "${entries[@]}"; do
        cmp -s "$bench/product/$name" "$1/$name" || fail "$1/$name differs from the source"
    done
}

# Each figure is taken after the writes of the one before have reached the disk.
settle() { rm -rf "$bench/out"/*; sync; }
declare -a setup_start setup_install loop replay peer minimal
for round in $(seq 0 "$runs"); do
    settle
    o=$(wine_run 'C:\bench\tools\timing_driver.exe' install 'C:\bench\product\Setup.exe' 'C:\bench\out\setup')
    need i install_ms "$o" "Setup.exe installation"
    [ "$round" = 1 ] && same_files "$bench/out/setup"

    settle
    o=$(wine_run 'C:\bench\tools\plain_copy.exe' 'C:\bench\product' 'C:\bench\out\loop')
    need l copy_ms "$o" "plain loop"
    [ "$round" = 1 ] && same_files "$bench/out/loop"

    settle
    o=$(wine_run 'C:\bench\tools\plain_copy.exe' 'C:\bench\product' 'C:\bench\out\replay' \
        --status --cursor --identity)
    need r copy_ms "$o" "plain loop with the installer's steps"

    p=""
    if [ -n "$nsis_exe" ]; then
        settle
        o=$(wine_run 'C:\bench\tools\timing_driver.exe' run "$nsis_exe")
        need p run_ms "$o" "NSIS peer"
        [ "$round" = 1 ] && same_files "$bench/out/nsis"
    fi

    # Start-up, taken in turns, twice a round: a Wine process start is the noisiest figure here.
    settle
    starts=""
    for _ in 1 2; do
        o=$(wine_run 'C:\bench\tools\timing_driver.exe' window 'C:\bench\product\Setup.exe' VelmoraClass)
        need s startup_ms "$o" "Setup.exe start-up"
        o=$(wine_run 'C:\bench\tools\timing_driver.exe' window 'C:\bench\tools\min_window.exe' MinimalWindow)
        need m startup_ms "$o" "minimal window program"
        [ "$round" = 0 ] || { setup_start+=("$s"); minimal+=("$m"); }
        starts+=" $s/$m"
    done

    if [ "$round" = 0 ]; then
        say "warm-up round done"
        continue
    fi
    setup_install+=("$i"); loop+=("$l"); replay+=("$r")
    [ -n "$p" ] && peer+=("$p")
    say "round $round: install $i ms, plain loop $l ms, with the installer's steps $r ms${p:+, NSIS $p ms}," \
        "start-ups (Setup.exe/minimal)$starts ms"
done

# One more installation, not counted: when the progress window came, the first and the last
# status text, and the final box, each from the press of "Weiter >".
settle
o=$(wine_run 'C:\bench\tools\timing_driver.exe' profile 'C:\bench\product\Setup.exe' 'C:\bench\out\setup')
need pv progress_visible_ms "$o" "profile: progress window"
need pf first_status_ms "$o" "profile: first status text"
need pl last_status_ms "$o" "profile: last status text"
need pb install_ms "$o" "profile: final box"
settle
# The installer's steps beside the copy, each timed alone, 1000 times over.
o=$(wine_run 'C:\bench\tools\plain_copy.exe' --steps 'C:\bench\product')
need st status_text_us "$o" "step: status text"
need sc cursor_pair_us "$o" "step: cursors"
need sl cursor_loads_us "$o" "step: cursor loads"
need ss cursor_sets_us "$o" "step: cursor sets"
need si identity_missing_us "$o" "step: same-file guard"
need se identity_existing_us "$o" "step: same-file guard, existing file"

# ----- figures

median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else printf "%.1f\n", (v[NR/2]+v[NR/2+1])/2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
verdict() { awk -v r="$1" -v t="$2" 'BEGIN {print (r <= t) ? "within the target" : "OVER the target"}'; }

mi=$(median "${setup_install[@]}"); ml=$(median "${loop[@]}"); mr=$(median "${replay[@]}")
ms=$(median "${setup_start[@]}"); mm=$(median "${minimal[@]}")
ri=$(ratio "$mi" "$ml"); rs=$(ratio "$ms" "$mm")
size=$(stat -c %s "$product_exe")

echo
echo "Benchmark $(date -u '+%Y-%m-%d %H:%M UTC'), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
     "$(nproc) cores, $("$WINE" --version 2>/dev/null) ($WINEARCH), $DISPLAY on Xvfb"
echo "payload: ${#entries[@]} files, $((payload / 1024)) KiB; medians of $runs run(s)"
printf '  %-48s %10s ms\n' "Setup.exe: \"Weiter >\" to the final box" "$mi"
printf '  %-48s %10s ms\n' "plain loop, 2048-byte blocks" "$ml"
printf '  %-48s %10s ms\n' "plain loop with the installer's per-file steps" "$mr"
if [ ${#peer[@]} -gt 0 ]; then
    printf '  %-48s %10s ms\n' "NSIS, silent, uncompressed (start to end)" "$(median "${peer[@]}")"
else
    printf '  %-48s %10s\n' "NSIS, silent, uncompressed" "not timed (no makensis)"
fi
printf '  %-48s %10s ms\n' "Setup.exe: start to the welcome window" "$ms"
printf '  %-48s %10s ms\n' "minimal window program: start to its window" "$mm"
echo "where the installation's time goes (one profiled run, from the press):"
echo "  progress window visible $pv ms; first status text $pf ms; last status text $pl ms; final box $pb ms"
per_file() { awk -v us="$1" -v n="${#entries[@]}" 'BEGIN {printf "%.0f us (x%d = %.1f ms)", us, n, us * n / 1000}'; }
echo "  per file beside the copy: status text $(per_file "$st"); wait and arrow cursor $(per_file "$sc"),"
echo "    of which the two LoadCursorA $(per_file "$sl") and the two SetCursor $(per_file "$ss");"
echo "    same-file guard $(per_file "$si") (over an existing file: $(per_file "$se"))"
[ $small = 1 ] && echo "(a small payload: the fixed costs outweigh the copy, so its ratios say little)"
echo "install / plain loop: $ri (target <= 1.45: $(verdict "$ri" 1.45))"
echo "start-up / minimal window: $rs (target <= 1.2: $(verdict "$rs" 1.2))"
echo "Setup.exe (32-bit): $size bytes (target <= 65536: $(verdict "$size" 65536))"
sections=""
while read -r _ name hex _; do
    sections+="$name $((16#$hex)), "
done < <(objdump -h "$product_exe" | awk '$2 ~ /^\./')
echo "  sections: ${sections%, }"
imports=$(objdump -p "$product_exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
echo "  imports: $imports"
foreign=""
for dll in $imports; do
    case "$dll" in
        kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|ole32.dll|msvcrt.dll|comctl32.dll) ;;
        *) foreign="$foreign $dll" ;;
    esac
done
if [ -z "$foreign" ]; then
    echo "  static: needs no DLL beyond the system's"
else
    echo "  NOT self-contained: needs$foreign"
fi
exit 0
