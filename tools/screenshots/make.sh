#!/bin/bash
# Makes the README's pictures of the installer: docs/images/welcome.png, progress.png and
# final.png, of the demo product (sample/) installed under Wine on a virtual display.
#
#   tools/screenshots/make.sh
#
# The end-to-end driver walks through the installation (tools/screenshots/pictures.scn) and
# stops at each picture; a picture is the window as the X server holds it (xwd), turned into PNG
# by ImageMagick; the final one lays the box over the progress window where it stands. The product
# lies on drive D:, as on a CD. For the progress window two product files are pipes, as slow as a
# drive can be: the bytes of Vorlagen\Brief.txt come a second late, and those of
# Vorlagen\Einkaufsliste.txt only after the picture, so the copy is caught in the middle with that
# file in the status line. (The second matters under Wine: it brings a busy program's drawing to
# the screen at most every 50 ms, so the status line of a file that follows within that time
# would still show the file before.) Wine draws the window frames itself (its managed windows are
# off: Xvfb has no window manager). Builds into build/screenshots.
set -u

repo=$(cd "$(dirname "$0")/../.." && pwd)
out=$repo/build/screenshots
images=$repo/docs/images
say() { echo "screenshots: $*"; }
fail() { say "FAILED: $*"; exit 1; }

for tool in Xvfb xwd xwininfo convert cmake; do
    command -v $tool >/dev/null ||
        fail "$tool is missing (Debian packages: xvfb, x11-apps, x11-utils, imagemagick, cmake)"
done
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINE=/usr/lib/wine/wine; export WINEARCH=win32; toolchain=$repo/cmake/mingw-i686.cmake
elif [ -x /usr/lib/wine/wine64 ] && /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
    # The windows are the same code in both builds; this kernel runs only the 64-bit one.
    WINE=/usr/lib/wine/wine64; export WINEARCH=win64; toolchain=$repo/tests/e2e/mingw-x86_64.cmake
    say "this kernel cannot execute 32-bit programs: the x86-64 build of the same sources is shown"
else
    fail "no runnable Wine loader (install wine, wine32:i386 and wine64)"
fi

build=$out/$WINEARCH
mkdir -p "$out"
say "building Setup.exe, the driver and the stand-in program in $build"
{ cmake -S "$repo" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" &&
  cmake --build "$build" --target Setup driver marker -j2; } >"$out/build.log" 2>&1 ||
    fail "the build failed; see $out/build.log"

. "$repo/scripts/virtual_display.sh"
finish() {
    exec 3>&- 4>&-
    timeout 60 wineserver -k 2>/dev/null
    [ -z "${virtual_display_pid:-}" ] || kill "$virtual_display_pid" 2>/dev/null
}
trap finish EXIT
start_virtual_display 77 "$out/xvfb.log" || fail "no virtual display"
export DISPLAY=$virtual_display WINEPREFIX=$out/prefix-$WINEARCH WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# A fresh prefix each time: the pictures show a first installation.
rm -rf "$WINEPREFIX"
say "preparing a $WINEARCH Wine prefix in $WINEPREFIX"
timeout 300 "$WINE" wineboot.exe --init >"$out/wineboot.log" 2>&1
timeout 120 wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || fail "wineboot failed; see $out/wineboot.log"
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$out/wine.log" 2>&1 ||
    fail "cannot turn off Wine's managed windows"

# The demo product on drive D:, its programs played by the stand-in.
cd_folder=$out/cd
rm -rf "$cd_folder"
mkdir -p "$cd_folder"
cp -r "$repo/sample/." "$cd_folder/"
cp "$build/Setup.exe" "$cd_folder/"
for program in Notizblock.exe Willkommen.exe Deinstall.exe; do cp "$build/e2e/marker.exe" "$cd_folder/$program"; done
rm -f "$WINEPREFIX/dosdevices/d:"
ln -s "$cd_folder" "$WINEPREFIX/dosdevices/d:"
rm -f "$cd_folder/Vorlagen/Einkaufsliste.txt" "$cd_folder/Vorlagen/Brief.txt"
mkfifo "$cd_folder/Vorlagen/Einkaufsliste.txt" "$cd_folder/Vorlagen/Brief.txt"
# Opened for reading and writing, so neither end waits for the other; the copier's reads wait.
exec 3<>"$cd_folder/Vorlagen/Einkaufsliste.txt" 4<>"$cd_folder/Vorlagen/Brief.txt"
destination="$WINEPREFIX/drive_c/Program Files/Notizblock"

