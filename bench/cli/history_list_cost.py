#!/usr/bin/env python3
"""Peak memory and wall time of `vr31kctl --json history list` against `vr31kctl
history list --csv` over a generated history of ROWS rows: the median of RUNS runs of
each, taken in turn. Prints figures next to the build before streaming and the targets;
asserts nothing.

usage: bench/cli/history_list_cost.py [--baseline OTHER-vr31kctl] [--rows N]
                                      [PATH-TO-vr31kctl] [RUNS]

With --baseline, an earlier build lists the same history in turn with this one, and
its output is compared byte for byte with this build's (both forms).
"""
import argparse
import datetime
import hashlib
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../tests/e2e"))
import generated_history  # noqa: E402

# The build that held the whole list in memory before printing it, 100,000 rows, on a
# quiet machine; and what streaming is meant to reach.
BEFORE = {"json": (249.0, 0.63), "csv": (19.0, 0.20)}
TARGET_MIB = 25.0
TARGET_TIME_RATIO = 1.2
FORMS = {"json": ["--json", "history", "list"], "csv": ["history", "list", "--csv"]}

parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("binary", nargs="?",
                    default=os.path.join(os.path.dirname(__file__), "../../build/release/bin/vr31kctl"))
parser.add_argument("runs", nargs="?", type=int, default=5)
parser.add_argument("--rows", type=int, default=100_000)
parser.add_argument("--baseline", help="another vr31kctl to run in turn with this one")
args = parser.parse_args()
TIME = "/usr/bin/time"
if not os.access(TIME, os.X_OK):
    raise SystemExit("history_list_cost: needs GNU time for the peak memory (apt install time)")


def run_once(binary, folder, command):
    """(peak resident MiB, seconds, digest and size of the output) of one call. GNU time
    takes the peak: the rusage of a child of this process would count this process's
    own memory too (the child shares it until it runs vr31kctl). Only the output's digest
    is kept, so this process stays small."""
    env = dict(os.environ, VR31K_DATA_DIR=os.path.join(folder, "data"), VR31K_LOCK_DIR=folder)
    out_path = os.path.join(folder, "out")
    peak_path = os.path.join(folder, "peak")
    with open(out_path, "wb") as out:
        start = time.perf_counter()
        done = subprocess.run([TIME, "-f", "%M", "-o", peak_path, binary] + command, env=env, stdout=out,
                              stderr=subprocess.PIPE, text=True)
        elapsed = time.perf_counter() - start
    if done.returncode != 0:
        raise SystemExit(f"{binary} {' '.join(command)} failed: {done.stderr.strip()}")
    with open(peak_path) as peak:
        kib = int(peak.read().split()[-1])
    digest = hashlib.sha256()
    size = 0
    with open(out_path, "rb") as out:
        while block := out.read(1 << 20):
            digest.update(block)
            size += len(block)
    return kib / 1024.0, elapsed, (digest.hexdigest(), size)


def describe(samples, unit, digits):
    return (f"median {statistics.median(samples):.{digits}f} {unit} "
            f"(min {min(samples):.{digits}f}, max {max(samples):.{digits}f})")


with tempfile.TemporaryDirectory() as keep:
    csv_path = os.path.join(keep, "history.csv")
    last = datetime.datetime.now().replace(microsecond=0) - datetime.timedelta(days=1)
    generated_history.write_csv(csv_path, generated_history.rows(args.rows, last, 1000, last, 6000))
    binaries = [args.binary] + ([args.baseline] if args.baseline else [])
    folders = {}
    for i, b in enumerate(binaries):
        folders[b] = os.path.join(keep, str(i))
        os.makedirs(folders[b])
        env = dict(os.environ, VR31K_DATA_DIR=os.path.join(folders[b], "data"), VR31K_LOCK_DIR=folders[b])
        subprocess.run([b, "history", "import", csv_path], env=env, check=True, stdout=subprocess.DEVNULL)
    figures = {(b, f): ([], []) for b in binaries for f in FORMS}
    outputs = {}
    for _ in range(args.runs):
        for b in binaries:
            for form, command in FORMS.items():
                mib, seconds, output = run_once(b, folders[b], command)
                figures[(b, form)][0].append(mib)
                figures[(b, form)][1].append(seconds)
                outputs[(b, form)] = output

print(f"history list over {args.rows:,} rows, {args.runs} runs each")
for form in FORMS:
    mib, seconds = figures[(args.binary, form)]
    print(f"  --{form:<4} peak {describe(mib, 'MiB', 1)}; time {describe(seconds, 's', 3)}; "
          f"before {BEFORE[form][0]:.0f} MiB, {BEFORE[form][1]:.2f} s (quiet machine)")
json_mib, json_s = figures[(args.binary, "json")]
csv_s = figures[(args.binary, "csv")][1]
ratios = [j / c for j, c in zip(json_s, csv_s)]
print(f"  --json: peak median {statistics.median(json_mib):.1f} MiB, target <= {TARGET_MIB:.0f} MiB; "
      f"time / --csv time, run by run: median {statistics.median(ratios):.2f}, target <= {TARGET_TIME_RATIO}")
if args.baseline:
    for form in FORMS:
        mib, seconds = figures[(args.baseline, form)]
        same = outputs[(args.baseline, form)] == outputs[(args.binary, form)]
        print(f"  baseline --{form:<4} peak {describe(mib, 'MiB', 1)}; time {describe(seconds, 's', 3)}; "
              f"output {'identical' if same else 'DIFFERS'} ({outputs[(args.binary, form)][1]:,} bytes)")
