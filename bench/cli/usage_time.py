#!/usr/bin/env python3
"""Wall time of `vr31kctl usage`, which opens the history, against `vr31kctl settings
show`, which opens no database: the median of RUNS runs each, taken in turn. Prints
figures next to the build before the raw history key; asserts nothing.

usage: bench/cli/usage_time.py [--baseline OTHER-vr31kctl] [PATH-TO-vr31kctl] [RUNS]

With --baseline, an earlier build runs in turn with this one, each in a data folder of
its own (a newer build re-keys an older build's history, which the older one could then
no longer read), and the ratios are taken run by run, so both are measured on the same
machine at the same moment.
"""
import argparse
import os
import statistics
import subprocess
import tempfile
import time

# The build that derived the history key from the pass phrase at every open, on a quiet
# machine; and what the raw key is meant to reach.
BEFORE_MS = {"usage": 35.0, "settings show": 3.0}
TARGET_MS = {"usage": 10.0}
COMMANDS = ("usage", "settings show")

parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("binary", nargs="?",
                    default=os.path.join(os.path.dirname(__file__), "../../build/release/bin/vr31kctl"))
parser.add_argument("runs", nargs="?", type=int, default=21)
parser.add_argument("--baseline", help="another vr31kctl to run in turn with this one")
args = parser.parse_args()


def run_once(binary, folder, command):
    """Milliseconds from start to exit of one call."""
    env = dict(os.environ, VR31K_DATA_DIR=os.path.join(folder, "data"), VR31K_LOCK_DIR=folder)
    start = time.perf_counter()
    done = subprocess.run([binary] + command.split(), env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                          text=True)
    elapsed = (time.perf_counter() - start) * 1000
    if done.returncode != 0:
        raise SystemExit(f"{binary} {command} failed ({done.returncode}): {done.stderr.strip()}")
    return elapsed


def describe(samples):
    return (f"median {statistics.median(samples):5.1f} ms (min {min(samples):.1f}, max {max(samples):.1f}, "
            f"{len(samples)} runs)")


binaries = [args.binary] + ([args.baseline] if args.baseline else [])
times = {(b, c): [] for b in binaries for c in COMMANDS}
with tempfile.TemporaryDirectory() as keep:
    folders = {}
    for i, b in enumerate(binaries):
        folders[b] = os.path.join(keep, str(i))
        os.makedirs(folders[b])
        run_once(b, folders[b], "usage")  # the data folder and the history, made once
    for _ in range(args.runs):
        for b in binaries:
            for c in COMMANDS:
                times[(b, c)].append(run_once(b, folders[b], c))

for c in COMMANDS:
    target = f", target <= {TARGET_MS[c]:.0f} ms" if c in TARGET_MS else ""
    print(f"vr31kctl {c:<13} {describe(times[(args.binary, c)])}; before {BEFORE_MS[c]:.0f} ms{target} "
          f"(quiet machine)")
ratio = [u / s for u, s in zip(times[(args.binary, "usage")], times[(args.binary, "settings show")])]
print(f"usage / settings show, run by run: median {statistics.median(ratio):.2f} "
      f"(before {BEFORE_MS['usage'] / BEFORE_MS['settings show']:.1f})")
if args.baseline:
    for c in COMMANDS:
        print(f"baseline {c:<13} {describe(times[(args.baseline, c)])}")
        ratios = [a / b for a, b in zip(times[(args.binary, c)], times[(args.baseline, c)])]
        print(f"  {c}, this build / baseline, run by run: median {statistics.median(ratios):.2f}")
