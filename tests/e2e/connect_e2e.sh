#!/usr/bin/env bash
# End to end without a card or kernel PPP: the card simulator answers the dial, the
# simulated link stands a TUN interface in for ppp0 inside a private network namespace,
# and `vr31kctl connect` / `disconnect` leave a charged row in the history.
# usage: connect_e2e.sh BIN-DIR   (exit 77: this machine cannot make a namespace; the
# output says why)
set -euo pipefail
bin=$1
if [ -z "${VR31K_E2E_IN_NETNS:-}" ]; then
  exec "$(dirname "$0")/../support/in_private_netns.sh" env VR31K_E2E_IN_NETNS=1 "$0" "$@"
fi

work=$(mktemp -d /tmp/vr31k-e2e-XXXXXX)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
data=$work/data
# The data folder shared with a group, as the card's users share it: a member of the
# group reads the usage while root's connection runs (below).
chmod 711 "$work"
mkdir -m 2770 "$data"
chgrp nogroup "$data"
ctl() { "$bin/vr31kctl" --json --data-dir "$data" --port "$work/card" "$@"; }
field() { python3 -c "import json,sys; print(json.load(sys.stdin)$1)"; }

"$bin/vr31k-cardsim" --link "$work/card" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$work/card" ] && break; sleep 0.1; done

# A plan: 0.05 yen per 128-byte packet, metered.
ctl plan set --type 0 --price 0.05 --packet-size 128 >/dev/null

export VR31K_DIAL_LINK=simulated VR31K_SIMLINK=$bin/vr31k-simlink
wait_connected() {
  local state=""
  for _ in $(seq 100); do
    state=$(ctl status 2>/dev/null | field '["state"]' 2>/dev/null || true)
    [ "$state" = connected ] && return 0
    sleep 0.1
  done
  echo "FAIL: never connected"; cat "$work"/*.err; exit 1
}
"$bin/vr31kctl" --json --data-dir "$data" --port "$work/card" connect >"$work/connect.json" 2>"$work/connect.err" &
connect_pid=$!  # vr31kctl itself: the link is its child
wait_connected
# One 64 KiB burst each way; only our own link (other tests may run one at the same time).
pkill -USR1 -P "$connect_pid" -f vr31k-simlink
# The connection's figures hold the burst (a tick has seen it) before the hang-up.
for _ in $(seq 100); do
  [ "$(ctl status 2>/dev/null | field '["recv"]' 2>/dev/null || echo 0)" -ge 65536 ] && break
  sleep 0.1
done
# A member whose /proc hides other users' processes (hidepid) imports the spool again and
# again while root's connection runs and ends: it cannot see root's process, and must
# still leave the connection to it (one row below). The namespace we run in is private
# already (in_private_netns.sh), so the new /proc shows nowhere else.
member_usage() {
  unshare -m --propagation unchanged sh -c 'mount -t proc -o hidepid=invisible proc /proc && exec "$@"' sh \
    setpriv --reuid=nobody --regid=nogroup --clear-groups "$bin/vr31kctl" --json --data-dir "$data" usage
}
member_loop=""
# Real root only: a user namespace (the fallback for other users) maps no other user.
if [ "$(id -u)" = 0 ] && awk '$1 == 0 && $2 == 0 { found = 1 } END { exit !found }' /proc/self/uid_map; then
  member_usage >"$work/member.json" 2>"$work/member.err" || { echo "FAIL: the member's usage"; cat "$work/member.err"; exit 1; }
  [ "$(field '["running"].__len__()' <"$work/member.json")" = 1 ] || { echo "FAIL: the member does not see the connection run"; cat "$work/member.json"; exit 1; }
  (while [ ! -e "$work/member.stop" ]; do member_usage >/dev/null 2>&1 || true; done) &
  member_loop=$!
else
  echo "note: not root: the member's look through a hidepid /proc is left out"
fi
ctl disconnect >/dev/null
wait "$connect_pid"
if [ -n "$member_loop" ]; then sleep 1; touch "$work/member.stop"; wait "$member_loop"; fi

result=$(cat "$work/connect.json")
[ "$(echo "$result" | field '["ok"]')" = True ] || { echo "FAIL: connect result $result"; cat "$work/connect.err"; exit 1; }
rows=$(ctl history list)
count=$(echo "$rows" | field '["rows"].__len__()')
sent=$(echo "$rows" | field '["rows"][0]["sent"]')
recv=$(echo "$rows" | field '["rows"][0]["recv"]')
charge=$(echo "$rows" | field '["rows"][0]["charge"]')
expected=$(python3 -c "print(max(1, int((($sent + $recv) // 128) * 0.05)))")
echo "history: $count row(s), sent $sent, received $recv, charge $charge (expected $expected)"
[ "$count" = 1 ] || { echo "FAIL: expected one history row"; exit 1; }
[ "$recv" -ge 65536 ] || { echo "FAIL: the burst was not counted"; exit 1; }
[ "$charge" = "$expected" ] || { echo "FAIL: charge $charge, expected $expected"; exit 1; }
ctl status >/dev/null 2>&1 && { echo "FAIL: status still reports a connection"; exit 1; }

# A lost line: the link goes away under the connection; it is recorded all the same.
"$bin/vr31kctl" --json --data-dir "$data" --port "$work/card" connect >"$work/lost.json" 2>"$work/lost.err" &
connect_pid=$!  # vr31kctl itself: the link is its child
wait_connected
pkill -KILL -P "$connect_pid" -f vr31k-simlink
status=0
wait "$connect_pid" || status=$?
lost=$(cat "$work/lost.json")
[ "$status" = 1 ] || { echo "FAIL: a lost line should end connect with status 1, not $status"; exit 1; }
[ "$(echo "$lost" | field '["line_lost"]')" = True ] || { echo "FAIL: $lost"; exit 1; }
[ "$(echo "$lost" | field '["recorded"]')" = True ] || { echo "FAIL: $lost"; exit 1; }
[ "$(ctl history list | field '["rows"].__len__()')" = 2 ] || { echo "FAIL: the lost connection was not recorded"; exit 1; }
echo "PASS"
