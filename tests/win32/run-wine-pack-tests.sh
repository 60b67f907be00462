#!/usr/bin/env bash
# Runs mosvik-pack.exe (i686 or x86_64) under Wine on a virtual X display: it packs
# a PNG and an EXIF-turned JPEG into the mosvik.scr beside it, both tools
# read the result back with --info, a refused pack writes nothing, and the
# saver made from the turned JPEG shows it upright; the window, filled and
# saved from the keyboard (xdotool), writes a working saver, and installs it
# as the user's screen saver.
#
#   run-wine-pack-tests.sh BUILD_WIN NATIVE_BUILD
#
# BUILD_WIN holds mosvik.scr and mosvik-pack.exe (the cross build);
# NATIVE_BUILD holds the Linux mosvik-pack. One Wine prefix and one Xvfb
# display per run, every wait bounded, everything removed at the end.
# Prints "N passed, M failed" last; exit status 1 when anything failed.
set -u

# shellcheck source=wine_session.sh
. "$(dirname "$0")/wine_session.sh"
wine_session_args "$0" "$@"

for tool in wine wineboot wineserver Xvfb xdotool import convert python3 timeout; do
    command -v "$tool" >/dev/null 2>&1 || skip_all "$tool is not installed (scripts/setup installs it)"
done
for f in mosvik.scr mosvik-pack.exe; do
    [ -f "$BUILD_WIN/$f" ] || skip_all "no $BUILD_WIN/$f (build the cross build first)"
done

wine_session_start mosvik-wine-pack
export LC_ALL=C.UTF-8 # Wine reads the UTF-8 names and texts below as UTF-8

APP="$WINEPREFIX/drive_c/mosvik"
mkdir -p "$APP"
cp "$BUILD_WIN/mosvik.scr" "$BUILD_WIN/mosvik-pack.exe" "$APP/"

# Pictures that show which way up they are: red above blue. The JPEG is
# stored lying on its side (red left, blue right) and tagged "turn a quarter
# clockwise to view".
convert -size 320x120 xc:red -size 320x120 xc:blue -append "$APP/upright.png"
cp "$APP/upright.png" "$APP/oben-ü.png"
convert -size 160x240 xc:red -size 160x240 xc:blue +append "$WORK/side.jpg"
python3 - "$WORK/side.jpg" "$APP/turned.jpg" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
exif = b'Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0'
open(sys.argv[2], 'wb').write(data[:2] + b'\xff\xe1' + (len(exif) + 2).to_bytes(2, 'big') + exif + data[2:])
PY

# run OUTFILE ARGS...: runs a Windows program of $APP to its end (90 s at
# most); stdout and stderr go to OUTFILE without carriage returns. Sets STATUS.
run() {
    local out=$1
    shift
    (cd "$APP" && timeout 90 wine "$@") 2>&1 | tr -d '\r' >"$out"
    STATUS=${PIPESTATUS[0]}
}

# info_has SAVER LINE...: true when mosvik-pack.exe --info SAVER succeeds and
# prints every LINE; its output is in $WORK/SAVER.info.
info_has() {
    local saver=$1 line
    shift
    run "$WORK/$saver.info" mosvik-pack.exe --info "$saver"
    [ "$STATUS" -eq 0 ] || return 1
    for line in "$@"; do
        grep -qxF "$line" "$WORK/$saver.info" || return 1
    done
}

# --- packing from the command line ------------------------------------------
run "$WORK/png.out" mosvik-pack.exe oben-ü.png -o grüße.scr --message "Grüße" --color '#00FF00' --bold
if [ "$STATUS" -eq 0 ] && grep -q '^grüße.scr: 320 x 240 picture' "$WORK/png.out"; then
    pass "mosvik-pack.exe packs a PNG into the mosvik.scr beside it (names and message in UTF-8)"
else
    fail "packing a PNG: status $STATUS"; cat "$WORK/png.out"