shots=$WINEPREFIX/drive_c/Bilder
mkdir -p "$shots" "$images" "$WINEPREFIX/drive_c/e2e"
cp "$build/e2e/driver.exe" "$repo/tools/screenshots/pictures.scn" "$WINEPREFIX/drive_c/e2e/"
# The driver, and so the installer, must not inherit the pipe's end: the copy ends only when
# this script closes the last writing end.
E2E_PRODUCT='D:\' E2E_TOOLS='C:\e2e' timeout 300 "$WINE" 'C:\e2e\driver.exe' 'C:\e2e\pictures.scn' \
    >"$out/driver.log" 2>&1 3>&- 4>&- &
driver_pid=$!

wait_ready() {
    local waited=0
    until [ -f "$shots/$1.ready" ]; do
        kill -0 $driver_pid 2>/dev/null || fail "the driver ended before the $1 picture; see $out/driver.log"
        sleep 0.1
        waited=$((waited + 1))
        [ $waited -lt 600 ] || fail "no $1 picture within 60 s; see $out/driver.log"
    done
    sleep 1  # every window has drawn itself
}

# The X window of the shown top-level window with this title: "<id> <x> <y>"
shown_window() {
    local id
    for id in $(xwininfo -root -tree | awk -v t="\"$1\":" '$2 == t || index($0, t) {print $1}'); do
        xwininfo -id "$id" | awk -v id="$id" '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
            /Map State: IsViewable/ {shown=1} END {if (shown) print id, x, y}'
    done | head -1
}

# shoot <name> <title>: that window alone, frame included
shoot() {
    local id x y
    read -r id x y < <(shown_window "$2")
    [ -n "$id" ] || fail "no window \"$2\" on the screen for the $1 picture"
    xwd -silent -id "$id" | convert xwd:- -strip "$images/$1.png" || fail "cannot take the $1 picture"
    say "$images/$1.png: window $id at $x, $y"
}

wait_ready welcome
shoot welcome "VELMORA Install"
: >"$shots/welcome.done"

until [ -e "$destination/Vorlagen/Brief.txt" ]; do
    kill -0 $driver_pid 2>/dev/null || fail "the driver ended before Brief.txt was copied; see $out/driver.log"
    sleep 0.1
done
sleep 1
cat "$repo/sample/Vorlagen/Brief.txt" >&4
exec 4>&-
wait_ready progress
shoot progress "VELMORA Install"
: >"$shots/progress.done"
cat "$repo/sample/Vorlagen/Einkaufsliste.txt" >&3
exec 3>&-

wait_ready final
# The box is a window of its own; the picture lays it over the progress window where it stands.
read -r pid px py < <(shown_window "VELMORA Install")
read -r bid bx by < <(shown_window "Installation beendet")
[ -n "$pid" ] && [ -n "$bid" ] || fail "cannot find the progress window and the final box on the screen"
xwd -silent -id "$pid" >"$out/progress.xwd" && xwd -silent -id "$bid" >"$out/box.xwd" &&
    convert "xwd:$out/progress.xwd" "xwd:$out/box.xwd" -geometry "+$((bx - px))+$((by - py))" -composite \
        -strip "$images/final.png" || fail "cannot take the final picture"
say "$images/final.png: box $bid at $bx, $by over window $pid at $px, $py"
: >"$shots/final.done"
wait $driver_pid || fail "the driver failed; see $out/driver.log"
for held in Brief.txt Einkaufsliste.txt; do
    cmp -s "$repo/sample/Vorlagen/$held" "$destination/Vorlagen/$held" || fail "the held-back $held was not copied whole"
done
say "done"
