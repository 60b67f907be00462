#!/usr/bin/env bash
# Runs the Windows installer (mosvik-setup-<version>.exe, scripts/package-
# windows) under Wine, in a 64-bit prefix or, with WINEARCH=win32 in the
# environment, a 32-bit one. Silent install for this user: the saver and
# pack tool of the prefix's width in place, SCRNSAVE.EXE naming the
# installed saver, which shows the board with /s, the Uninstall key with
# its values, Start-menu links to existing files; the pack tool of the
# install puts "Install as my screen saver" into the installed folder.
# Silent uninstall: no file, link or key of Mosvik left, the previous
# SCRNSAVE.EXE and ScreenSaveActive back. Then the same for everyone
# (/ALLUSERS): the saver in the real System32, the key under HKLM.
#
#   run-wine-install-tests.sh SETUP.exe BUILD_WIN
#
# BUILD_WIN is a cross build of the prefix's width (for winhelper.exe). One
# Wine prefix and one Xvfb display per run, every wait bounded, everything
# removed at the end. Prints the install and uninstall times, and
# "N passed, M failed" last; exit status 1 when anything failed.
set -u

HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_session.sh
. "$HERE/wine_session.sh"
note() { echo "  $*"; }

if [ $# -ne 2 ]; then
    echo "usage: $0 SETUP.exe BUILD_WIN" >&2
    exit 2
fi
SETUP=$(realpath "$1")
BUILD_WIN=$(cd "$2" 2>/dev/null && pwd) || BUILD_WIN=$2
for tool in wine wineboot wineserver winepath Xvfb xdotool import python3 timeout; do
    command -v "$tool" >/dev/null 2>&1 || skip_all "$tool is not installed (scripts/setup installs it)"
done
[ -f "$SETUP" ] || skip_all "no $SETUP (scripts/package-windows makes it)"
[ -f "$BUILD_WIN/winhelper.exe" ] || skip_all "no $BUILD_WIN/winhelper.exe (build the cross build first)"

wine_session_start mosvik-wine-install
TOOLS="$WINEPREFIX/drive_c/mosvik-test"
mkdir -p "$TOOLS"
cp "$BUILD_WIN/winhelper.exe" "$SETUP" "$TOOLS/"
SETUP_WIN="C:\\mosvik-test\\$(basename "$SETUP")"

# --- helpers -----------------------------------------------------------------
w() { (cd "$TOOLS" && timeout 60 wine "$@" 2>/dev/null) | tr -d '\r'; }
# value KEY NAME: the data of registry value NAME under KEY (empty if none).
value() {
    w reg query "$1" /v "$2" $view | awk -v v="$2" '$1 == v { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+/, ""); print }'
}
has_key() { (cd "$TOOLS" && timeout 60 wine reg query "$1" $view >/dev/null 2>&1); }
unix() { (cd "$TOOLS" && timeout 30 winepath -u "$1" 2>/dev/null); }
# timed VAR GONE COMMAND...: runs COMMAND and, when GONE (a Unix path) is
# not empty, waits until that file is gone: the uninstaller goes on in a
# copy of itself. Sets VAR to the seconds taken (to 0.1 s) and STATUS; then
# waits for every process of the prefix to end.
timed() {
    local var=$1 gone=$2 start=${EPOCHREALTIME/./}
    shift 2
    (cd "$TOOLS" && timeout 120 wine "$@" >/dev/null 2>&1)
    STATUS=$?
    if [ -n "$gone" ]; then
        for _ in $(seq 1 600); do
            [ -e "$gone" ] || break
            sleep 0.1
        done
    fi
    local tenths=$(((${EPOCHREALTIME/./} - start) / 100000))
    printf -v "$var" '%d.%d' $((tenths / 10)) $((tenths % 10))
    timeout 60 wineserver -w >/dev/null 2>&1
}
DESKTOP='HKCU\Control Panel\Desktop'
UNINSTALL='Software\Microsoft\Windows\CurrentVersion\Uninstall\Mosvik'
SAVERS='HKCU\Software\Korvel Screen Savers'

view=
arch=$(value 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' PROCESSOR_ARCHITECTURE)
# The tools below (reg, winepath) may run as 32-bit programs: HKLM is read
# in its 64-bit view and System32 found by its Unix path, both named here.
case $arch in
    AMD64) width=x86_64 view=/reg:64 ;;
    x86) width=i686 view= ;;
    *) skip_all "a prefix of an unknown architecture '$arch'" ;;
esac
system32="$WINEPREFIX/drive_c/windows/system32"
note "a ${WINEARCH:-win64} prefix ($arch): the installer is to take the $width saver"
local_appdata=$(w cmd /c 'echo %LOCALAPPDATA%')
programs=$(w cmd /c 'echo %APPDATA%')'\Microsoft\Windows\Start Menu\Programs'
common_programs=$(w cmd /c 'echo %ProgramData%')'\Microsoft\Windows\Start Menu\Programs'
INSTDIR="$local_appdata\\Programs\\Mosvik"
INSTDIR_U=$(unix "$INSTDIR")