fi
run "$WORK/jpg.out" mosvik-pack.exe turned.jpg -o turned.scr --message "Upright"
if [ "$STATUS" -eq 0 ] && grep -q '^turned.scr: 240 x 320 picture' "$WORK/jpg.out"; then
    pass "mosvik-pack.exe turns an EXIF-tagged JPEG upright (240 x 320)"
else
    fail "packing a turned JPEG: status $STATUS"; cat "$WORK/jpg.out"
fi

# Both tools read the Windows-made saver alike.
if info_has grüße.scr 'message: Grüße' 'colour: #00FF00' 'bold: yes' 'picture: 320 x 240' \
    'stream: baseline JFIF, 4:2:0'; then
    pass "mosvik-pack.exe --info reports the message, colour, style, size and a saver-ready stream"
else
    fail "mosvik-pack.exe --info of grüße.scr"; cat "$WORK/grüße.scr.info"
fi
if [ -x "$NATIVE/mosvik-pack" ]; then
    if "$NATIVE/mosvik-pack" --info "$APP/grüße.scr" >"$WORK/native-info.out" 2>&1 &&
        diff -q "$WORK/grüße.scr.info" "$WORK/native-info.out" >/dev/null; then
        pass "the Linux mosvik-pack --info reads the Windows-made saver the same way"
    else
        fail "the Linux mosvik-pack --info differs"; diff "$WORK/grüße.scr.info" "$WORK/native-info.out"
    fi
fi

# A refused pack says why and writes nothing: a missing picture, a JPEG cut
# short (which WIC alone would fill in with grey).
head -c $(($(stat -c %s "$APP/turned.jpg") / 2)) "$APP/turned.jpg" >"$APP/cut.jpg"
for case in 'missing.png|picture not found' 'cut.jpg|cut.jpg: damaged JPEG'; do
    picture=${case%%|*}
    run "$WORK/refused.out" mosvik-pack.exe "$picture" -o refused.scr
    if [ "$STATUS" -eq 2 ] && grep -q "^mosvik-pack: ${case#*|}" "$WORK/refused.out" && [ ! -e "$APP/refused.scr" ]; then
        pass "$picture is refused with status 2 and no output"
    else
        fail "$picture: status $STATUS"; cat "$WORK/refused.out"; ls "$APP"
    fi
done

# --- the window: filled and saved from the keyboard ------------------------------
(cd "$APP" && exec timeout 120 wine mosvik-pack.exe) >"$WORK/window.out" 2>&1 &
WINDOW_PID=$!
BG_PIDS+=("$WINDOW_PID")
id=$(timeout 60 xdotool search --sync --name 'Make a Mosvik saver' 2>/dev/null | head -n1)
if [ -n "$id" ]; then
    pass "mosvik-pack.exe without arguments opens its window"
    xdotool windowfocus --sync "$id" >/dev/null 2>&1
    sleep 0.5
    # Alt+P moves to the picture; two Tabs reach the message and select its
    # text; Alt+O ticks Bold, Alt+S opens "Save saver as".
    xdotool key alt+p
    sleep 0.3
    xdotool type --delay 30 'C:\mosvik\upright.png'
    xdotool key Tab Tab
    sleep 0.5
    xdotool type --delay 30 'Made in the window'
    xdotool key alt+o alt+s
    dialog=$(timeout 30 xdotool search --sync --name 'Save saver as' 2>/dev/null | head -n1)
    if [ -n "$dialog" ]; then
        sleep 1
        xdotool type --delay 30 'C:\mosvik\made.scr'
        xdotool key Return
    fi
    for _ in $(seq 1 100); do
        [ -s "$APP/made.scr" ] && break
        sleep 0.2
    done
    sleep 1
    if info_has made.scr 'message: Made in the window' 'bold: yes' 'picture: 320 x 240' \
        'stream: baseline JFIF, 4:2:0'; then
        pass "the window writes a saver with the picture, message and style it was given"
    else
        fail "the window's saver"; cat "$WORK/made.scr.info"
    fi
    # "Install as my screen saver": with no installed Mosvik, the same saver
    # goes into the user's own folder and becomes the current one.
    xdotool windowfocus --sync "$id" >/dev/null 2>&1
    sleep 0.5
    xdotool key alt+n
    desktop() {
        (cd "$APP" && timeout 30 wine reg query 'HKCU\Control Panel\Desktop' /v "$1" 2>/dev/null) | tr -d '\r' |
            awk -v v="$1" '$1 == v { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+/, ""); print }'
    }
    for _ in $(seq 1 50); do
        current=$(desktop SCRNSAVE.EXE)
        [ -n "$current" ] && break
        sleep 0.2
    done
    installed=$(cd "$APP" && timeout 30 winepath -u "$current" 2>/dev/null)
    if [ -f "$installed" ] && [ "$(desktop ScreenSaveActive)" = 1 ] &&
        [[ $(cd "$APP" && timeout 30 winepath -l "$current" 2>/dev/null) == *'\Mosvik\Savers\Mosvik - upright.scr' ]] &&
        "$NATIVE/mosvik-pack" --info "$installed" 2>/dev/null | grep -qx 'message: Made in the window'; then
        pass "Install as my screen saver writes the saver into the user's folder and makes it the current one"
    else
        fail "Install as my screen saver: SCRNSAVE.EXE '$current', active '$(desktop ScreenSaveActive)'"
    fi
    xdotool windowfocus --sync "$id" >/dev/null 2>&1
    xdotool key Escape
    for _ in $(seq 1 50); do
        kill -0 "$WINDOW_PID" 2>/dev/null || break
        sleep 0.2
    done
    if kill -0 "$WINDOW_PID" 2>/dev/null; then
        fail "Escape does not close the window"
    else
        wait "$WINDOW_PID"
        [ $? -eq 0 ] && pass "Escape closes the window with status 0" || fail "the window ended with a failure status"
    fi
