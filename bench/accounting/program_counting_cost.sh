#!/usr/bin/env bash
# What per-program counting costs on the card's link, in a private network namespace (as
# root): the link is a veth pair into a peer namespace (far faster than any cellular
# link, so the rules' cost per packet shows), and the hook's ip-up sets the counting up
# on it as for a link over the card. Prints:
#   - TCP throughput and 100-byte UDP datagrams per second from a program in a cgroup
#     five levels deep (as a desktop application's), without and with the counting rules;
#   - the reader's CPU over a minute (its time on a CPU from /proc's schedstat) while the link
#     carries traffic and a cgroup appears every few seconds.
# usage: program_counting_cost.sh BIN-DIR [SECONDS-PER-RUN (5)] [READER-SECONDS (60)]
set -euo pipefail
bin=$(cd "$1" && pwd)
run=${2:-5}
watch=${3:-60}
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${VR31K_BENCH_IN_NETNS:-}" ]; then
  exec "$here/../../tests/support/in_private_netns.sh" env VR31K_BENCH_IN_NETNS=1 "$0" "$@"
fi
mount -t cgroup2 none /sys/fs/cgroup
work=$(mktemp -d /tmp/vr31k-bench-XXXXXX)
cg=/sys/fs/cgroup/vr31k-bench-$$.slice/user-1000.slice/user@1000.service/app.slice/app-bench-7.scope
peer="" sink="" reader=""
cleanup() {
  for pid in $sink $peer; do kill "$pid" 2>/dev/null || true; done
  sleep 0.2
  find "/sys/fs/cgroup/vr31k-bench-$$.slice" -depth -type d -exec rmdir {} + 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/data"
mkdir -p "$cg"
unshare -n sleep 1000 &
peer=$!
sleep 0.2
ip link add ppp9 type veth peer name far
ip link set far netns "$peer"
ip addr add 10.77.0.1/24 dev ppp9
ip link set ppp9 up
nsenter -t "$peer" -n sh -c 'ip addr add 10.77.0.2/24 dev far; ip link set far up; ip link set lo up'
# The far side: a TCP sink and a UDP sink, reading as fast as they can.
nsenter -t "$peer" -n python3 -c '
import socket, threading
t = socket.socket(); t.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1); t.bind(("0.0.0.0", 5001)); t.listen()
u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); u.bind(("0.0.0.0", 5002))
def udp():
    while True: u.recv(2048)
threading.Thread(target=udp, daemon=True).start()
while True:
    c, _ = t.accept()
    while c.recv(1 << 20): pass
' &
sink=$!
sleep 0.5

measure() {
  sh -c 'echo $$ >"$1/cgroup.procs" && exec python3 -c "$2" "$3"' sh "$cg" '
import socket, sys, time
seconds = float(sys.argv[1])
s = socket.create_connection(("10.77.0.2", 5001)); block = b"x" * 65536; sent = 0
end = time.monotonic() + seconds
while time.monotonic() < end: sent += s.send(block)
s.close()
u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); datagram = b"x" * 100; n = 0
end = time.monotonic() + seconds
while time.monotonic() < end:
    for _ in range(1000): u.sendto(datagram, ("10.77.0.2", 5002))
    n += 1000
print(f"TCP {sent * 8 / seconds / 1e6:.0f} Mbit/s, UDP {n / seconds / 1e3:.0f} k datagrams/s")' "$run"
}
echo "without the counting rules: $(measure)"
CALL_FILE=vr31k-utility "$bin/vr31k-link-hook" up "$work/data" ppp9 /dev/ttyUSB0 115200 10.77.0.1 10.77.0.2 ""
echo "with the counting rules:    $(measure)"
reader=$(pgrep -f "vr31k-program-reader $work/data ")
oncpu() { awk '{ print $1 }' "/proc/$reader/schedstat"; }  # nanoseconds
before=$(oncpu)
start=$(date +%s.%N)
# Traffic all along, and a new cgroup every 5 s (each one wakes the reader's watch).
sh -c 'echo $$ >"$1/cgroup.procs" && exec python3 -c "$2" "$3"' sh "$cg" '
import socket, sys, time
u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); end = time.monotonic() + float(sys.argv[1])
while time.monotonic() < end: u.sendto(b"x" * 1000, ("10.77.0.2", 5002)); time.sleep(0.001)' "$watch" &
traffic=$!
for i in $(seq $((watch / 5))); do mkdir "$cg/../bench-$i.service"; sleep 5; done
wait "$traffic"
after=$(oncpu)
elapsed=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { print e - s }')
awk -v ns=$((after - before)) -v s="$elapsed" \
  'BEGIN { printf "the reader over %.0f s: %.1f ms on a CPU = %.4f %% of a core\n", s, ns / 1e6, ns / 1e7 / s }'
CALL_FILE=vr31k-utility "$bin/vr31k-link-hook" down "$work/data" ppp9 /dev/ttyUSB0 115200 10.77.0.1 10.77.0.2 ""
grep -c '^program=' "$work"/data/spool/programs-*.prog | sed 's/^/programs in the final record: /'
