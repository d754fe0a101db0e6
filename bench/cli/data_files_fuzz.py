#!/usr/bin/env python3
"""Damaged data files against the read commands: each case copies a seed data folder
(three entries with credentials, settings, a history of a few rows), damages one or two
of its four files (cut short, emptied, bits flipped, bytes inserted or dropped, grown,
replaced by garbage or by a file past the read limits) and runs `entries list`,
`settings show`, `history list` and `usage`, each with --json. A case fails when a
command crashes, hangs, prints anything but one JSON object, or when something is lost:
a read command changes the phonebook or the settings, or a damaged credential file or
history is gone without a copy of it, byte for byte, kept beside it. Prints the figures;
exits 1 when any case failed (the first few are listed, with their seeds to replay them).

usage: bench/cli/data_files_fuzz.py [--cases N] [--seed S] [--only CASE-SEED] [PATH-TO-vr31kctl]
"""
import argparse
import hashlib
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("binary", nargs="?",
                    default=os.path.join(os.path.dirname(__file__), "../../build/release/bin/vr31kctl"))
parser.add_argument("--cases", type=int, default=2000)
parser.add_argument("--seed", type=int, default=1)
parser.add_argument("--timeout", type=float, default=30.0, help="seconds one command may take")
parser.add_argument("--only", type=int, help="replay the one case of this case seed")
args = parser.parse_args()
binary = os.path.abspath(args.binary)

FILES = {"settings": "VR31KUTL.ini", "phonebook": "VR31KUTL.pbk", "credentials": "VR31KUTL.dat",
         "history": "VR31KUTL.mdb"}
COMMANDS = (["entries", "list"], ["settings", "show"], ["history", "list"], ["usage"])
TABLE_BYTES = 7710
SLOT_BYTES = 771
FIELD_BYTES = 257
READ_LIMIT = 1 << 20


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 255
        s[i], s[j] = s[j], s[i]
    out = bytearray(len(data))
    i = j = 0
    for n, byte in enumerate(data):
        i = (i + 1) & 255
        j = (j + s[i]) & 255
        s[i], s[j] = s[j], s[i]
        out[n] = byte ^ s[(s[i] + s[j]) & 255]
    return bytes(out)


KEY = hashlib.md5(b"QUILLET7").digest()[:5] + bytes(11)


def credentials_valid(data):
    """Whether the program reads the credential file as a whole table."""
    if data is None or len(data) != TABLE_BYTES:
        return False
    plain = rc4(KEY, data)
    return all(plain[slot * SLOT_BYTES + field * FIELD_BYTES + FIELD_BYTES - 1] == 0
               for slot in range(10) for field in range(3))


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def run(folder, locks, words):
    env = dict(os.environ, VR31K_DATA_DIR=folder, VR31K_LOCK_DIR=locks)
    env.pop("VR31K_PORT", None)
    try:
        done = subprocess.run([binary, "--json"] + words, env=env, capture_output=True, timeout=args.timeout)
    except subprocess.TimeoutExpired:
        return None, b"", b"timed out"
    return done.returncode, done.stdout, done.stderr


def make_seed(folder, locks):
    os.makedirs(folder, mode=0o700)
    book = "".join(f"[apn{k}.example]\nPhoneNumber=*99***{k}#\n" for k in (1, 2, 3))
    with open(os.path.join(folder, FILES["phonebook"]), "w") as f:
        f.write(book)
    steps = [["entries", "list"], ["plan", "set", "--packet-size", "256"],
             ["settings", "set-utility", "--oneshot-time", "33"]]
    steps += [["history", "record", "--entry", f"apn{k}.example", "--end", f"2026/01/0{k} 03:04:05", "--duration-ms",
               str(1000 * k), "--sent", str(1000 * k), "--recv", "5"] for k in (1, 2, 3)]
    for words in steps:
        status, out, err = run(folder, locks, words)
        if status != 0:
            raise SystemExit(f"seed: {' '.join(words)} failed ({status}): {err.decode(errors='replace')}")


def mutate(rng, data):
    """One damage to `data`; its name and the damaged bytes."""
    kind = rng.choice(["truncate", "empty", "flip", "flip", "insert", "drop", "grow", "garbage", "huge", "flip-header"])
    if kind == "truncate" and data:
        return kind, data[:rng.randrange(len(data))]
    if kind == "empty" or not data:
        return "empty", b""
    if kind in ("flip", "flip-header"):
        b = bytearray(data)
        span = min(len(b), 64) if kind == "flip-header" else len(b)
        for _ in range(rng.randint(1, 24)):
            b[rng.randrange(span)] ^= 1 << rng.randrange(8)
        return kind, bytes(b)
    if kind == "insert":
        at = rng.randrange(len(data) + 1)
        return kind, data[:at] + rng.randbytes(rng.randint(1, 4096)) + data[at:]
    if kind == "drop":
        at = rng.randrange(len(data))
        return kind, data[:at] + data[at + rng.randint(1, 4096):]
    if kind == "grow":
        return kind, data + rng.choice([b"\0", b"\n", rng.randbytes(1)]) * rng.randint(1, 8192)
    if kind == "garbage":
        return kind, rng.randbytes(rng.choice([len(data), rng.randint(1, 20000)]))
    return "huge", data + b"\n" * (READ_LIMIT + rng.randint(1, 4096) - len(data) % READ_LIMIT)


