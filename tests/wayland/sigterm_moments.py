#!/usr/bin/env python3
"""SIGTERM at spread moments of the saver's first minute, timed here.

    sigterm_moments.py SAVER COUNT [ARGS...]

Starts COUNT savers (SAVER ARGS, default /s) a quarter second apart; each
gets SIGTERM at its own moment, 0.5 s to about a minute after it began to
catch the signal (before that the dynamic loader is still at work and no
code of the saver runs). Prints one line per saver, "MOMENT STATUS MS", the
milliseconds from the signal to the end of the process as its parent sees
it, and nothing else."""
import os
import signal
import subprocess
import sys
import threading
import time

SIGTERM_BIT = 1 << (signal.SIGTERM - 1)


def catches_sigterm(pid):
    try:
        with open(f'/proc/{pid}/status') as f:
            for line in f:
                if line.startswith('SigCgt:'):
                    return int(line.split()[1], 16) & SIGTERM_BIT != 0
    except OSError:
        pass
    return False


def one(saver, args, moment, results, i):
    p = subprocess.Popen([saver] + args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 5
    while not catches_sigterm(p.pid) and time.monotonic() < deadline and p.poll() is None:
        time.sleep(0.01)
    time.sleep(moment)
    t0 = time.monotonic()
    p.send_signal(signal.SIGTERM)
    try:
        status = p.wait(timeout=10)
    except subprocess.TimeoutExpired:
        p.kill()
        status = p.wait()
    results[i] = (moment, status, (time.monotonic() - t0) * 1000)


def main():
    saver, count = sys.argv[1], int(sys.argv[2])
    args = sys.argv[3:] or ['/s']
    results = [None] * count
    threads = []
    for i in range(count):
        moment = 0.5 + i * 2.95 + (i * 0.137) % 1
        t = threading.Thread(target=one, args=(saver, args, moment, results, i))
        t.start()
        threads.append(t)
        time.sleep(0.25)
    for t in threads:
        t.join()
    for moment, status, ms in results:
        print(f'{moment:.3f} {status} {ms:.1f}')


if __name__ == '__main__':
    main()
