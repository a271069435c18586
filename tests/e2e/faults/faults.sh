#!/bin/bash
# Fault tests of the installer, end to end under Wine: each lays out a product of its own, puts
# the machine into the fault (a full disk, a read-only or locked destination file, ...), runs its
# scenario with the end-to-end driver and then checks on the host what the driver cannot see.
#
#   faults.sh run <state folder> <case>
#
# The state folder is the one the end-to-end fixture prepared (tests/e2e/e2e.sh start): its
# template Wine prefix and its virtual display. Each case runs in a fresh copy of the template.
# Cases: disk_full readonly_destination locked_destination same_folder same_folder_other_spelling
#        long_destination_path long_source_path two_hundred_entries
# Environment as for e2e.sh: E2E_WIN32_BUILD, E2E_WIN64_BUILD; E2E_REQUIRE=1 turns a skip for a
# missing tool or build into a failure (a machine that refuses the fault itself, such as a mount,
# is always a skip); E2E_KEEP=1 keeps the prefix. Exit codes: 0 passed, 1 failed, 77 skipped.
set -u

SKIP=77
here=$(cd "$(dirname "$0")" && pwd)
state=${2:-}
[ -n "$state" ] && mkdir -p "$state" && state=$(cd "$state" && pwd)
case_name=${3:-}
if [ "${1:-}" != run ] || [ -z "$state" ] || [ -z "$case_name" ]; then
    echo "usage: $0 run <state folder> <case>" >&2
    exit 2
fi
scenario=$here/cases/$case_name.scn
[ -f "$scenario" ] || { echo "faults: no scenario $scenario"; exit 2; }

say() { echo "faults: $*"; }
skip() {
    say "$*"
    if [ "${E2E_REQUIRE:-0}" = 1 ]; then say "E2E_REQUIRE=1, so this is a failure"; exit 1; fi
    say "skipped"
    exit $SKIP
}
# The machine refuses the fault itself (no mount, no immutable files): a skip in every case, since
# nothing in the project could make it pass here.
skip_always() { say "$*"; say "skipped"; exit $SKIP; }
fail() { say "FAILED: $*"; result=1; }

# ----- Wine, builds, the helper

command -v Xvfb >/dev/null || skip "Xvfb is not installed (package xvfb)"
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINE=/usr/lib/wine/wine; export WINEARCH=win32; build=${E2E_WIN32_BUILD:-}; triplet=i686-w64-mingw32
elif [ -x /usr/lib/wine/wine64 ] && /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
    WINE=/usr/lib/wine/wine64; export WINEARCH=win64; build=${E2E_WIN64_BUILD:-}; triplet=x86_64-w64-mingw32
    say "this kernel cannot execute 32-bit programs: the x86-64 build of the same sources runs"
else
    skip "no runnable Wine loader (install wine, wine32:i386 and wine64)"
fi
[ -f "$state/template/system.reg" ] || skip "no prepared prefix (the e2e_start fixture did not run)"
[ -n "$build" ] && [ -f "$build/Setup.exe" ] && [ -f "$build/e2e/driver.exe" ] ||
    skip "no Setup.exe and driver.exe in '${build}' (build the Windows build first)"
command -v $triplet-g++ >/dev/null || skip "$triplet-g++ is not installed"

helper=$state/fault-tools-$WINEARCH/fault_helper.exe
mkdir -p "$(dirname "$helper")"
if [ ! -f "$helper" ] || [ "$here/fault_helper.cpp" -nt "$helper" ]; then
    # Built beside the fixture by the first case that needs it; several cases may start at once.
    $triplet-g++ -std=c++17 -O2 -Wall -Wextra -static -static-libgcc -static-libstdc++ \
        -o "$helper.$$" "$here/fault_helper.cpp" && mv -f "$helper.$$" "$helper" ||
        { say "cannot build fault_helper.exe"; exit 1; }
fi

# ----- the product of a case

prefix=$state/prefixes/fault-$case_name
drive_c=$prefix/drive_c
product_folder='C:\product'
product=$drive_c/product
mount_point=""
immutable=""

# random <path> <bytes>
random_file() { mkdir -p "$(dirname "$1")"; head -c "$2" /dev/urandom >"$1"; }

