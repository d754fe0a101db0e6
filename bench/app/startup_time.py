#!/usr/bin/env python3
"""Start-up time of vr31k-utility to a shown main window (offscreen), and its resident
memory once the window is up. Prints figures next to the build before the raw history
key; asserts nothing.

usage: bench/app/startup_time.py [--baseline OTHER-vr31k-utility] [PATH-TO-vr31k-utility] [RUNS]

With --baseline, an earlier build is started in turn with this one (each in data folders
of its own: a newer build re-keys an older build's history, which the older one could
then no longer read), so both are measured on the same machine at the same moment.
"""
import argparse
import os
import statistics
import subprocess
import tempfile
import time

# The usual start of the build that derived the history key from the pass phrase at
# every open, on a quiet machine; and what the raw key is meant to reach.
BEFORE_MS = 59.0
TARGET_MS = 35.0

parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("binary", nargs="?",
                    default=os.path.join(os.path.dirname(__file__), "../../build/release/bin/vr31k-utility"))
parser.add_argument("runs", nargs="?", type=int, default=21)
parser.add_argument("--baseline", help="another vr31k-utility to start in turn with this one")
args = parser.parse_args()


def start_once(binary, tmp, data):
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
    if elapsed is None:
        raise SystemExit(f"{binary} ended without showing its window")
    return elapsed, resident


def report(title, samples, note=""):
    times = [t for t, _ in samples]
    rss = [r for _, r in samples]
    print(f"{title}: median {statistics.median(times):.1f} ms (min {min(times):.1f}, max {max(times):.1f}, "
          f"{len(times)} runs); resident memory median {statistics.median(rss):.1f} MiB{note}")


binaries = [args.binary] + ([args.baseline] if args.baseline else [])
first = {b: [] for b in binaries}
usual = {b: [] for b in binaries}
with tempfile.TemporaryDirectory() as keep:
    # An everyday start opens what is there: each build gets its data folder made once.
    folders = {}
    for i, b in enumerate(binaries):
        folders[b] = (os.path.join(keep, f"lock{i}"), os.path.join(keep, f"data{i}"))
        os.makedirs(folders[b][0])
        start_once(b, *folders[b])
    for _ in range(args.runs):
        for b in binaries:
            # A first start creates the data folder and the history database.
            with tempfile.TemporaryDirectory() as tmp:
                first[b].append(start_once(b, tmp, os.path.join(tmp, "data")))
            usual[b].append(start_once(b, *folders[b]))

before = f"; before {BEFORE_MS:.0f} ms, target <= {TARGET_MS:.0f} ms (quiet machine)"
report("first start to a shown window", first[args.binary])
report("usual start to a shown window", usual[args.binary], before)
if args.baseline:
    report("baseline first start", first[args.baseline])
    report("baseline usual start", usual[args.baseline])
    for title, samples in (("first", first), ("usual", usual)):
        ratios = [a / b for (a, _), (b, _) in zip(samples[args.binary], samples[args.baseline])]
        print(f"{title} start, this build / baseline, run by run: median {statistics.median(ratios):.2f}")
