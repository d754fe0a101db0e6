#!/usr/bin/env python3
"""Card-link fuzz run: vr31kctl's card commands against cards that misbehave, the
simulator's faults and a scripted card on a pseudo-terminal answering each command at
random (right, wrong, garbage, split in bursts, late, never, or sending without end).
Each case runs one of `card check`, `card info`, `card signal`, `entries check` in a
fresh data folder. Prints per-kind figures: cases, wall time, peak memory (the command's
own maximum RSS), exit codes; and counts of crashes (a signal), hangs (longer than the
task bound plus slack; such a case is killed) and unreadable JSON. Asserts nothing: run
it by hand.

usage: bench/card/link_fuzz.py [--cases N] [--jobs J] [--seed S] [--bin BUILD/bin]
"""
import argparse
import collections
import json
import os
import random
import select
import shutil
import statistics
import subprocess
import tempfile
import threading
import time
import tty

TASK_BOUND_S = 15.0  # what a card task may take at most, attempts and reopenings included
KILL_AFTER_S = 60.0
COMMANDS = (["card", "check"], ["card", "info"], ["card", "signal"], ["entries", "check"])
SIM_FAULTS = ("none", "silent", "echo", "split", "garbage", "unsolicited", "flood")

parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("--cases", type=int, default=2000)
parser.add_argument("--jobs", type=int, default=12)
parser.add_argument("--seed", type=int, default=17)
parser.add_argument("--bin", default=os.path.join(os.path.dirname(__file__), "../../build/release/bin"))
args = parser.parse_args()
CTL = os.path.abspath(os.path.join(args.bin, "vr31kctl"))
SIM = os.path.abspath(os.path.join(args.bin, "vr31k-cardsim"))

# What a sound card answers; the scripted card starts from these.
ANSWERS = {
    "ATI0": "\r\nKORVANE\r\n\r\nOK\r\n", "ATI1": "\r\nVR31K\r\n\r\nOK\r\n", "AT+GMR": "\r\nVR31K-1.02.004\r\n\r\nOK\r\n",
    "AT+CPIN?": "\r\n+CPIN: READY\r\n\r\nOK\r\n", "AT+CLCK=\"SC\",2": "\r\n+CLCK: 0\r\n\r\nOK\r\n",
    "AT##ERCN": "\r\n3\r\n\r\nOK\r\n", "AT##EANT": "\r\n3\r\n\r\nOK\r\n",
    "AT+CNUM": "\r\n+CNUM: ,\"09012345678\",129\r\n\r\nOK\r\n", "AT+CGDCONT?": "\r\n+CGDCONT: 1,\"IP\",\"apn.example\"\r\n\r\nOK\r\n",
}
BEHAVIOURS = ("silent", "garbage", "random", "split", "late", "flood", "huge", "error",
              "unsolicited", "truncated")


class ScriptedCard:
    """A pty whose answers are drawn per command from BEHAVIOURS."""

    def __init__(self, rng):
        self.rng = rng
        self.sound = rng.choice((0.5, 0.8, 0.95))
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        os.set_blocking(self.master, False)
        self.path = os.ttyname(self.slave)
        self.stop = threading.Event()
        self.flooding = False
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def send(self, data):
        data = data.encode("latin-1") if isinstance(data, str) else data
        while data and not self.stop.is_set():
            _, ready, _ = select.select([], [self.master], [], 0.05)
            if not ready:
                continue
            try:
                data = data[os.write(self.master, data):]
            except BlockingIOError:
                pass
            except OSError:
                return

    def answer(self, line):
        rng = self.rng
        right = ANSWERS.get(line, "\r\nOK\r\n")
        # Mostly right, so that the commands late in a task are reached too.
        kind = "right" if rng.random() < self.sound else rng.choice(BEHAVIOURS)
        if kind == "right":
            self.send(right)
        elif kind == "garbage":
            self.send(bytes(rng.randrange(256) for _ in range(rng.randrange(1, 200))))
        elif kind == "random":
            self.send(rng.choice(list(ANSWERS.values()) + ["\r\nERROR\r\n", "\r\n+CME ERROR: 13\r\n", "\r\n\r\n"]))
        elif kind == "split":
            cuts = sorted(rng.sample(range(len(right) + 1), min(3, len(right) + 1)))
            for a, b in zip([0] + cuts, cuts + [len(right)]):
                self.send(right[a:b])
                time.sleep(rng.uniform(0, 0.05))
        elif kind == "late":
            time.sleep(rng.uniform(0.5, 3.5))
            self.send(right)
        elif kind == "flood":
            self.flooding = True
        elif kind == "huge":
            self.send("\r\n" + "X" * rng.randrange(1000, 200000) + "\r\n\r\nOK\r\n")
        elif kind == "error":
            self.send("\r\n+CME ERROR: %d\r\n" % rng.randrange(0, 300))
        elif kind == "unsolicited":
            self.send("\r\n^RSSI: 17\r\n" * rng.randrange(1, 500) + right)
        elif kind == "truncated":
            self.send(right[: rng.randrange(len(right))])

    def serve(self):
        pending = b""
        chunk = b"\r\n+CPIN: READY ~~ flood ~~" * 200
        while not self.stop.is_set():
            writers = [self.master] if self.flooding else []
            readable, writable, _ = select.select([self.master], writers, [], 0.05)
            if writable:
                try:
                    os.write(self.master, chunk)
                except OSError:
                    pass
            if not readable:
                continue
            try:
                pending += os.read(self.master, 4096)
            except OSError:
                continue
            while b"\r" in pending:
                line, pending = pending.split(b"\r", 1)
                self.answer(line.strip(b"\n").decode("latin-1"))

    def close(self):
        self.stop.set()
        self.thread.join()
        os.close(self.master)
        os.close(self.slave)


