#!/usr/bin/env python3
"""Start-up time of vr31k-utility to a shown main window (offscreen), and its resident
memory once the window is up. Prints figures; asserts nothing.

usage: bench/app/startup_time.py [PATH-TO-vr31k-utility] [RUNS]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

binary = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(__file__), "../../build/release/bin/vr31k-utility")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15


def start_once(tmp, data):
    """One start to a shown window: (milliseconds, resident MiB)."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", VR31K_LOCK_DIR=tmp, VR31K_DATA_DIR=data,
               QT_LOGGING_RULES="vr31k.*.info=true")
    start = time.perf_counter()
    proc = subprocess.Popen([binary], env=env, stderr=subprocess.PIPE, text=True)
    elapsed = None
    for line in proc.stderr:
        if "main window ready" in line:
            elapsed = (time.perf_counter() - start) * 1000
            break
    resident = None
    with open(f"/proc/{proc.pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                resident = int(line.split()[1]) / 1024
    proc.terminate()
    proc.wait()
    return elapsed, resident


def report(title, samples):
    times = [t for t, _ in samples]
    rss = [r for _, r in samples]
    print(f"{title}: median {statistics.median(times):.1f} ms (min {min(times):.1f}, max {max(times):.1f}, "
          f"{len(times)} runs); resident memory median {statistics.median(rss):.1f} MiB")


# A first start creates the data folder, the history database and its key.
first = []
for _ in range(runs):
    with tempfile.TemporaryDirectory() as tmp:
        first.append(start_once(tmp, os.path.join(tmp, "data")))
# An everyday start opens what is there.
usual = []
with tempfile.TemporaryDirectory() as tmp:
    data = os.path.join(tmp, "data")
    start_once(tmp, data)
    for _ in range(runs):
        usual.append(start_once(tmp, data))

report("first start to a shown window", first)
report("usual start to a shown window", usual)
