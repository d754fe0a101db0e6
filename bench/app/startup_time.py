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

times, rss = [], []
for _ in range(runs):
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", VR31K_LOCK_DIR=tmp,
                   VR31K_DATA_DIR=os.path.join(tmp, "data"),
                   QT_LOGGING_RULES="vr31k.*.info=true")
        start = time.perf_counter()
        proc = subprocess.Popen([binary], env=env, stderr=subprocess.PIPE, text=True)
        for line in proc.stderr:
            if "main window ready" in line:
                times.append((time.perf_counter() - start) * 1000)
                break
        with open(f"/proc/{proc.pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    rss.append(int(line.split()[1]) / 1024)
        proc.kill()
        proc.wait()

print(f"runs: {len(times)}")
print(f"start-up to shown window: median {statistics.median(times):.1f} ms "
      f"(min {min(times):.1f}, max {max(times):.1f})")
print(f"resident memory with the window up: median {statistics.median(rss):.1f} MiB")
