#!/bin/bash
# The demo: builds Setup.exe, lays out the sample product in build/demo/ (Setup.exe, Install.log
# and the product files, as a vendor ships them) and runs the installer under Wine in a fresh
# prefix (build/demo-wine). With DISPLAY set it opens on your display and you click through it;
# without, it runs on a virtual display (Xvfb) and the test driver presses "Weiter >" and answers
# the final box. At the end it prints where the files, shortcuts and uninstall entry went.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    build=win32 WINE=/usr/lib/wine/wine
else
    echo "run-demo: this kernel cannot execute 32-bit programs; running the x86-64 build of the same sources"
    build=win64 WINE=/usr/lib/wine/wine64
fi
bash scripts/build.sh "$build"
out="$root/build/$build"

demo="$root/build/demo"
echo "run-demo: laying out the sample product in build/demo"
rm -rf "$demo"
mkdir -p "$demo"
cp -r sample/. "$demo/"
cp "$out/Setup.exe" "$demo/"
for program in Notizblock.exe Willkommen.exe Deinstall.exe; do
    cp "$out/e2e/marker.exe" "$demo/$program"   # stand-ins that leave a trace when started
done

export WINEPREFIX="$root/build/demo-wine" WINEARCH=${build} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
echo "run-demo: preparing a fresh Wine prefix in build/demo-wine"
rm -rf "$WINEPREFIX"

. "$root/scripts/virtual_display.sh"
xvfb_pid=""
stop_xvfb() { [ -z "${virtual_display_pid:-}" ] || kill "$virtual_display_pid" 2>/dev/null || true; }
trap stop_xvfb EXIT
if [ -z "${DISPLAY:-}" ]; then
    start_virtual_display 99 "$root/build/demo-xvfb.log" || { echo "run-demo: no virtual display"; exit 1; }
    xvfb_pid=$virtual_display_pid
    export DISPLAY="$virtual_display"
    echo "run-demo: no DISPLAY; virtual display $DISPLAY (Xvfb, process $xvfb_pid)"
fi
timeout 300 "$WINE" wineboot.exe --init >/dev/null 2>&1
wineserver -w
stamp="$root/build/demo-wine/.before-install"
touch "$stamp"
sleep 1

product="Z:$(echo "$demo" | tr / '\\')"
if [ -z "$xvfb_pid" ]; then
    echo "run-demo: starting Setup.exe on $DISPLAY; click through it"
    (cd "$demo" && "$WINE" Setup.exe) || echo "run-demo: Setup.exe ended with exit code $?"
else
    echo "run-demo: the test driver presses \"Weiter >\" and answers the final box"
    E2E_PRODUCT="$product" E2E_TOOLS='C:\' timeout 300 "$WINE" "$out/e2e/driver.exe" \
        "Z:$(echo "$root/tests/e2e/demo.scn" | tr / '\\')"
fi
wineserver -w

echo
echo "run-demo: what the installation left in the prefix build/demo-wine (drive C: is build/demo-wine/drive_c):"
left=$(cd "$WINEPREFIX/drive_c" && {
    find . -newer "$stamp" -type f ! -path './windows/*' ! -path '*/Temp/*' \
        ! -path './users/*/AppData/Local/*'
    find ./windows -maxdepth 1 -newer "$stamp" -type f   # the uninstaller in machine mode
} | sed 's|^\./|  C:\\|; s|/|\\|g' | sort)
echo "${left:-  (nothing)}"
echo "run-demo: files ending in .ran are traces: that program was started (the \"EXEC!\" entry)"
echo "run-demo: the uninstall entry:"
entry=$("$WINE" reg.exe query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Notizblock' 2>/dev/null |
    tr -d '\r' | sed '/^$/d; s/^/  /')
echo "${entry:-  (none)}"
wineserver -k 2>/dev/null || true