# The screen saver chosen before.
w reg add "$DESKTOP" /v SCRNSAVE.EXE /t REG_SZ /d 'C:\windows\system32\previous.scr' /f >/dev/null
w reg add "$DESKTOP" /v ScreenSaveActive /t REG_SZ /d 0 /f >/dev/null

# --- install for this user ---------------------------------------------------
timed install_s "" "$SETUP_WIN" /S
if [ "$STATUS" -eq 0 ] && [ -f "$INSTDIR_U/mosvik.scr" ] && [ -f "$INSTDIR_U/mosvik-pack.exe" ] &&
    [ "$(pe_width "$INSTDIR_U/mosvik.scr")" = "$width" ] && [ "$(pe_width "$INSTDIR_U/mosvik-pack.exe")" = "$width" ]; then
    pass "/S installs the $width saver and pack tool into $INSTDIR"
else
    fail "/S (status $STATUS): $(ls "$INSTDIR_U" 2>&1 | tr '\n' ' ')"
fi
note "silent install: $install_s s ($(stat -c %s "$SETUP") bytes)"

current=$(value "$DESKTOP" SCRNSAVE.EXE)
current_u=$(unix "$current")
if [ -n "$current_u" ] && [ "$current_u" -ef "$INSTDIR_U/mosvik.scr" ] && [ "$(value "$DESKTOP" ScreenSaveActive)" = 1 ]; then
    pass "SCRNSAVE.EXE names the installed saver ($current) and ScreenSaveActive is 1"
else
    fail "SCRNSAVE.EXE '$current', ScreenSaveActive '$(value "$DESKTOP" ScreenSaveActive)'"
fi
xdotool mousemove 512 384
(cd "$TOOLS" && exec timeout 90 wine "$current" /s) >"$WORK/saver.out" 2>&1 &
SAVER_PID=$!
BG_PIDS+=("$SAVER_PID")
shown=no
for _ in $(seq 1 60); do
    if import -window root -depth 8 "ppm:$WORK/shot.ppm" >/dev/null 2>&1 &&
        python3 "$HERE/screen_check.py" "$WORK/shot.ppm" >"$WORK/shot.txt"; then
        shown=yes
        break
    fi
    sleep 0.5
done
for _ in $(seq 1 20); do
    kill -0 "$SAVER_PID" 2>/dev/null || break
    xdotool key space
    sleep 0.5
done
kill "$SAVER_PID" 2>/dev/null
wait "$SAVER_PID" 2>/dev/null
[ "$shown" = yes ] && pass "the screen saver SCRNSAVE.EXE names shows the board with /s ($(cat "$WORK/shot.txt"))" ||
    fail "the screen saver SCRNSAVE.EXE names showed no board ($(cat "$WORK/shot.txt" 2>/dev/null))"

missing=
for name in DisplayName DisplayVersion Publisher DisplayIcon EstimatedSize UninstallString QuietUninstallString; do
    [ -n "$(value "HKCU\\$UNINSTALL" "$name")" ] || missing="$missing $name"
done
quiet=$(value "HKCU\\$UNINSTALL" QuietUninstallString)
if [ -z "$missing" ] && [ "$quiet" = "\"$INSTDIR\\uninstall.exe\" /S" ]; then
    pass "the Uninstall key has every value, the quiet uninstall being $quiet"
else
    fail "the Uninstall key lacks:${missing:- nothing}; QuietUninstallString '$quiet'"
fi

# links_ok PROGRAMS FOLDER: the two Start-menu links in PROGRAMS start the
# saver with /c and the pack tool of FOLDER (a Unix path).
links_ok() {
    local link name file args out target ok=0
    for link in 'Mosvik settings|mosvik.scr|/c' 'Make a Mosvik saver|mosvik-pack.exe|'; do
        IFS='|' read -r name file args <<<"$link"
        out=$(w winhelper.exe link "$1\\$name.lnk")
        target=$(sed -n 's/^target //p' <<<"$out")
        if [ -z "$target" ] || ! [ "$(unix "$target")" -ef "$2/$file" ] ||
            [ "$(sed -n 's/^arguments//p' <<<"$out" | sed 's/^ //')" != "$args" ]; then
            ok=1
            note "$name.lnk: $(tr '\n' ' ' <<<"$out")"
        fi
    done
    return $ok
}
links_ok "$programs" "$INSTDIR_U" && pass "the Start-menu links start the installed saver with /c and the pack tool" ||
    fail "a Start-menu link does not point at the installed files"

