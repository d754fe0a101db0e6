#!/usr/bin/env python3
"""Wall time of `vr31kctl doctor` while its port checks walk /proc: on this machine as it
is, with SLEEPERS more sleeping processes, and with processes starting and ending all the
while (churn). The card is the simulator, whose line no rival holds: each run reads every
process's descriptors and the SIM. Run as root (who may read every process), a scan must
never come out "incomplete" because a process ended while it was read. Prints the median
of RUNS runs per case and how many runs called the scan incomplete; asserts nothing.

usage: bench/cli/doctor_scan_time.py [--baseline OTHER-vr31kctl] [BIN-DIR] [RUNS] [SLEEPERS]
"""
import argparse
import json
import os
import statistics
import subprocess
import tempfile
import time

parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("bin", nargs="?", default=os.path.join(os.path.dirname(__file__), "../../build/release/bin"))
parser.add_argument("runs", nargs="?", type=int, default=5)
parser.add_argument("sleepers", nargs="?", type=int, default=3000)
parser.add_argument("--baseline", help="another vr31kctl to run in turn with this one")
args = parser.parse_args()
binaries = [os.path.join(args.bin, "vr31kctl")] + ([args.baseline] if args.baseline else [])

card = subprocess.Popen([os.path.join(args.bin, "vr31k-cardsim")], stdout=subprocess.PIPE, text=True)
port = card.stdout.readline().strip()


def run_once(binary, folder):
    """Seconds of one doctor run, and whether it said some processes could not be seen."""
    start = time.perf_counter()
    done = subprocess.run([binary, "--json", "--data-dir", folder, "--port", port, "doctor"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    elapsed = time.perf_counter() - start
    holders = next(c for c in json.loads(done.stdout)["checks"] if c["check"] == "tty-holders")
    return elapsed, holders["status"] == "ok" and holders["fix"] is not None


def measure(label, folder):
    for binary in binaries:
        results = [run_once(binary, folder) for _ in range(args.runs)]
        samples = [r[0] for r in results]
        which = "this build" if binary == binaries[0] else "baseline  "
        print(f"{which} {label:26s} {len(os.listdir('/proc')):6d} /proc entries: median "
              f"{statistics.median(samples):6.3f} s (min {min(samples):.3f}, max {max(samples):.3f}); "
              f"scan incomplete in {sum(r[1] for r in results)}/{args.runs}", flush=True)


extra = []
try:
    with tempfile.TemporaryDirectory() as folder:
        measure("this machine", folder)
        extra = [subprocess.Popen(["sleep", "3600"], stdin=subprocess.DEVNULL) for _ in range(args.sleepers)]
        measure(f"{args.sleepers} more sleeping", folder)
        # Processes that start and end while the scan lists and reads /proc.
        extra += [subprocess.Popen(["sh", "-c", "while :; do /bin/true; sleep 0.001 & wait; done"]) for _ in range(4)]
        measure(f"{args.sleepers} sleeping and churn", folder)
finally:
    for p in extra + [card]:
        p.kill()
    for p in extra + [card]:
        p.wait()
