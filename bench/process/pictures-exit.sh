#!/usr/bin/env bash
# Input to exit of the full-screen X11 saver (on Xvfb) while a 48-megapixel
# PNG is being prepared, against the same with the embedded picture,
# alternated in one run: a key is sent with xdotool at COUNT moments between
# 1.0 and 2.0 s after start (the first picture of the folder is still being
# read then; the board already shows the embedded one) and the time until
# the process has ended is taken, xdotool's own start included.
#   bench/process/pictures-exit.sh BUILD_DIR [COUNT]
# Wall-clock figures depend on the machine: compare the two columns.
set -uo pipefail
build=$(cd "${1:?usage: pictures-exit.sh BUILD_DIR [COUNT]}" && pwd)
n=${2:-8}
src=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xv=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")" XDG_CONFIG_HOME=$work/config
unset XSCREENSAVER_WINDOW
"$build/mosvik-pack" "$src/src/resources/default-picture.png" -o "$work/saver" --saver "$build/mosvik" >/dev/null
mkdir -p "$work/folder"
python3 - "$work/folder" <<'PY'
import os, struct, sys, zlib
def chunk(t, d): return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
z = zlib.compressobj(1); body = bytearray()
for y in range(6000): body += z.compress(b"\0" + os.urandom(24000))
body += z.flush()
data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 8000, 6000, 8, 2, 0, 0, 0)) + chunk(b"IDAT", bytes(body)) + chunk(b"IEND", b"")
for i in range(3): open(f"{sys.argv[1]}/big{i}.png", "wb").write(data)
PY
python3 - "$work/saver" "$work/folder" "$n" <<'PY'
import subprocess, sys, time
saver, folder, n = sys.argv[1], sys.argv[2], int(sys.argv[3])
took, ref = [], []
for i in range(2 * n):
    folder_run = i % 2 == 0
    at = 1.0 + 0.12 * (i // 2)   # the first picture takes about 1.5-2.5 s to prepare
    args = [saver, f"--picture-dir={folder}", "/s"] if folder_run else [saver, "/s"]
    p = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(at)
    t0 = time.monotonic()
    subprocess.run(["xdotool", "key", "space"])
    status = p.wait(timeout=10)
    ms = (time.monotonic() - t0) * 1000
    (took if folder_run else ref).append(ms)
    print(f"{'folder' if folder_run else 'embedded'} key at {at:.2f}s: ended after {ms:.0f} ms, status {status}", flush=True)
for name, v in (("48 MP PNG being prepared", took), ("embedded picture", ref)):
    v.sort()
    print(f"{name}: worst {v[-1]:.0f} ms, median {v[(len(v)-1)//2]:.0f} ms")
PY
kill "$xv"; rm -rf "$work"