def kept_aside(folder, name, data):
    """Whether a file beside `name` holds `data` byte for byte."""
    return any(f.startswith(name + ".unreadable-") and read(os.path.join(folder, f)) == data
               for f in os.listdir(folder))


def one_case(case_seed, seed_folder, work, locks, figures):
    rng = random.Random(case_seed)
    folder = os.path.join(work, "case")
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(seed_folder, folder)
    targets = rng.sample(sorted(FILES), rng.choice([1, 1, 1, 2]))
    damage = []
    before = {}
    for target in sorted(FILES):
        path = os.path.join(folder, FILES[target])
        if target in targets:
            kind, data = mutate(rng, read(path) or b"")
            with open(path, "wb") as f:
                f.write(data)
            damage.append(f"{target}:{kind}")
            figures["damage"][f"{target}:{kind}"] = figures["damage"].get(f"{target}:{kind}", 0) + 1
        before[target] = read(path)

    problems = []
    for words in COMMANDS:
        status, out, err = run(folder, locks, words)
        figures["runs"] += 1
        name = " ".join(words)
        if status is None:
            problems.append(f"{name}: hung past {args.timeout} s")
            continue
        if status < 0 or status > 2:
            problems.append(f"{name}: ended by signal or status {status}: {err.decode(errors='replace')[-300:]}")
        figures["status"][status] = figures["status"].get(status, 0) + 1
        try:
            json.loads(out.decode("utf-8"))
        except (UnicodeDecodeError, ValueError) as e:
            problems.append(f"{name}: not one JSON object ({e}): {out[:200]!r}")

    # Read commands never change the phonebook or the settings.
    for target in ("phonebook", "settings"):
        if read(os.path.join(folder, FILES[target])) != before[target]:
            problems.append(f"the {target} changed")
    # A damaged credential file or history is kept, byte for byte, before anything
    # replaces it.
    dat = FILES["credentials"]
    if before["credentials"] is not None and not credentials_valid(before["credentials"]):
        figures["damaged credentials"] += 1
        if read(os.path.join(folder, dat)) != before["credentials"]:
            if kept_aside(folder, dat, before["credentials"]):
                figures["credentials kept aside"] += 1
            else:
                problems.append("a damaged credential file was replaced without a copy kept aside")
    mdb = FILES["history"]
    if read(os.path.join(folder, mdb)) != before["history"]:
        if kept_aside(folder, mdb, before["history"]):
            figures["histories kept aside"] += 1
        elif "history" in targets and before["history"]:
            # (An emptied file holds nothing to keep; a new history begins in it.)
            problems.append("a damaged history changed without a copy kept aside")
    if problems:
        figures["failed"].append((case_seed, damage, problems))


def main():
    figures = {"runs": 0, "status": {}, "damage": {}, "failed": [], "damaged credentials": 0,
               "credentials kept aside": 0, "histories kept aside": 0}
    with tempfile.TemporaryDirectory(prefix="vr31k-fuzz-") as work:
        os.chmod(work, 0o700)
        locks = os.path.join(work, "locks")
        os.makedirs(locks, mode=0o700)
        seed_folder = os.path.join(work, "seed")
        make_seed(seed_folder, locks)
        start = time.monotonic()
        case_seeds = [args.only] if args.only is not None else [args.seed * 1_000_003 + n for n in range(args.cases)]
        for n, case_seed in enumerate(case_seeds):
            one_case(case_seed, seed_folder, work, locks, figures)
            if (n + 1) % 250 == 0:
                print(f"  {n + 1} cases, {len(figures['failed'])} failed, {time.monotonic() - start:.0f} s",
                      flush=True)
        elapsed = time.monotonic() - start
    print(f"{len(case_seeds)} cases, {figures['runs']} command runs in {elapsed:.0f} s "
          f"({1000 * elapsed / max(figures['runs'], 1):.0f} ms a run)")
    print(f"exit statuses: {dict(sorted(figures['status'].items()))}")
    print(f"damaged credential files: {figures['damaged credentials']}, replaced after a copy was kept aside: "
          f"{figures['credentials kept aside']}; histories kept aside: {figures['histories kept aside']}")
    print("damage done: " + ", ".join(f"{k} {v}" for k, v in sorted(figures["damage"].items())))
    print(f"failed cases: {len(figures['failed'])}")
    for case_seed, damage, problems in figures["failed"][:10]:
        print(f"  case seed {case_seed} ({', '.join(damage)}): " + "; ".join(problems))
    return 1 if figures["failed"] else 0


sys.exit(main())
