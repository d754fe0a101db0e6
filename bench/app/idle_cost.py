#!/usr/bin/env python3
"""What the utility costs while it sits idle: CPU time and wake-ups (context switches)
over a span, with a ready card, no connection and the signal display off. Prints the
figures; asserts nothing. Target: <= 0.1 % CPU, and no timer of ours waking it.

usage: bench/app/idle_cost.py [--seconds N] [BIN-DIR]
"""
import argparse
import os
import subprocess
import tempfile
import time

from real_window import cpu_sample as sample

parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("bin", nargs="?", default=os.path.join(os.path.dirname(__file__), "../../build/release/bin"))
parser.add_argument("--seconds", type=float, default=60.0)
args = parser.parse_args()


with tempfile.TemporaryDirectory() as tmp:
    card = os.path.join(tmp, "card")
    sim = subprocess.Popen([os.path.join(args.bin, "vr31k-cardsim"), "--link", card], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    while not os.path.exists(card):
        time.sleep(0.05)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", VR31K_LOCK_DIR=tmp, VR31K_DATA_DIR=os.path.join(tmp, "data"),
               VR31K_PORT=card, QT_LOGGING_RULES="vr31k.*.info=true")
    utility = subprocess.Popen([os.path.join(args.bin, "vr31k-utility")], env=env, stderr=subprocess.PIPE, text=True)
    for line in utility.stderr:
        if "main window ready" in line:
            break
    time.sleep(2.0)  # let start-up settle
    hz = os.sysconf("SC_CLK_TCK")
    ticks0, switches0 = sample(utility.pid)
    time.sleep(args.seconds)
    ticks1, switches1 = sample(utility.pid)
    utility.terminate()
    utility.wait()
    sim.terminate()
    sim.wait()
cpu = (ticks1 - ticks0) / hz / args.seconds * 100
wakeups = (switches1 - switches0) / args.seconds
print(f"idle utility over {args.seconds:.0f} s: CPU {cpu:.3f} % (target <= 0.1 %), "
      f"{wakeups:.2f} wake-ups per second (the threads' context switches)")
