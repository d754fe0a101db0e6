#!/usr/bin/env bash
# Per-program counting on the card's link, end to end: the card simulator answers the
# dial, the simulated link runs pppd's ip-up and ip-down with the packaged hooks (as root,
# pppd's environment) inside a private network namespace, and programs in cgroups of their
# own send known traffic (a cgroup name holds no line break: the kernel refuses one; a
# process name may). Each program's row is exact to the byte of IP traffic and the
# rows add up to the link's own counters (a TUN link has no link layer: the same bytes);
# a blocked service's datagrams never reach the link and are counted as blocked; the table
# is gone after the link; a reader killed mid-link still leaves final figures.
# usage: program_counting_e2e.sh BIN-DIR   (exit 77 with the cause when it cannot run here)
set -euo pipefail
[ -n "${VR31K_E2E_TRACE:-}" ] && set -x
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${VR31K_E2E_IN_NETNS:-}" ]; then
  exec "$here/../support/in_private_netns.sh" env VR31K_E2E_IN_NETNS=1 "$0" "$@"
fi
awk '$1 == 0 && $2 == 0 { found = 1 } END { exit !found }' /proc/self/uid_map ||
  { echo "SKIP: not real root: no nftables table or cgroup of our own"; exit 77; }
# The namespace's own sysfs hides the cgroup mount: the same tree, mounted again.
mount -t cgroup2 none /sys/fs/cgroup 2>/dev/null || { echo "SKIP: no cgroup v2 here"; exit 77; }

