#!/usr/bin/env python3
"""A large spool against the other programs of the data folder: plants RECORDS records
of links that ended unrecorded, then runs `vr31kctl usage` (which imports them) while
`vr31kctl history list` is asked again and again beside it. Prints how long each open
took, how many records it imported and left, and the longest wait of the other program
(its lock's time-out is 5 s: a wait near that would fail). Asserts nothing.

    bench/usage/spool_import.py [--records 30000] [--bindir build/release/bin]
"""
import argparse
import json
import os
import subprocess
import tempfile
import threading
import time

here = os.path.dirname(os.path.abspath(__file__))
parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("--records", type=int, default=30000)
parser.add_argument("--opens", type=int, default=3, help="opens of the importer to time")
parser.add_argument("--bindir", default=os.path.join(here, "../../build/release/bin"))
args = parser.parse_args()
ctl = os.path.join(args.bindir, "vr31kctl")

with tempfile.TemporaryDirectory(prefix="vr31k-spool-bench-") as data:
    def run(*words):
        return subprocess.run([ctl, "--json", "--data-dir", data, *words], capture_output=True, text=True)

    run("plan", "set", "--type", "0", "--price", "0.05", "--packet-size", "128")
    run("history", "list")  # the history exists before the spool fills
    spool = os.path.join(data, "spool")
    os.makedirs(spool, exist_ok=True)
    end = int(time.time()) - 3600
    for i in range(args.records):
        with open(os.path.join(spool, "pppd-%d-%08d.rec" % (end, i)), "w") as f:
            f.write("vr31k-usage 1\nsource=pppd\nentry=bench\ninterface=ppp0\ntty=/dev/ttyACM0\n"
                    "end=%d\nduration=60\nsent=%d\nrecv=1000\n" % (end - i, 1000 + i))

    waits, failures = [], 0
    stop = threading.Event()

    def other():
        global failures
        while not stop.is_set():
            started = time.monotonic()
            ok = run("history", "list").returncode == 0
            waits.append(time.monotonic() - started)
            failures += 0 if ok else 1

    side = threading.Thread(target=other)
    side.start()
    for n in range(args.opens):
        started = time.monotonic()
        done = run("usage")
        took = time.monotonic() - started
        left = [line for line in done.stderr.splitlines() if "left for the next open" in line]
        print("open %d: %.2f s, exit %d; %s" % (n + 1, took, done.returncode, left[0] if left else "nothing left"))
    stop.set()
    side.join()
    rows = len(json.loads(run("history", "list").stdout)["rows"])
    print("rows now: %d of %d records" % (rows, args.records))
    print("the other program: %d runs, %d failed, longest %.2f s, median %.2f s"
          % (len(waits), failures, max(waits), sorted(waits)[len(waits) // 2]))