else
    fail "mosvik-pack.exe without arguments shows no window"
fi
kill "$WINDOW_PID" 2>/dev/null
wait "$WINDOW_PID" 2>/dev/null

# --- the saver made from the turned JPEG shows it upright ----------------------
# upright SHOT: true when the picture in the middle of the screen is red
# above blue (the board assembled or the whole-picture screen).
upright() {
    python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
parts = data.split(maxsplit=4)
w, h, px = int(parts[1]), int(parts[2]), parts[4]
def colour(x, y):
    r, g, b = px[(y * w + x) * 3:(y * w + x) * 3 + 3]
    return 'red' if r > 180 and g < 80 and b < 80 else 'blue' if b > 180 and r < 80 and g < 80 else 'other'
top = {colour(x, h * 30 // 100) for x in range(w // 2 - 120, w // 2 + 121, 40)}
bottom = {colour(x, h * 70 // 100) for x in range(w // 2 - 120, w // 2 + 121, 40)}
sys.exit(0 if top == {'red'} and bottom == {'blue'} else 1)
PY
}
KEY='HKCU\Software\Korvel Screen Savers\mosvik\MOSVIK'
(cd "$APP" && timeout 30 wine reg add "$KEY" /v Speed /t REG_DWORD /d 1 /f >/dev/null 2>&1)
xdotool mousemove 512 384
(cd "$APP" && exec timeout 90 wine turned.scr /s) >"$WORK/saver.out" 2>&1 &
SAVER_PID=$!
BG_PIDS+=("$SAVER_PID")
seen=no
for _ in $(seq 1 120); do
    kill -0 "$SAVER_PID" 2>/dev/null || break
    if import -window root -depth 8 "ppm:$WORK/shot.ppm" >/dev/null 2>&1 && upright "$WORK/shot.ppm"; then
        seen=yes
        break
    fi
    sleep 0.5
done
[ "$seen" = yes ] && pass "the saver made from the turned JPEG shows it upright" ||
    fail "the saver made from the turned JPEG never showed red above blue"
for _ in $(seq 1 20); do
    kill -0 "$SAVER_PID" 2>/dev/null || break
    xdotool key space
    sleep 0.5
done
kill "$SAVER_PID" 2>/dev/null
wait "$SAVER_PID" 2>/dev/null

finish
