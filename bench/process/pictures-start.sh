#!/usr/bin/env bash
# Pictures from the disk as a user meets them, on the headless backend at
# WIDTHxHEIGHT (which waits for each prepared picture, so these are the
# slowest starts a desktop would see; a desktop shows the embedded picture
# instead when the first is not ready):
#   - wall and CPU time from start to the first board frame (a run that
#     stops 0.1 s of virtual time after the board appears), with a folder of
#     24-megapixel JPEGs against the embedded picture, alternated in one run
#     (medians of RUNS each, and their ratio);
#   - the peak resident memory of one such run for the embedded picture, a
#     24-megapixel JPEG, a 48-megapixel PNG of noise (about 140 MB) and a
#     48-megapixel PNG of flat colour (a few hundred KB).
#   bench/process/pictures-start.sh BUILD_DIR [WIDTHxHEIGHT] [RUNS]
# BUILD_DIR holds mosvik and mosvik-pack. Wall-clock figures depend on the
# machine: only the ratio carries.
set -euo pipefail

build=$(cd "${1:?usage: pictures-start.sh BUILD_DIR [WxH] [RUNS]}" && pwd)
size=${2:-1920x1080}
runs=${3:-5}
src=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config

"$build/mosvik-pack" "$src/src/resources/default-picture.png" -o "$work/saver" --saver "$build/mosvik" >/dev/null

python3 - "$work" <<'PY'
import os, struct, sys, zlib, random
work = sys.argv[1]
os.makedirs(f"{work}/folder/2024", exist_ok=True)

def ppm(path, w, h, seed):
    # Smooth gradients with a little noise, like a photo to the encoder.
    rnd = random.Random(seed)
    noise = bytes(rnd.getrandbits(8) & 7 for _ in range(w * 3))
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (w, h))
        for y in range(h):
            row = bytearray(w * 3)
            for x in range(0, w * 3, 3):
                row[x] = (x // 93 + y // 23 + seed * 40) & 0xFF
                row[x + 1] = (x // 31 + y // 47) & 0xFF
                row[x + 2] = (y // 11) & 0xFF
            f.write(bytes(a ^ b for a, b in zip(row, noise)))

def png(path, w, h, noisy):
    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    z = zlib.compressobj(1)
    body = bytearray()
    flat = b"\0" + bytes([40, 120, 200]) * w
    for y in range(h):
        body += z.compress(b"\0" + os.urandom(w * 3) if noisy else flat)
    body += z.flush()
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", bytes(body)) + chunk(b"IEND", b""))

for i in range(4):
    ppm(f"{work}/p{i}.ppm", 6000, 4000, i)
png(f"{work}/noise.png", 8000, 6000, True)
png(f"{work}/flat.png", 8000, 6000, False)
PY
for i in 0 1 2 3; do
  cjpeg -quality 92 "$work/p$i.ppm" >"$work/folder/2024/IMG_$i.jpg"
  rm "$work/p$i.ppm"
done
cp "$work/folder/2024/IMG_0.jpg" "$work/24mp.jpg"

python3 - "$work" "$size" "$runs" <<'PY'
import os, subprocess, sys, time
work, size, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
saver = f"{work}/saver"

def run(extra):
    t0 = time.monotonic()
    p = subprocess.Popen([saver, f"--headless={size}", "--stop-after=0.6", *extra, "/s"],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(p.pid, 0)
    took = time.monotonic() - t0
    err = p.stderr.read().decode()
    if status != 0 or err:
        sys.exit(f"run {extra} failed ({status}): {err}")
    return took, usage.ru_maxrss // 1024, usage.ru_utime + usage.ru_stime

embedded, folder = [], []
for _ in range(runs):
    embedded.append(run([]))
    folder.append(run([f"--picture-dir={work}/folder"]))
med = lambda v, k: sorted(r[k] for r in v)[(len(v) - 1) // 2]
for k, what in ((0, "wall"), (2, "CPU")):
    print(f"size {size}: start to first board frame ({what} time, median of {runs}): embedded "
          f"{med(embedded, k) * 1000:.0f} ms, folder of 24 MP JPEGs {med(folder, k) * 1000:.0f} ms, "
          f"ratio {med(folder, k) / med(embedded, k):.2f}")
for name, extra in [("embedded picture", []), ("24 MP JPEG", [f"--picture={work}/24mp.jpg"]),
                    ("48 MP PNG of noise", [f"--picture={work}/noise.png"]),
                    ("48 MP PNG of flat colour", [f"--picture={work}/flat.png"])]:
    took, peak, cpu = run(extra)
    print(f"size {size}: {name}: peak {peak} MB, {took * 1000:.0f} ms wall, {cpu * 1000:.0f} ms CPU")
PY
