#!/usr/bin/env python3
"""Kills `vr31kctl connect` with SIGKILL at random moments while its simulated link moves
traffic, RUNS times, then compares the history with what the link moved: connections
made against rows recorded, and the bytes each run's link had counted just before its
kill against the bytes its row holds. A killed connection is recorded by the next
program that opens the history, from the figures last saved; it may lose at most the
bytes moved since that save (a save every 30 s or MiB). Prints figures; asserts nothing.

Runs in a private network namespace of its own (root, or a user namespace):
    tests/support/in_private_netns.sh bench/usage/kill_loop.py [--runs 200]
"""
import argparse
import json
import os
import random
import signal
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
bindir = os.path.join(here, "../../build/release/bin")
parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("--runs", type=int, default=200)
parser.add_argument("--bindir", default=bindir)
parser.add_argument("--traffic", type=int, default=200_000, help="bytes per second each way")
parser.add_argument("--max-up", type=float, default=4.0, help="longest a run stays up before its kill (s)")
parser.add_argument("--seed", type=int, default=1)
parser.add_argument("--budget", type=float, default=1800, help="no new run starts after this many seconds")
args = parser.parse_args()
random.seed(args.seed)

ctl = os.path.join(args.bindir, "vr31kctl")
SAVE_BYTES = 1 << 20
NET = "/sys/class/net/ppp0/statistics/"


def counters():
    try:
        with open(NET + "tx_bytes") as tx, open(NET + "rx_bytes") as rx:
            return int(tx.read()), int(rx.read())
    except OSError:
        return None


def wait(condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.02)
    return condition()


work = tempfile.mkdtemp(prefix="vr31k-killloop-")
data = os.path.join(work, "data")
os.mkdir(data, 0o700)
runtime = os.path.join(work, "run")
os.mkdir(runtime, 0o700)
card_link = os.path.join(work, "card")
sim = subprocess.Popen([os.path.join(args.bindir, "vr31k-cardsim"), "--link", card_link],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
if not wait(lambda: os.path.exists(card_link), 10):
    sys.exit("the card simulator did not start")
env = dict(os.environ, VR31K_DIAL_LINK="simulated", VR31K_SIMLINK=os.path.join(args.bindir, "vr31k-simlink"),
           VR31K_SIMLINK_TRAFFIC=str(args.traffic), XDG_RUNTIME_DIR=runtime)
base = [ctl, "--data-dir", data, "--port", card_link]

made = 0
no_link = 0
outlived = 0
truths = []
started = time.monotonic()
runs = 0
for run in range(args.runs):
    if time.monotonic() - started > args.budget:
        break
    runs += 1
    connect = subprocess.Popen(base + ["connect"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    spool = os.path.join(data, "spool")

    def told_up():
        # The utility knows the connection: its first figures are on disk.
        return counters() is not None and os.path.isdir(spool) and \
            any(name.startswith("live-") for name in os.listdir(spool))

    if not wait(told_up, 20):
        no_link += 1
        connect.kill()
        connect.wait()
        continue
    made += 1
    time.sleep(random.uniform(0.1, args.max_up))
    truth = counters() or (0, 0)
    connect.send_signal(signal.SIGKILL)
    connect.wait()
    # What the link had moved when its controller died: the last figures it can show.
    gone = wait(lambda: counters() is None, 10)
    if not gone:
        outlived += 1
        subprocess.run(["pkill", "-KILL", "-f", "vr31k-simlink"])
        wait(lambda: counters() is None, 10)
    truths.append(sum(truth))
elapsed = time.monotonic() - started

listed = subprocess.run(base + ["--json", "history", "list"], env=env, capture_output=True, text=True)
rows = json.loads(listed.stdout)["rows"]
sim.terminate()
sim.wait()
recorded = [row["sent"] + row["recv"] for row in rows]
lost = [t - r for t, r in zip(truths, recorded)]

print(f"runs {runs} of {args.runs} in {elapsed:.0f} s; connections made {made}, never up {no_link}, "
      f"links that outlived their controller {outlived}")
print(f"rows recorded {len(rows)} (lost {max(made - len(rows), 0)}, counted twice {max(len(rows) - made, 0)})")
print(f"bytes moved {sum(truths):,}; recorded {sum(recorded):,}")
if lost and len(rows) == made:
    print(f"bytes lost per kill: median {statistics.median(lost):,.0f}, max {max(lost):,} "
          f"(at most one save's worth: {SAVE_BYTES:,} plus the last second's); "
          f"rows above what was moved: {sum(1 for x in lost if x < 0)}")