# The installed pack tool installs a saver of its own into the installed folder.
(cd "$TOOLS" && exec timeout 90 wine "$INSTDIR\\mosvik-pack.exe") >"$WORK/pack.out" 2>&1 &
PACK_PID=$!
BG_PIDS+=("$PACK_PID")
id=$(timeout 60 xdotool search --sync --name 'Make a Mosvik saver' 2>/dev/null | head -n1)
if [ -n "$id" ]; then
    xdotool windowfocus --sync "$id" >/dev/null 2>&1
    sleep 1
    xdotool key alt+n
    for _ in $(seq 1 30); do
        [ -f "$INSTDIR_U/Mosvik - default.scr" ] && break
        sleep 0.3
    done
    sleep 1
    xdotool windowfocus --sync "$id" >/dev/null 2>&1
    xdotool key Escape
fi
kill "$PACK_PID" 2>/dev/null
wait "$PACK_PID" 2>/dev/null
if [ "$(unix "$(value "$DESKTOP" SCRNSAVE.EXE)")" -ef "$INSTDIR_U/Mosvik - default.scr" ]; then
    pass "the installed pack tool's Install as my screen saver writes into $INSTDIR and makes it current"
else
    fail "the installed pack tool's Install: SCRNSAVE.EXE '$(value "$DESKTOP" SCRNSAVE.EXE)'; $(ls "$INSTDIR_U" | tr '\n' ' ')"
fi

# --- uninstall ----------------------------------------------------------------
# left_over: what of Mosvik is still there, one word each.
left_over() {
    local left=
    [ -e "$INSTDIR_U" ] && left="$left folder($(ls "$INSTDIR_U" | tr '\n' ','))"
    local folder
    for folder in "$programs" "$common_programs"; do
        [ -e "$(unix "$folder")/Mosvik settings.lnk" ] && left="$left settings-link"
        [ -e "$(unix "$folder")/Make a Mosvik saver.lnk" ] && left="$left pack-link"
    done
    has_key "HKCU\\$UNINSTALL" && left="$left uninstall-key"
    has_key "HKLM\\$UNINSTALL" && left="$left HKLM-uninstall-key"
    has_key "$SAVERS\\mosvik" && left="$left settings-key"
    has_key "$SAVERS\\Mosvik - default" && left="$left packed-saver-key"
    echo "$left"
}
timed uninstall_s "$INSTDIR_U/uninstall.exe" "$INSTDIR\\uninstall.exe" /S
left=$(left_over)
[ "$STATUS" -eq 0 ] && [ -z "$left" ] && pass "a silent uninstall leaves no file, link or key of Mosvik" ||
    fail "after the silent uninstall (status $STATUS):$left"
note "silent uninstall: $uninstall_s s"
saver=$(value "$DESKTOP" SCRNSAVE.EXE) active=$(value "$DESKTOP" ScreenSaveActive)
[ "$saver" = 'C:\windows\system32\previous.scr' ] && [ "$active" = 0 ] &&
    pass "the uninstall brings back the previous SCRNSAVE.EXE and ScreenSaveActive" ||
    fail "after the uninstall SCRNSAVE.EXE is '$saver', ScreenSaveActive '$active'"

# --- for everyone -------------------------------------------------------------
timed install_s "" "$SETUP_WIN" /S /ALLUSERS
allusers_dir=$(value "HKLM\\$UNINSTALL" InstallLocation)
current=$(value "$DESKTOP" SCRNSAVE.EXE)
if [ "$STATUS" -eq 0 ] && [ "$(pe_width "$system32/mosvik.scr")" = "$width" ] &&
    [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/mosvik.scr" ] && [ -f "$(unix "$allusers_dir")/mosvik-pack.exe" ] &&
    [ "${current,,}" = 'c:\windows\system32\mosvik.scr' ] && links_ok "$common_programs" "$(unix "$allusers_dir")"; then
    pass "/S /ALLUSERS puts the $width saver into System32 (not SysWOW64), the key under HKLM, everyone's links, and chooses it"
else
    fail "/S /ALLUSERS (status $STATUS): System32 saver '$(pe_width "$system32/mosvik.scr")', folder '$allusers_dir', SCRNSAVE.EXE '$current'"
fi
timed uninstall_s "$(unix "$allusers_dir")/uninstall.exe" "$allusers_dir\\uninstall.exe" /S
INSTDIR_U=$(unix "$allusers_dir")
left=$(left_over)
[ -e "$system32/mosvik.scr" ] && left="$left system32-saver"
[ "$(value "$DESKTOP" SCRNSAVE.EXE)" = 'C:\windows\system32\previous.scr' ] || left="$left SCRNSAVE.EXE"
[ -z "$left" ] && pass "its silent uninstall takes all of it away and brings the previous saver back" ||
    fail "after the all-users uninstall:$left"

finish
