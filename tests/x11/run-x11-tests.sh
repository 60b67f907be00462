#!/usr/bin/env bash
# The desktop saver on a virtual X display (Xvfb): full screen, preview,
# XScreenSaver's ways of starting it (and its image folder), its own window
# and the configuration dialog, driven with xdotool and looked at with
# ImageMagick's import.
#   tests/x11/run-x11-tests.sh BUILD_DIR
# BUILD_DIR holds mosvik, mosvik-pack and tests/x11/mosvik-x11-testwin.
# Prints one line per check and "N passed, M failed"; exits non-zero when
# a check failed. Every wait is bounded; the display and every process
# started here are ended on exit.
set -uo pipefail

build=$(cd "${1:?usage: run-x11-tests.sh BUILD_DIR}" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
testwin=$build/tests/x11/mosvik-x11-testwin

source "$src/tests/common/checks.sh"
pids=()
work=$(mktemp -d)

cleanup() {
  local p
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

for tool in Xvfb xdotool xwininfo import convert; do
  if ! command -v "$tool" >/dev/null; then
    fail "tool $tool" "not installed (scripts/setup installs it)"
    finish
  fi
done
for f in "$build/mosvik" "$build/mosvik-pack" "$testwin"; do
  if [ ! -x "$f" ]; then
    fail "build" "$f is missing"
    finish
  fi
done

# A display of our own: Xvfb picks a free number and tells it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
if [ ! -s "$work/display" ]; then
  fail "Xvfb" "did not start: $(tail -n 3 "$work/xvfb.log")"
  finish
fi
export DISPLAY=":$(head -n 1 "$work/display")"
export XDG_CONFIG_HOME=$work/config # the settings of this run only
unset XSCREENSAVER_WINDOW WAYLAND_DISPLAY # X11 only, even when run from a Wayland session
echo "virtual display $DISPLAY"

saver=$work/mosvik-test
if ! "$build/mosvik-pack" "$src/src/resources/default-picture.png" -o "$saver" --message "X11 test" \
     --saver "$build/mosvik" >"$work/pack.log" 2>&1; then
  fail "pack" "$(cat "$work/pack.log")"
  finish
fi

# start NAME ARGS...: runs the saver in the background; its pid in $spid.
start() {
  local name=$1; shift
  "$saver" "$@" >"$work/$name.out" 2>"$work/$name.err" &
  spid=$!
  pids+=("$spid")
}

# ends_with PID STATUS SECONDS: true when the process ends within SECONDS
# with STATUS. A process still running then is killed.
ends_with() {
  local pid=$1 want=$2 limit=$3 i status
  for i in $(seq $((limit * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    echo "      (still running after ${limit}s)"
    return 1
  fi
  wait "$pid"; status=$?
  [ "$status" -eq "$want" ] || echo "      (status $status, expected $want)"
  [ "$status" -eq "$want" ]
}

still_runs() { kill -0 "$1" 2>/dev/null; }

# colours FILE: the number of distinct colours of a picture.
colours() { convert "$1" -format '%k' info: 2>/dev/null || echo 0; }

# shows_magenta WINDOW SECONDS: within SECONDS a screenshot of the window
# is at least 5 % pieces of the flat magenta test picture.
shows_magenta() {
  local i share
  for i in $(seq $(($2 * 2))); do
    if import -window "$1" "$work/magenta.png" 2>/dev/null; then
      share=$(convert "$work/magenta.png" -fuzz 19% -fill black +opaque '#FF00FF' -fill white -opaque '#FF00FF' \
              -format '%[fx:mean]' info: 2>/dev/null)
      awk -v s="${share:-0}" 'BEGIN {exit !(s >= 0.05)}' && return 0
    fi
    sleep 0.5
  done
  echo "      (magenta share ${share:-none})"
  return 1
}

# shows_board WINDOW FILE: a screenshot of the window has far more colours
# than the felt background (at most 256) or a white window.
shows_board() {
  import -window "$1" "$2" 2>/dev/null || return 1
  local k; k=$(colours "$2")
  [ "$k" -gt 1000 ] || echo "      ($k colours in $2)"
  [ "$k" -gt 1000 ]
}

# A window for a preview, driven through a coprocess: its id in $twid.
open_testwin() {
  coproc TW { "$testwin" window "$1" "$2"; }
  pids+=("$TW_PID")
  read -r -t 10 twid <&"${TW[0]}"
}
testwin_do() { # testwin_do COMMAND: waits for its "done"
  local answer
  echo "$1" >&"${TW[1]}" && read -r -t 10 answer <&"${TW[0]}" && [ "$answer" = done ]
}
close_testwin() { exec {TW[1]}>&-; wait "$TW_PID" 2>/dev/null; }

fullscreen_window() { xwininfo -root -children | awk '/"Mosvik"/ {print $1; exit}'; }

# other_display FILE XVFB-ARGS...: starts another virtual display; true
# once its number is in FILE. Its pid is in $other_pid.
other_display() {
  local file=$1; shift
  Xvfb -displayfd 4 "$@" -nolisten tcp 4>"$file" 2>"$file.log" &
  other_pid=$!
  pids+=("$other_pid")
  for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.1; done
  [ -s "$file" ]
}

# Moves the pointer somewhere known before each saver starts, so that the
# first move a test makes is a real motion.
park_pointer() { xdotool mousemove 5 5; sleep 0.2; }

# The full-screen checks; $1 names the setting in the check names.
fullscreen_tests() {
  local p=$1 win x
  park_pointer
  start fs /s
  sleep 3.5 # the first cycle starts after 0.5 s; the board is revealed by then
  win=$(fullscreen_window)
  check "$p: a window covers the screen" \
    bash -c "xwininfo -id '$win' | grep -q 'Width: 1024' && xwininfo -id '$win' | grep -q 'Height: 768'"
  check "$p: the window is override-redirect" \
    bash -c "xwininfo -id '$win' | grep -q 'Override Redirect State: yes'"
  check "$p: the first reveal shows a board" shows_board root "$work/fullscreen.png"
  xdotool mousemove 300 300; sleep 0.3
  xdotool mousemove 306 306; sleep 0.5
  check "$p: a move of 6 pixels on both axes after the first ends it with status 0" ends_with "$spid" 0 5

  park_pointer
  start sweep /s
  sleep 1.5
  xdotool mousemove 100 400; sleep 0.2
  for x in 200 400 600 800 1000 20; do xdotool mousemove "$x" 400; sleep 0.15; done
  xdotool mousemove 1000 403; sleep 0.15 # more than 5 on x, not on y
  sleep 1
  check "$p: a sweep along one axis does not end it" still_runs "$spid"
  xdotool click 2; sleep 0.2
  xdotool click 4; sleep 0.2
  xdotool click 5; sleep 1
  check "$p: the middle button and the wheel do not end it" still_runs "$spid"
  xdotool click 1
  check "$p: a left click ends it with status 0" ends_with "$spid" 0 5

  park_pointer
  start key s
  sleep 1.5
  xdotool key space
  check "$p (switch s): a key ends it with status 0" ends_with "$spid" 0 5

  park_pointer
  start altkey -S
  sleep 1.5
  xdotool key alt+x
  check "$p (switch -S): a system key (Alt+X) ends it with status 0" ends_with "$spid" 0 5

  park_pointer
  start focus /s
  sleep 1.5
  open_testwin 100 100
  if testwin_do focus && ends_with "$spid" 0 5; then
    pass "$p: losing the focus to another window ends it with status 0"
  else
    fail "$p: losing the focus to another window ends it with status 0"
  fi
  close_testwin

  park_pointer
  start term /s
  sleep 1.5
  kill -TERM "$spid"
  check "$p: SIGTERM ends it with status 0" ends_with "$spid" 0 5
}

echo "== full screen"
fullscreen_tests "full screen"

echo "== preview"
open_testwin 320 240
start preview /p "$twid"
sleep 3.5
check "preview: draws a board into the given window" shows_board "$twid" "$work/preview.png"
xdotool mousemove 100 100 click 1; sleep 0.2; xdotool mousemove 200 200 key space; sleep 0.8
check "preview: input over it does not end it" still_runs "$spid"
testwin_do destroy
check "preview: destroying the parent ends it with status 0" ends_with "$spid" 0 5
close_testwin

check "preview: a handle that names no window is refused" bash -c "'$saver' /p 7 2>/dev/null; [ \$? -ne 0 ]"

echo "== XScreenSaver"
open_testwin 400 300
MOSVIK_X11_NO_SHM=1 start windowid --window-id "$(printf '0x%x' "$twid")" --speed 1
sleep 3.5
check "--window-id 0xHEX: draws into that window (without shared memory)" \
  shows_board "$twid" "$work/windowid.png"
kill -INT "$spid"
check "--window-id: SIGINT ends it with status 0" ends_with "$spid" 0 5
close_testwin

open_testwin 300 200
XSCREENSAVER_WINDOW=$(printf '0x%x' "$twid") start root --root
sleep 3.5
check "--root with XSCREENSAVER_WINDOW: draws into that window" shows_board "$twid" "$work/root.png"
testwin_do destroy
check "--root: the window going away ends it with status 0" ends_with "$spid" 0 5
close_testwin

start rootwin --root
sleep 3.5
check "--root alone: draws on the screen below other windows" shows_board root "$work/rootwin.png"
kill -TERM "$spid"
check "--root alone: SIGTERM ends it with status 0" ends_with "$spid" 0 5

# XScreenSaver's image folder (~/.xscreensaver) when nothing else names
# the pictures: a flat magenta picture in a subfolder of it.
mkdir -p "$work/xss-home" "$work/xss-pictures/summer" "$work/xss-config"
convert -size 640x480 xc:'#FF00FF' "$work/xss-pictures/summer/magenta.png"
printf 'chooseRandomImages:\tTrue\nimageDirectory:\t%s\n' "$work/xss-pictures" >"$work/xss-home/.xscreensaver"
HOME=$work/xss-home XDG_CONFIG_HOME=$work/xss-config start xssimages --root
check "--root with XScreenSaver's imageDirectory: shows that folder's picture" shows_magenta root 20
kill -TERM "$spid"
check "--root with XScreenSaver's imageDirectory: SIGTERM ends it with status 0" ends_with "$spid" 0 5

check "--speed needs a number" bash -c "'$saver' --speed fast /s 2>/dev/null; [ \$? -eq 2 ]"
check "an unknown option is refused" bash -c "'$saver' --bogus 2>/dev/null; [ \$? -eq 2 ]"

# The checks of --window; $1 names the setting in the check names.
own_window_tests() {
  local p=$1 host child
  start window --window
  host=$(timeout 10 xdotool search --sync --limit 1 --name '^Mosvik$' 2>/dev/null | head -n 1)
  sleep 3.5
  check "$p: a window titled Mosvik shows the board" shows_board "${host:-0}" "$work/window.png"
  xdotool windowsize "${host:-0}" 500 300 2>/dev/null; sleep 1
  child=$(xwininfo -id "${host:-0}" -children 2>/dev/null | awk '/^ +0x/ {print $1; exit}')
  check "$p: the saver follows the window's size" \
    bash -c "xwininfo -id '${child:-0}' | grep -q 'Width: 500' && xwininfo -id '${child:-0}' | grep -q 'Height: 300'"
  "$testwin" close "${host:-0}"
  check "$p: closing the window ends it with status 0" ends_with "$spid" 0 5
}

echo "== own window"
own_window_tests "--window"

echo "== configuration dialog"
ini=$XDG_CONFIG_HOME/Korvel\ Screen\ Savers/mosvik-test.ini
dialog() { # dialog NAME "KEYS" [SAVER OPTIONS]: answers the dialog with KEYS
  local name=$1 keys=$2; shift 2
  start "$name" "$@"
  local id; id=$(timeout 10 xdotool search --sync --limit 1 --name '^Mosvik configuration$' 2>/dev/null | head -n 1)
  [ -n "$id" ] || { echo "      (no dialog)"; return 1; }
  sleep 0.5
  xdotool windowfocus --sync "$id" 2>/dev/null; sleep 0.3
  local key
  # 0.5 s apart: a button activated from the keyboard clicks 250 ms later.
  # "type:TEXT" types TEXT.
  for key in $keys; do
    case $key in
      type:*) xdotool type -- "${key#type:}" ;;
      *) xdotool key "$key" ;;
    esac
    sleep 0.5
  done
  ends_with "$spid" 0 5
}
stored_speed() { grep -i '^Speed=' "$ini" 2>/dev/null | cut -d= -f2 | tr -d '\r'; }
stored() { grep -i "^$1=" "$ini" 2>/dev/null | cut -d= -f2- | tr -d '\r'; }

check "dialog: Escape closes it" dialog cancel Escape
check "dialog: cancelling stores nothing" test ! -e "$ini"
check "dialog: Return accepts it" dialog ok Return
check "dialog: accepted unchanged, it stores 8" test "$(stored_speed)" = 8
# OK has the focus first; the slider is two tabs on, as in the template.
check "dialog: the slider's right end (fastest), accepted" dialog right "Tab Tab End Return"
check "dialog: stored 1" test "$(stored_speed)" = 1
check "dialog: the slider moved to the left end, then cancelled" dialog left "Tab Tab Home Escape"
check "dialog: still 1" test "$(stored_speed)" = 1
check "dialog: --speed 3 shows 3; accepted, it stores 3" dialog speed Return --speed 3
check "dialog: stored 3" test "$(stored_speed)" = 3
# The pictures: Alt+F chooses a folder, Tab reaches its box.
check "dialog: a folder typed, subfolders left out, then cancelled" \
  dialog nofolder "alt+f Tab type:$work/xss-pictures alt+s Escape"
check "dialog: ... stores no folder" test -z "$(stored PictureFolder)"
check "dialog: a folder typed and the caption checked, accepted" \
  dialog folder "alt+f Tab type:$work/xss-pictures alt+d Return"
check "dialog: ... stores the folder, with subfolders and the caption" \
  test "$(stored PictureFolder)|$(stored PictureSubfolders)|$(stored PictureCaption)" = "$work/xss-pictures|1|1"

# The home-page button (Alt+G) asks the desktop's opener for the maker's
# page; a stand-in opener records what it was given.
mkdir -p "$work/bin" "$work/cwd"
printf '#!/bin/sh\necho "$@" >> "%s"\n' "$work/opened" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
home_page() {
  (cd "$work/cwd" && export PATH="$work/bin:$PATH" && dialog home "alt+g Escape")
}
check "dialog: the home-page button (Alt+G), then Escape" home_page
for _ in $(seq 30); do [ -s "$work/opened" ] && break; sleep 0.1; done
check "dialog: ... and opens the maker's page" grep -qx 'http://www.korvel-software.example' "$work/opened"
check "dialog: ... and removes its probe file" test ! -e "$work/cwd/aaa.htm"

start sigdlg
if timeout 10 xdotool search --sync --limit 1 --name '^Mosvik configuration$' >/dev/null 2>&1; then
  kill -TERM "$spid"
  check "dialog: SIGTERM closes it with status 0" ends_with "$spid" 0 5
else
  fail "dialog: SIGTERM closes it with status 0" "no dialog"
fi
check "dialog: ... and stores nothing" test "$(stored_speed)" = 3
# The shows below draw the saver's own picture: the folder chosen above goes.
sed -i '/^Picture/d' "$ini"
check "dialog: without a display it says so and ends with status 1" \
  bash -c "out=\$(DISPLAY= '$saver' 2>&1); [ \$? -eq 1 ] && [ \$(printf '%s\n' \"\$out\" | wc -l) -eq 1 ]"

echo "== SIGTERM at 20 moments of the first minute"
# One saver per moment, started a quarter second apart (twenty start-ups at
# once would only measure the wait for a processor) so the minute passes
# about once. Each has a display of its own (full-screen savers on one
# display would take the focus from each other, which ends them) and records
# when SIGTERM went out, when it ended and how.
for i in $(seq 0 19); do
  at=$(awk -v i="$i" 'BEGIN {printf "%.3f", 0.5 + i * 2.95 + (i * 0.137) % 1}')
  sleep 0.25
  (
    Xvfb -displayfd 5 -screen 0 640x480x24 -nolisten tcp 5>"$work/term-display.$i" 2>/dev/null &
    x=$!
    trap 'kill $x 2>/dev/null' EXIT
    for _ in $(seq 100); do [ -s "$work/term-display.$i" ] && break; sleep 0.1; done
    DISPLAY=":$(head -n 1 "$work/term-display.$i")" "$saver" /s >/dev/null 2>&1 &
    p=$!
    # The moment counts from when it catches SIGTERM: before, the dynamic
    # loader is still mapping libraries and no code of the saver runs.
    for _ in $(seq 500); do
      c=$(awk '/^SigCgt:/ {print $2}' "/proc/$p/status" 2>/dev/null)
      [ -n "$c" ] && [ $(( (0x$c >> 14) & 1 )) -eq 1 ] && break
      sleep 0.01
    done
    sleep "$at"
    t0=${EPOCHREALTIME/./} # microseconds, read without starting a process
    kill -TERM "$p"
    wait "$p"; st=$?
    t1=${EPOCHREALTIME/./}
    echo "$at $st $(( (t1 - t0) / 1000 ))" >"$work/term.$i"
  ) &
  pids+=("$!")
done
wait "${pids[@]: -20}" 2>/dev/null
worst=$(cat "$work"/term.* 2>/dev/null | sort -k3 -n | tail -n 1)
check "SIGTERM at 20 moments: every saver ends within 100 ms with status 0 (worst: ${worst:-none})" \
  bash -c "[ \$(cat '$work'/term.* | wc -l) -eq 20 ] && ! awk '\$2 != 0 || \$3 >= 100 {bad = 1} END {exit !bad}' '$work'/term.*"

echo "== a 16-bit display"
# Another pixel layout than the raster's: every pixel is converted.
if other_display "$work/display16" -screen 0 640x480x16; then
  xvfb16_pid=$other_pid
  main_display=$DISPLAY
  export DISPLAY=":$(head -n 1 "$work/display16")"
  park_pointer
  start depth16 /s
  sleep 3.5
  check "16-bit display: full screen shows the board" shows_board root "$work/depth16.png"
  xdotool key space
  check "16-bit display: a key ends it with status 0" ends_with "$spid" 0 5
  export DISPLAY=$main_display
  kill "$xvfb16_pid" 2>/dev/null; wait "$xvfb16_pid" 2>/dev/null
else
  fail "16-bit display" "Xvfb did not start"
fi

echo "== several monitors"
# One monitor's show, as the several-monitor parent starts it: its window
# is exactly the monitor's rectangle and it takes neither focus nor grab.
park_pointer
start monitor --monitor=1:400x300+600+100 /s
sleep 2
win=$(fullscreen_window)
check "a monitor's show covers exactly its monitor" \
  bash -c "xwininfo -id '$win' | grep -q 'Absolute upper-left X:  600' && xwininfo -id '$win' | grep -q 'Absolute upper-left Y:  100' && xwininfo -id '$win' | grep -q 'Width: 400'"
kill -TERM "$spid"
check "a monitor's show ends with status 0 on SIGTERM" ends_with "$spid" 0 5
# Xvfb offers several monitors only as Xinerama screens of a multi-screen
# server (without RandR, whose monitors it cannot be given): the Xinerama
# fallback, one show per screen. Xvfb lays both screens at 0,0.
if other_display "$work/display2" -screen 0 640x480x24 -screen 1 400x300x24 +xinerama -extension RANDR; then
  xvfb2_pid=$other_pid
  main_display=$DISPLAY
  export DISPLAY=":$(head -n 1 "$work/display2")"
  for ending in mouse term; do
    park_pointer
    start "monitors-$ending" /s
    sleep 2.5
    check "two monitors: one show each (${ending})" test "$(pgrep -c -P "$spid")" -eq 2
    shows=$(pgrep -d, -P "$spid")
    if [ "$ending" = mouse ]; then
      xdotool mousemove 100 100; sleep 0.3; xdotool mousemove 150 160
    else
      kill -TERM "$spid"
    fi
    check "two monitors: ${ending} ends both with status 0" ends_with "$spid" 0 5
    check "two monitors: no show is left after ${ending}" bash -c "! ps -p '$shows' >/dev/null"
  done
  export DISPLAY=$main_display
  kill "$xvfb2_pid" 2>/dev/null; wait "$xvfb2_pid" 2>/dev/null
else
  fail "several monitors" "Xvfb did not start"
fi

echo "== under a window manager"
if command -v openbox >/dev/null; then
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  pids+=("$wm_pid")
  for _ in $(seq 50); do # it announces itself on the root window
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  fullscreen_tests "full screen under a window manager"
  own_window_tests "--window under a window manager"
  check "dialog under a window manager: Return accepts it" dialog wm Return
  kill "$wm_pid" 2>/dev/null; wait "$wm_pid" 2>/dev/null
else
  skipped=$((skipped + 1))
  echo "skip  window-manager checks (openbox is not installed)"
fi

echo "== install"
if cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1; then
  pass "cmake --install"
else
  fail "cmake --install" "$(tail -n 3 "$work/install.log")"
fi
for f in libexec/xscreensaver/mosvik bin/mosvik-pack share/xscreensaver/config/mosvik.xml \
         share/man/man6/mosvik.6.gz share/man/man1/mosvik-pack.1.gz; do
  check "installed: $f" test -s "$work/prefix/$f"
done
check "installed: bin/mosvik links to it" \
  test "$(readlink "$work/prefix/bin/mosvik")" = ../libexec/xscreensaver/mosvik
open_testwin 320 240
"$work/prefix/bin/mosvik" --window-id "$twid" >/dev/null 2>&1 &
spid=$!; pids+=("$spid")
sleep 3.5
check "installed: mosvik runs as it is, with the default picture" shows_board "$twid" "$work/installed.png"
testwin_do destroy
check "installed: ... and ends with its window" ends_with "$spid" 0 5
close_testwin
check "installed: mosvik-pack uses the installed mosvik as its template" \
  bash -c "'$work/prefix/bin/mosvik-pack' -o '$work/own' --message mine >/dev/null && '$work/prefix/bin/mosvik-pack' --info '$work/own' | grep -q mine"

echo "== programs"
check "mosvik --help lists the desktop options" \
  bash -c "'$saver' --help | grep -q -- '--window-id ID' && '$saver' --help | grep -q -- '--speed N'"
check "full screen without a display: one line and status 2" \
  bash -c "out=\$(DISPLAY= '$saver' /s 2>&1); [ \$? -eq 2 ] && [ \$(printf '%s\n' \"\$out\" | wc -l) -eq 1 ]"
check "mosvik --version" bash -c "'$saver' --version | grep -q '^mosvik '"
check "mosvik-pack --help and --version" \
  bash -c "'$build/mosvik-pack' --help | grep -q usage && '$build/mosvik-pack' --version | grep -q ."

finish