work=$(mktemp -d /tmp/vr31k-programs-XXXXXX)
data=$work/data
cg=/sys/fs/cgroup/vr31k-e2e-$$.slice
evil=$cg/$'evil\e[31m\\x41'$(printf 'n%.0s' $(seq 200)).scope
sim_pid="" keep_pid=""
cleanup() {
  touch "$work/stop"
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  [ -n "$keep_pid" ] && wait "$keep_pid"
  for dir in "$cg"/*/ "$cg"/; do rmdir "$dir" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$data"
mkdir -p "$cg/alpha.service" "$cg/beta.scope" "$cg/gamma.service" "$evil"
printf 'vr31k-blocked-programs 1\nunit=gamma.service\n' >"$data/VR31KUTL.blk"
# The packaged hooks, with the programs and the data folder of this build.
for phase in up down; do
  sed -e "s|/usr/libexec/vr31k-utility|$bin|g" -e "s|/var/lib/vr31k-utility|$data|g" \
    "$here/../../packaging/ppp/ip-$phase.d/vr31k-utility" >"$work/ip-$phase.d"
done
printf '#!/bin/sh\necho "$BYTES_SENT $BYTES_RCVD" >>%s/link-bytes\nexec sh %s/ip-down.d "$@"\n' "$work" "$work" >"$work/ip-down"
printf '#!/bin/sh\nexec sh %s/ip-up.d "$@"\n' "$work" >"$work/ip-up"
chmod +x "$work/ip-up" "$work/ip-down"

"$bin/vr31k-cardsim" --link "$work/card" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$work/card" ] && break; sleep 0.1; done
ctl() { "$bin/vr31kctl" --json --data-dir "$data" --port "$work/card" "$@"; }
export VR31K_DIAL_LINK=simulated VR31K_SIMLINK=$bin/vr31k-simlink
export VR31K_SIMLINK_IP_UP=$work/ip-up VR31K_SIMLINK_IP_DOWN=$work/ip-down
# Connects and waits for the link's counting to begin (its first record).
connect() {
  "$bin/vr31kctl" --json --data-dir "$data" --port "$work/card" connect >"$work/connect.json" 2>"$work/connect.err" &
  connect_pid=$!
  for _ in $(seq 100); do
    [ "$(grep -ls '^final=0' "$data"/spool/programs-*.prog 2>/dev/null | wc -l)" = 1 ] && return 0
    sleep 0.1
  done
  echo "FAIL: the link's counting never began"; cat "$work"/connect.err; exit 1
}
# send CGROUP SIZE COUNT [NAME]: UDP datagrams to the link's peer from a process of that
# cgroup (named NAME), whatever the link does with them.
send() {
  sh -c 'echo $$ >"$1/cgroup.procs" && shift && exec python3 -c "$@"' sh "$1" '
import ctypes, os, socket, sys, time
size, count = int(sys.argv[1]), int(sys.argv[2])
if len(sys.argv) > 3:
    ctypes.CDLL(None).prctl(15, sys.argv[3].encode(), 0, 0, 0)
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
for _ in range(count):
    try:
        s.sendto(b"x" * size, ("10.64.64.65", 9))
    except OSError:
        pass
end = time.monotonic() + 60  # named: alive until the test ends
while len(sys.argv) > 3 and time.monotonic() < end and not os.path.exists(sys.argv[4]):
    time.sleep(0.1)' "$2" "$3" ${4+"$4" "$work/stop"}
}

connect
send "$cg/alpha.service" 100 10
send "$cg/beta.scope" 200 3
send "$cg/gamma.service" 300 4
send "$evil" 50 2 $'a\nb\e[1mc' &
keep_pid=$!
sleep 0.5
pkill -USR1 -P "$connect_pid" -f vr31k-simlink  # a burst each way from the peer's side
sleep 0.5
ctl disconnect >/dev/null
wait "$connect_pid"
nft list tables | grep -q vr31k_programs && { echo "FAIL: the link's table outlived it"; nft list tables; exit 1; }

connect
send "$cg/alpha.service" 100 5
reader=$(pgrep -f "vr31k-program-reader $data ")
kill -KILL "$reader"
ctl disconnect >/dev/null
wait "$connect_pid"
# The second link's final figures may land a moment after the connection has ended (its
# ip-down writes them in the reader's place); wait for both records, boundedly.
for _ in $(seq 50); do
  [ "$(grep -l '^final=1' "$data"/spool/programs-*.prog 2>/dev/null | wc -l)" -ge 2 ] && break
  sleep 0.2
done

python3 - "$data/spool" "$work/link-bytes" "$evil" <<'PY'
import glob, os, re, sys
spool, link_bytes, evil = sys.argv[1:4]
def unescape(text):
    return re.sub(rb"\\x([0-9a-f]{2})", lambda m: bytes([int(m.group(1), 16)]), text)
records = []
for path in sorted(glob.glob(spool + "/programs-*.prog"), key=os.path.getmtime):
    lines = open(path, "rb").read().split(b"\n")
    fields = dict(l.split(b"=", 1) for l in lines[1:] if l and not l.startswith(b"program="))
    rows = {}
    for l in lines:
        if l.startswith(b"program="):
            head, name = l[8:].split(b"\t")
            kind, sent, recv, bsent, brecv, ident = head.split(b" ", 5)
            rows[(kind.decode(), unescape(ident).decode(errors="replace"))] = (int(sent), int(recv), int(bsent), int(brecv), unescape(name))
    records.append((fields, rows))
sums = [tuple(map(int, l.split())) for l in open(link_bytes)]
fails = []
def expect(what, got, want):
    print(f"{what}: {got}" + ("" if got == want else f"  (FAIL: expected {want})"))
    if got != want: fails.append(what)
(first, rows), (second, rows2) = records
expect("records final", [r[0][b"final"] for r in records], [b"1", b"1"])
expect("alpha.service sent (10 x 128 B)", rows[("unit", "alpha.service")][0], 1280)
expect("beta.scope sent (3 x 228 B)", rows[("scope", "beta.scope")][0], 684)
expect("gamma.service sent, blocked (4 x 328 B)", rows[("unit", "gamma.service")][0:3:2], (0, 1312))
evil_row = rows[("scope", os.path.basename(evil))]
expect("the hostile scope sent (2 x 78 B), its process named", (evil_row[0], evil_row[4]), (156, b"a\nb\x1b[1mc"))
expect("rows sum to the link's bytes (sent, received)",
       (sum(r[0] for r in rows.values()), sum(r[1] for r in rows.values())), sums[0])
expect("reader killed: alpha.service sent (5 x 128 B), sum", (rows2[("unit", "alpha.service")][0],
       sum(r[0] for r in rows2.values())), (640, sums[1][0]))
sys.exit(1 if fails else 0)
PY
