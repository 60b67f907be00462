#!/usr/bin/env bash
# The saver on Wayland, under a real headless sway (wlroots' headless
# backend, pixman renderer, two outputs), looked at with grim and driven
# with wtype, swaymsg's seat commands and a virtual pointer; and under
# weston, which offers no layer shell. Also measures, for the record, the
# processor share of a show at 1920x1080 over a minute.
#   tests/wayland/run-wayland-tests.sh BUILD_DIR
# BUILD_DIR holds mosvik, mosvik-pack and tests/wayland/mosvik-wayland-pointer.
# sway refuses to run as root: as root, the compositors and the savers run
# as a throwaway system user (made when missing) with a runtime directory
# of its own. Prints one line per check and "N passed, M failed"; every
# wait is bounded; everything started here is ended on exit.
set -uo pipefail

build=$(cd "${1:?usage: run-wayland-tests.sh BUILD_DIR}" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
source "$src/tests/common/checks.sh"

user=mosvik-wayland
pids=()
work=$(mktemp -d)
cleanup() {
  local p
  for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null; done
  sleep 0.2
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

python=/usr/bin/python3 # the system's, which the session's user can run too
for tool in sway swaymsg grim wtype convert setpriv "$python"; do
  if ! command -v "$tool" >/dev/null; then
    fail "tool $tool" "not installed (scripts/setup installs it)"
    finish
  fi
done
for f in "$build/mosvik" "$build/mosvik-pack" "$build/tests/wayland/mosvik-wayland-pointer"; do
  if [ ! -x "$f" ]; then
    fail "build" "$f is missing (a build without libwayland-client?)"
    finish
  fi
done

# As root, every program of the sessions runs as the throwaway user through
# setpriv, which execs the program itself: a pid taken here is the
# program's own, and a signal sent to it reaches it.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user" || {
    fail "throwaway user $user" "useradd failed"; finish; }
  as_user=(setpriv --reuid="$user" --regid="$user" --clear-groups)
fi
runtime=$work/runtime # the sessions' XDG_RUNTIME_DIR: the user's alone
mkdir -m 700 "$runtime" "$work/shots" "$work/config"
[ "$(id -u)" -eq 0 ] && chown "$user" "$work" "$runtime" "$work/shots" "$work/config"
chmod 755 "$work"

# The saver under test, packed where the user can run it, and the helpers.
saver=$work/mosvik-test
if ! "$build/mosvik-pack" "$src/src/resources/default-picture.png" -o "$saver" --message "Wayland test" \
     --saver "$build/mosvik" >"$work/pack.log" 2>&1; then
  fail "pack" "$(cat "$work/pack.log")"
  finish
fi
cp "$build/tests/wayland/mosvik-wayland-pointer" "$src/tests/wayland/sigterm_moments.py" "$work/"
chmod 755 "$saver" "$work/mosvik-wayland-pointer" "$work/sigterm_moments.py"

# The environment of the sessions' programs; $socket names the compositor
# (empty: for the compositors themselves).
session_envs() {
  envs=(env -i PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$work/config"
        ${socket:+WAYLAND_DISPLAY=$socket} ${SWAYSOCK:+SWAYSOCK=$SWAYSOCK})
}
# session PROGRAM ARGS...: as the user, in the session, in the foreground.
# A program put in the background is started as one command (so that $!
# is its own pid): "${as_user[@]}" "${envs[@]}" PROGRAM ... &, after session_envs.
session() { session_envs; "${as_user[@]}" "${envs[@]}" "$@"; }
msg() { session swaymsg "$@" >/dev/null; }
has_window() { local tree; tree=$(session swaymsg -t get_tree) && grep -q "$1" <<<"$tree"; }

# start NAME ARGS...: the saver in the background; its pid in $spid.
start() {
  local name=$1; shift
  session_envs
  "${as_user[@]}" "${envs[@]}" "$saver" "$@" >"$work/$name.out" 2>"$work/$name.err" &
  spid=$!
  pids+=("$spid")
}
# ends_with PID STATUS SECONDS: the process ends within SECONDS with STATUS.
ends_with() {
  local pid=$1 want=$2 limit=$3 status
  for _ in $(seq $((limit * 10))); do
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
shows_of() { pgrep -P "$1" | wc -l; } # the shows a full-screen run started
show_on() { pgrep -f -P "$1" "wayland-output=$2"; } # show_on RUN OUTPUT: the pid of that output's show
has_show() { show_on "$@" >/dev/null; }
# refused STATUS PATTERN ARGS...: the saver prints one line matching PATTERN
# on stderr and ends with STATUS.
refused() {
  local want=$1 pattern=$2; shift 2
  local out status
  out=$(session "$saver" "$@" 2>&1 >/dev/null); status=$?
  if [ "$status" -eq "$want" ] && [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] &&
     printf '%s' "$out" | grep -q -- "$pattern"; then
    return 0
  fi
  echo "      (status $status: $out)"
  return 1
}

echo "== without a compositor that can"
socket=no-such-display
check "no compositor: one line and status 2" refused 2 "Wayland display" --wayland /s
if command -v weston >/dev/null; then
  socket=
  session_envs
  "${as_user[@]}" "${envs[@]}" weston --backend=headless-backend.so --socket=wayland-weston --idle-time=0 \
    >"$work/weston.log" 2>&1 &
  pids+=("$!")
  socket=wayland-weston
  for _ in $(seq 100); do [ -S "$runtime/$socket" ] && break; sleep 0.1; done
  weston_pid=${pids[-1]}
  check "weston (no layer shell): one line naming the protocol and --x11, status 2" \
    refused 2 "zwlr_layer_shell_v1.*--x11" /s
  start weston-window --window
  sleep 2
  check "weston: --window runs in an xdg-shell window there" still_runs "$spid"
  kill -TERM "$spid"
  check "weston: ... and SIGTERM ends it with status 0" ends_with "$spid" 0 5
  kill -TERM "$weston_pid"
else
  skipped=$((skipped + 1))
  echo "skip  a compositor without the layer shell (weston is not installed)"
fi

echo "== headless sway, two outputs"
cat >"$work/sway.conf" <<'EOF'
xwayland disable
output * bg #203040 solid_color
output HEADLESS-1 mode 1024x768 position 0 0
output HEADLESS-2 mode 1280x1024 position 1024 0 scale 2
EOF
socket=
session_envs
"${as_user[@]}" "${envs[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  WLR_HEADLESS_OUTPUTS=2 sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
sway_pid=$!
pids+=("$sway_pid")
for _ in $(seq 100); do ls "$runtime"/sway-ipc.*.sock >/dev/null 2>&1 && break; sleep 0.1; done
SWAYSOCK=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -n 1)
socket=$(cd "$runtime" && ls wayland-* 2>/dev/null | grep -v -e lock -e weston | head -n 1)
if [ -z "$SWAYSOCK" ] || [ -z "$socket" ]; then
  fail "sway" "did not start: $(tail -n 3 "$work/sway.log")"
  finish
fi
# Headless sway has no input devices; a virtual pointer gives the seat one.
session_envs
coproc PTR { exec "${as_user[@]}" "${envs[@]}" "$work/mosvik-wayland-pointer"; }
pids+=("$PTR_PID")
read -r -t 10 ready <&"${PTR[0]}"
[ "${ready:-}" = ready ] || { fail "virtual pointer" "not ready"; finish; }
park() { msg seat seat0 cursor set 300 300; sleep 0.2; } # somewhere known before each start

# shot OUTPUT FILE: a screenshot of one output, in its own pixels; then
# $look holds "WIDTH HEIGHT COLOURS BACKGROUND EVEN ODD" (look.py).
shot() {
  session grim -o "$1" "$work/shots/$2" && look=$("$python" "$src/tests/wayland/look.py" "$work/shots/$2")
  echo "      ($1: $look)"
}
# covers W H [COLOURS]: the shot has that size, more colours than COLOURS
# (1000: a board, not the felt alone) and the desktop's background on less
# than 1 % of it: the saver covers the output.
covers() {
  local w h k bg
  read -r w h k bg _ <<<"$look"
  [ "$w" = "$1" ] && [ "$h" = "$2" ] && [ "$k" -gt "${3:-1000}" ] && [ "$bg" -lt $((w * h / 100)) ]
}
# fine_detail: drawn in the output's own pixels, not upscaled: as many
# pixels differ from their right neighbour in even columns as in odd ones.
fine_detail() {
  local even odd
  read -r _ _ _ _ even odd <<<"$look"
  [ "$even" -gt 1000 ] && [ "$odd" -gt 1000 ] && [ $((even * 2)) -gt "$odd" ] && [ $((odd * 2)) -gt "$even" ]
}

park
start shows /s
sleep 3.5
check "full screen: one show per output" test "$(shows_of "$spid")" -eq 2
shot HEADLESS-1 out1.png
check "HEADLESS-1 (1024x768): a board covers it" covers 1024 768
shot HEADLESS-2 out2.png
check "HEADLESS-2 (640x512 at scale 2): a board covers its 1280x1024 pixels" covers 1280 1024
check "HEADLESS-2: ... drawn in physical pixels, not upscaled" fine_detail
msg seat seat0 cursor move 1 1; sleep 0.5
check "a one-pixel pointer move does not end it" still_runs "$spid"
msg seat seat0 cursor move 6 6
check "a pointer move of 6 pixels on both axes ends it with status 0" ends_with "$spid" 0 5

# The slop counts the output's pixels: 3 logical pixels at scale 2 are 6
# buffer pixels, within the 10 the slop becomes there.
msg seat seat0 cursor set 1300 300; sleep 0.2
start slop /s
sleep 2
msg seat seat0 cursor move 1 1; sleep 0.3
msg seat seat0 cursor move 3 3; sleep 0.5
check "at scale 2 a move of 3 logical pixels does not end it" still_runs "$spid"
msg seat seat0 cursor move 4 4
check "... and one of 7 does, with status 0" ends_with "$spid" 0 5

park
start key /s
sleep 2
# wtype's keyboard appears for this one key: the pause lets the saver take
# the seat's new keyboard before the key goes down.
session wtype -s 300 -k space
check "a key typed with wtype ends it with status 0" ends_with "$spid" 0 5

park
start click /s
sleep 2
msg seat seat0 cursor press button1; msg seat seat0 cursor release button1
check "a left click ends it with status 0" ends_with "$spid" 0 5

# No frame callbacks (the compositor stopped): the shows wait in poll()
# instead of drawing or spinning. A spinning show would take ~500 ticks.
park
start noframes /s
sleep 3.5
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
shows_ticks() { local p t=0; for p in $(pgrep -P "$1"); do t=$((t + $(ticks "$p"))); done; echo "$t"; }
kill -STOP "$sway_pid"
t0=$(shows_ticks "$spid"); sleep 5; t1=$(shows_ticks "$spid")
kill -CONT "$sway_pid"
echo "      (both shows: $((t1 - t0)) ticks of processor time in 5 s without frames)"
check "no frame callbacks: the shows wait without spinning (under 10 ticks in 5 s)" test $((t1 - t0)) -lt 10
session wtype -s 300 -k space
check "... and once they come again a key ends it with status 0" ends_with "$spid" 0 5

park
start unplug /s
sleep 2.5
# A new mode: the surface follows it (white where the show has not drawn
# yet, as after any resize), and no desktop shows.
msg output HEADLESS-1 mode 800x600; sleep 1
shot HEADLESS-1 resized.png
check "HEADLESS-1 set to 800x600: the show covers it at its new size" covers 800 600 0
msg output HEADLESS-2 disable; sleep 2
check "HEADLESS-2 disabled: the run and the other output's show go on" has_show "$spid" HEADLESS-1
session wtype -s 300 -k space
check "... and a key still ends it with status 0" ends_with "$spid" 0 5
msg output HEADLESS-2 enable; sleep 0.5

start window --window
for _ in $(seq 50); do has_window '"app_id": "mosvik"' && break; sleep 0.1; done
check "--window: an xdg-shell window with app_id mosvik" has_window '"app_id": "mosvik"'
sleep 3
shot HEADLESS-1 window.png
check "--window: it shows the board" test "$(cut -d' ' -f3 <<<"$look")" -gt 1000
msg '[app_id=mosvik]' kill
check "--window: closing it ends the saver with status 0" ends_with "$spid" 0 5

start dialog
for _ in $(seq 50); do has_window '"name": "Mosvik configuration"' && break; sleep 0.1; done
sleep 0.5
session wtype -s 300 -k Escape
check "no switch: GTK's configuration dialog on Wayland; Escape closes it with status 0" ends_with "$spid" 0 5
check "--root is X11's: one line and status 2" refused 2 "--x11" --wayland --root

echo "== SIGTERM at 20 moments of the first minute"
# Small outputs, so that twenty runs of two shows each share the machine.
msg output HEADLESS-1 mode 640x480; msg output HEADLESS-2 mode 640x480 scale 1
session "$python" "$work/sigterm_moments.py" "$saver" 20 >"$work/term.txt" 2>&1
worst=$(sort -k3 -n "$work/term.txt" | tail -n 1)
check "SIGTERM at 20 moments: every run (two shows) ends within 100 ms with status 0 (worst: ${worst:-none})" \
  bash -c "[ \$(wc -l <'$work/term.txt') -eq 20 ] && ! awk '\$2 != 0 || \$3 >= 100 {bad = 1} END {exit !bad}' '$work/term.txt'"

echo "== processor share at 1920x1080 (a figure, not a check)"
msg output HEADLESS-1 mode 1920x1080; msg output HEADLESS-2 mode 1280x1024 scale 2
park
start cpu /s
sleep 2
show=$(show_on "$spid" HEADLESS-1)
t0=$(ticks "$show"); s0=${EPOCHREALTIME/./}
sleep 60
t1=$(ticks "$show"); s1=${EPOCHREALTIME/./}
echo "      the HEADLESS-1 show used $(awk -v t=$((t1 - t0)) -v hz="$(getconf CLK_TCK)" -v us=$((s1 - s0)) \
  'BEGIN {printf "%.2f %% of a core over %.1f s", 100 * t / hz / (us / 1e6), us / 1e6}')"
kill -TERM "$spid"
check "the measured run ends with status 0 on SIGTERM" ends_with "$spid" 0 5

finish
