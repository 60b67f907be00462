#!/usr/bin/env bash
# How the full-screen X11 saver behaves as a desktop citizen, measured on a
# virtual display (Xvfb) of a given size:
#   - the share of one core it uses over SECONDS of real time (user + system
#     time of the process, from /proc);
#   - how long it takes to end after SIGTERM, sent at COUNT moments spread
#     over the first SECONDS of a run (one fresh saver per moment, one at a
#     time, so the figures are not disturbed by each other).
#   bench/process/saver-citizen.sh BUILD_DIR [WIDTHxHEIGHT] [SECONDS] [COUNT]
# BUILD_DIR holds mosvik and mosvik-pack. The full latency run lasts about
# COUNT x SECONDS / 2 (10 minutes with the defaults 1920x1080, 60 s, 20).
# Wall-clock figures depend on the machine: compare runs made side by side.
set -uo pipefail

build=$(cd "${1:?usage: saver-citizen.sh BUILD_DIR [WxH] [SECONDS] [COUNT]}" && pwd)
size=${2:-1920x1080}
seconds=${3:-60}
count=${4:-20}
src=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
spid=

cleanup() {
  [ -n "$spid" ] && kill -KILL "$spid" 2>/dev/null
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"
export XDG_CONFIG_HOME=$work/config
unset XSCREENSAVER_WINDOW

saver=$work/saver
"$build/mosvik-pack" "$src/src/resources/default-picture.png" -o "$saver" --saver "$build/mosvik" >/dev/null ||
  { echo "cannot pack a saver" >&2; exit 1; }

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

# CPU share over $seconds of one run.
"$saver" /s >/dev/null 2>&1 &
spid=$!
sleep "$seconds"
ticks=$(cpu_ticks "$spid")
kill -KILL "$spid" 2>/dev/null; wait "$spid" 2>/dev/null; spid=
hz=$(getconf CLK_TCK)
echo "size $size: CPU share over ${seconds} s: $(awk -v t="$ticks" -v hz="$hz" -v s="$seconds" \
  'BEGIN {printf "%.1f %% of one core", 100 * t / hz / s}')"

# SIGTERM latency at $count moments spread over the first $seconds, timed by
# a small Python driver (no process is started between the signal and the
# wait, so the figure is the saver's own).
python3 - "$saver" "$seconds" "$count" "$size" <<'PY'
import os, signal, subprocess, sys, time
saver, seconds, count, size = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
took, bad = [], 0
for i in range(count):
    # Evenly spread, with an offset that walks through the fractions of a second.
    at = 0.3 + i * (seconds - 0.6) / count + (i * 0.137) % 1
    p = subprocess.Popen([saver, "/s"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(at)
    t0 = time.monotonic()
    p.send_signal(signal.SIGTERM)
    status = p.wait()
    ms = (time.monotonic() - t0) * 1000
    took.append(ms)
    bad += status != 0
    print(f"  SIGTERM at {at:.3f}s: ended after {ms:.0f} ms, status {status}", flush=True)
took.sort()
print(f"size {size}: SIGTERM latency over {count} moments: worst {took[-1]:.0f} ms, "
      f"median {took[(len(took) - 1) // 2]:.0f} ms, {bad} with a status other than 0")
PY
