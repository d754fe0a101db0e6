#!/usr/bin/env python3
"""Wall time of `vr31kctl entries list` against the number of sections in the phonebook:
a phonebook just under the 1 MiB the program reads, packed with sections of other tools,
and smaller ones of a half, a quarter and an eighth of it. The time should grow about as
the file does (a listing reads the file a few dozen times), not as its square. Prints the
median of RUNS runs per size; asserts nothing.

usage: bench/cli/entries_list_time.py [--baseline OTHER-vr31kctl] [PATH-TO-vr31kctl] [RUNS]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time

# The build that compared every section name with every name before it, on a quiet
# machine, at the largest size (on a loaded one it took 5 s, 22 s and 153 s for the
# three smaller sizes).
BEFORE_S = 15.7
MAX_BYTES = 1 << 20

parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("binary", nargs="?",
                    default=os.path.join(os.path.dirname(__file__), "../../build/release/bin/vr31kctl"))
parser.add_argument("runs", nargs="?", type=int, default=5)
parser.add_argument("--baseline", help="another vr31kctl to run in turn with this one")
args = parser.parse_args()


def phonebook(sections):
    """Three entries of the program's own, then `sections` sections of another tool, 54 bytes
    each: 18,000 of them come to just under the read limit."""
    text = "".join(f"[apn{k}.example]\nPhoneNumber=*99***{k}#\n" for k in (1, 2, 3))
    text += "".join(f"[s{n:05d}]\nNote={'x' * 40}\n" for n in range(sections))
    if len(text) >= MAX_BYTES:
        raise SystemExit(f"{sections} sections make {len(text)} bytes, over the read limit")
    return text


def run_once(binary, folder):
    """Seconds from start to exit of one listing in a fresh copy of `folder`."""
    work = folder + ".run"
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(folder, work)
    env = dict(os.environ, VR31K_DATA_DIR=work, VR31K_LOCK_DIR=os.path.dirname(folder))
    start = time.perf_counter()
    done = subprocess.run([binary, "--json", "entries", "list"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        raise SystemExit(f"{binary} entries list failed ({done.returncode}): {done.stderr.strip()}")
    return elapsed


binaries = [args.binary] + ([args.baseline] if args.baseline else [])
sizes = [18000 // 8, 18000 // 4, 18000 // 2, 18000]
with tempfile.TemporaryDirectory() as keep:
    for sections in sizes:
        folder = os.path.join(keep, f"s{sections}")
        os.makedirs(folder, mode=0o700)
        text = phonebook(sections)
        with open(os.path.join(folder, "VR31KUTL.pbk"), "w") as f:
            f.write(text)
        for b in binaries:
            samples = [run_once(b, folder) for _ in range(args.runs)]
            label = "this build" if b == args.binary else "baseline  "
            print(f"{label} {sections:6d} sections ({len(text) / 1024:6.0f} KiB): median "
                  f"{statistics.median(samples):6.2f} s (min {min(samples):.2f}, max {max(samples):.2f}, "
                  f"{len(samples)} runs)", flush=True)
print(f"before: {BEFORE_S} s at 18000 sections (quiet machine); the time should about double from size to size")