# write_script <folder> <name> <option> [<name> <option>]...: an Install.log listing the entries
write_script() {
    local folder=$1
    shift
    {
        printf 'VELMORA Quillset 2.0 - Install.log\r\n'
        printf 'Nicht ver\xe4ndern, nicht l\xf6schen!\r\n'
        printf 'Fehlerprobe\r\nC:\\PROGRAMME\\Fehlerprobe\r\nFehlerprobe\r\nreserviert\r\n%d\r\n' $(($# / 2))
        while [ $# -gt 0 ]; do printf '%s\r\n%s\r\n' "$1" "$2"; shift 2; done
        printf '\r\n'
    } >"$folder/Install.log"
}

# Entry names use backslashes as the script does; on the host they are slashes.
host_path() { printf '%s/%s' "$1" "${2//\\//}"; }

# The product of the read-only and locked cases: the protected file sits between two others.
three_files() {
    random_file "$product/Programm.bin" 5000
    random_file "$product/Liesmich.txt" 3000
    random_file "$product/Hilfe.txt" 100
    write_script "$product" Programm.bin NEIN! Liesmich.txt NEIN! Hilfe.txt NEIN!
}

# Files whose copy over themselves would show: larger than one block, in a sub-folder, and one
# that is copied only where it does not exist yet.
same_folder_files() {
    random_file "$product/Programm.bin" 10000
    random_file "$product/Liesmich.txt" 2049
    random_file "$product/Vorlagen/Brief.txt" 700
    random_file "$product/Einstellungen.ini" 300
    write_script "$product" Programm.bin NEIN! Liesmich.txt NEIN! 'Vorlagen\Brief.txt' NEIN! \
        Einstellungen.ini NEINIFNOTEXIST!
    mkdir -p "$drive_c/reference"
    cp -r "$product/." "$drive_c/reference/"
}

long_folder_name=Ein_sehr_langer_Ordnername_fuer_den_Test_der_Pfadgrenze_Ein_sehr_langer_Ordnername_fuer_den_Test_der_Pfadgrenze_Ein_sehr_langer_Ordnername_fuer_den_Test_der_Pfadgrenze_Ein_sehr_langer_Ordnername_fu
name58=Eine_Datei_mit_einem_langen_Namen_fuer_die_Pfadgrenze_.txt
name59=Eine_Datei_mit_einem_langen_Namen_fuer_die_Pfadgrenze_E.txt
name99=Eine_Datei_mit_einem_langen_Namen_fuer_die_Pfadgrenze_Eine_Datei_mit_einem_langen_Namen_fuer_di.txt

layout() {
    mkdir -p "$product"
    case "$case_name" in
    disk_full)
        # 1 MiB of room: the small files fit, the large one does not; the empty file and the
        # uninstaller (into the Windows folder on drive C:) come after it.
        random_file "$product/Klein.txt" 3000
        random_file "$product/Vorlagen/Brief.txt" 500
        random_file "$product/Gross.bin" $((2 * 1024 * 1024))
        : >"$product/Leer.txt"
        random_file "$product/Deinstall.exe" 4000
        write_script "$product" Klein.txt NEIN! 'Vorlagen\Brief.txt' NEIN! Gross.bin NEIN! Leer.txt NEIN! \
            Deinstall.exe DEINST!
        [ "$(id -u)" = 0 ] || { skip_reason="mounting a small disk needs root"; return; }
        mount_point=$state/prefixes/fault-$case_name-disk
        mkdir -p "$mount_point"
        if ! mount -t tmpfs -o size=1m,mode=0777 tmpfs "$mount_point" 2>"$state/prefixes/mount-$case_name.log"; then
            skip_reason="mounting a 1 MiB tmpfs was refused: $(cat "$state/prefixes/mount-$case_name.log")"
            mount_point=""
            return
        fi
        ln -s "$mount_point" "$prefix/dosdevices/t:"
        ;;
    readonly_destination | locked_destination) three_files ;;
    same_folder | same_folder_other_spelling) same_folder_files ;;
    long_destination_path)
        random_file "$product/kurz.txt" 100
        random_file "$product/$name58" 200
        random_file "$product/$name59" 300
        random_file "$product/$name99" 400
        write_script "$product" kurz.txt NEIN! "$name58" NEIN! "$name59" NEIN! "$name99" NEIN!
        ;;
    long_source_path)
        # The product itself lies in a folder of 200 characters.
        product_folder="C:\\$long_folder_name"
        product=$drive_c/$long_folder_name
        mkdir -p "$product"
        random_file "$product/kurz.txt" 100
        random_file "$product/$name58" 200
        random_file "$product/$name59" 300
        write_script "$product" kurz.txt NEIN! "$name58" NEIN! "$name59" NEIN!
        ;;
    two_hundred_entries)
        # Sizes around the block size and beyond, half of the files in a sub-folder.
        local sizes=(0 1 2047 2048 2049 4096 4097 6144) args=() i name
        for i in $(seq 1 200); do
            name=$(printf 'Datei%03d.bin' "$i")
            [ "$i" -gt 100 ] && name="Teil2\\$name"
            random_file "$(host_path "$product" "$name")" $((i <= 8 ? sizes[i - 1] : (i * 7919) % 20000))
            args+=("$name" NEIN!)
        done
        write_script "$product" "${args[@]}"
        ;;
    *) say "unknown case $case_name"; exit 2 ;;
    esac
}

# ----- checks on the host, after the driver