def run_case(index):
    rng = random.Random(args.seed * 100003 + index)
    command = rng.choice(COMMANDS)
    sim = card = None
    if rng.random() < 0.35:
        fault = rng.choice(SIM_FAULTS)
        kind = "sim " + fault
        sim = subprocess.Popen([SIM, "--fault", fault], stdout=subprocess.PIPE, text=True)
        port = sim.stdout.readline().strip()
    else:
        kind = "scripted"
        card = ScriptedCard(rng)
        port = card.path
    folder = tempfile.mkdtemp(prefix="vr31k-fuzz-")
    env = dict(PATH="/usr/bin:/bin", LANG="C.UTF-8", HOME=folder, VR31K_LOCK_DIR=folder, XDG_RUNTIME_DIR=folder)
    start = time.monotonic()
    proc = subprocess.Popen([CTL, "--json", "--data-dir", os.path.join(folder, "data"), "--port", port] + command,
                            env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    killer = threading.Timer(KILL_AFTER_S, proc.kill)
    killer.start()
    out = proc.stdout.read()
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    killer.cancel()
    wall = time.monotonic() - start
    if card:
        card.close()
    if sim:
        sim.terminate()
        sim.wait()
    shutil.rmtree(folder, ignore_errors=True)
    try:
        json.loads(out or b"null")
        valid = True
    except ValueError:
        valid = False
    return dict(kind=kind, command=" ".join(command), wall=wall, rss_kb=usage.ru_maxrss, code=proc.returncode,
                valid=valid)


def main():
    results = []
    lock = threading.Lock()
    queue = list(range(args.cases))

    def worker():
        while True:
            with lock:
                if not queue:
                    return
                i = queue.pop()
            r = run_case(i)
            with lock:
                results.append(r)

    began = time.monotonic()
    threads = [threading.Thread(target=worker) for _ in range(args.jobs)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    by_kind = collections.defaultdict(list)
    for r in results:
        by_kind[r["kind"]].append(r)
    print(f"{len(results)} cases in {time.monotonic() - began:.0f} s, {args.jobs} at a time, seed {args.seed}")
    print(f"{'card':<18}{'cases':>6}{'median s':>10}{'max s':>8}{'max RSS MB':>12}  exit codes")
    for kind in sorted(by_kind):
        rows = by_kind[kind]
        walls = [r["wall"] for r in rows]
        codes = collections.Counter(r["code"] for r in rows)
        print(f"{kind:<18}{len(rows):>6}{statistics.median(walls):>10.2f}{max(walls):>8.2f}"
              f"{max(r['rss_kb'] for r in rows) / 1024:>12.1f}  {dict(sorted(codes.items()))}")
    for command in sorted({r["command"] for r in results}):
        rows = [r for r in results if r["command"] == command]
        print(f"{command:<18}{len(rows):>6}{statistics.median(r['wall'] for r in rows):>10.2f}"
              f"{max(r['wall'] for r in rows):>8.2f}{max(r['rss_kb'] for r in rows) / 1024:>12.1f}")
    crashes = [r for r in results if r["code"] < 0 and r["wall"] < KILL_AFTER_S]
    hangs = [r for r in results if r["wall"] > TASK_BOUND_S]
    print(f"crashes (a signal): {len(crashes)}; past the task bound of {TASK_BOUND_S:.0f} s: {len(hangs)}; "
          f"invalid JSON: {sum(not r['valid'] for r in results)}; "
          f"peak RSS of all: {max(r['rss_kb'] for r in results) / 1024:.1f} MB")
    for r in (crashes + hangs)[:10]:
        print("  ", r)


main()