# The destination's file list, relative, sorted: nothing beside what is expected.
expect_listing() {  # <host folder> <expected names, one a line>
    local actual
    actual=$(cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
    [ "$actual" = "$(printf '%s\n' "${@:2}" | LC_ALL=C sort)" ] ||
        fail "the files in $1 are:"$'\n'"$actual"$'\n'"expected:"$'\n'"$(printf '%s\n' "${@:2}")"
}

check() {
    case "$case_name" in
    disk_full)
        local copy=$mount_point/Ziel/Gross.bin size
        size=$(stat -c %s "$copy" 2>/dev/null || echo missing)
        if [ "$size" = missing ]; then
            fail "Gross.bin was not left on the full disk"
        elif [ "$size" -eq 0 ] || [ "$size" -ge $((2 * 1024 * 1024)) ]; then
            fail "Gross.bin on the 1 MiB disk holds $size bytes: not a partial copy"
        elif ! cmp -s -n "$size" "$copy" "$product/Gross.bin"; then
            fail "the $size bytes left of Gross.bin are not the start of the source"
        else
            say "Gross.bin left as far as written: $size of $((2 * 1024 * 1024)) bytes"
        fi
        expect_listing "$mount_point/Ziel" Klein.txt Vorlagen/Brief.txt Gross.bin Leer.txt
        ;;
    long_destination_path)
        expect_listing "$drive_c/$long_folder_name" kurz.txt "$name58"
        ;;
    long_source_path)
        expect_listing "$drive_c/Ziel" kurz.txt "$name58"
        ;;
    two_hundred_entries)
        local i name copied=0
        for i in $(seq 1 200); do
            name=$(printf 'Datei%03d.bin' "$i")
            [ "$i" -gt 100 ] && name="Teil2/$name"
            if cmp -s "$product/$name" "$drive_c/Ziel/$name"; then
                copied=$((copied + 1))
            else
                fail "$name is missing or differs from its source"
            fi
        done
        say "$copied of 200 files copied byte for byte"
        [ "$(find "$drive_c/Ziel" -type f | wc -l)" = 200 ] || fail "the destination holds other files than the 200"
        ;;
    esac
}

# Before the driver: states made through Wine itself, with the host's help where Wine needs it.
prepare() {
    case "$case_name" in
    readonly_destination)
        local file=$drive_c/Ziel/Liesmich.txt
        mkdir -p "$drive_c/Ziel"
        printf 'alte Fassung\r\n' >"$file"
        timeout 60 "$WINE" 'C:\e2e\fault_helper.exe' readonly 'C:\Ziel\Liesmich.txt' ||
            { say "cannot make the destination file read-only"; exit 1; }
        # Wine differs from Windows here: it keeps the read-only attribute as the file's missing
        # write bits, and a root process may write any file, so as root Wine would write over it.
        # The host then makes the file immutable too, which no process may write.
        if [ "$(id -u)" = 0 ]; then
            if chattr +i "$file" 2>/dev/null; then
                immutable=$file
            else
                skip_always "running as root, where Wine writes over read-only files, and chattr +i is refused here"
            fi
        fi
        ;;
    esac
}

cleanup() {
    [ -z "$immutable" ] || chattr -i "$immutable" 2>/dev/null
    timeout 60 wineserver -k 2>/dev/null
    timeout 60 wineserver -w 2>/dev/null
    if [ -n "$mount_point" ]; then
        umount "$mount_point" 2>/dev/null || umount -l "$mount_point" 2>/dev/null
        rmdir "$mount_point" 2>/dev/null
    fi
    [ "${E2E_KEEP:-0}" = 1 ] || rm -rf "$prefix"
}

# ----- the run

rm -rf "$prefix"
mkdir -p "$state/prefixes"
cp -a "$state/template" "$prefix"
# Every Wine program of the case sees the display: the first one starts the prefix's desktop.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=$(cat "$state/display")
trap cleanup EXIT
skip_reason=""
layout
[ -z "$skip_reason" ] || skip_always "$skip_reason"
cp "$build/Setup.exe" "$product/"
mkdir -p "$drive_c/e2e"
cp "$build/e2e/driver.exe" "$helper" "$drive_c/e2e/"
cp "$scenario" "$drive_c/e2e/scenario.scn"
prepare

say "$case_name ($WINEARCH)"
result=0
E2E_PRODUCT=$product_folder E2E_TOOLS='C:\e2e' \
    timeout 240 "$WINE" 'C:\e2e\driver.exe' 'C:\e2e\scenario.scn'
driven=$?
[ $driven -eq 124 ] && say "the driver did not finish within 240 s"
if [ $driven -ne 0 ]; then
    if command -v import >/dev/null; then
        mkdir -p "$state/failures"
        import -window root "$state/failures/fault-$case_name.png" 2>/dev/null &&
            say "screen at the failure: $state/failures/fault-$case_name.png"
    fi
    exit 1
fi
check
[ $result -eq 0 ] && say "PASS $case_name"
exit $result
