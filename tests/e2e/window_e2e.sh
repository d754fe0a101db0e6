#!/usr/bin/env bash
# The real vr31k-utility on an X server (Xvfb) with a tray host (trayer), a session bus
# and the accessibility bus, against the card simulator, driven through its
# accessibility tree by window_e2e.py as a person would drive it.
# usage: window_e2e.sh [--connect | --usage] BIN_DIR [SCREENSHOT_DIR]
#   --connect: the connection steps (window_connect_e2e.py), in a private network
#   namespace with the simulated link.
#   --usage: the history, totals and plan views over a long history (window_usage_e2e.py).
#   VR31K_E2E_DRIVER=FILE.py runs that script instead of the steps (the benchmarks
#   that time the real window use the same desktop); it can import the drivers here.
# Exit 77 (skip) when a piece of the desktop stand-in is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mode=window
case "${1:-}" in
  --connect) mode=connect; shift ;;
  --usage) mode=usage; shift ;;
esac
bin=$1
shots=${2:-}
if [ "$mode" = connect ] && [ -z "${VR31K_IN_NETNS_DONE:-}" ]; then
  export VR31K_IN_NETNS_DONE=1
  exec "$here/../support/in_private_netns.sh" "$0" --connect "$@"
fi
for tool in Xvfb trayer xdotool dbus-run-session import; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "SKIP: at-spi2-core is missing"; exit 77; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is missing"; exit 77; }

if [ -z "${VR31K_WINDOW_E2E_INNER:-}" ]; then
  work=$(mktemp -d /tmp/vr31k-window-e2e-XXXXXX)
  xvfb_pid=""
  cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
  }
  trap cleanup EXIT
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x700x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$work/display")"
  export VR31K_WINDOW_E2E_INNER=1 VR31K_E2E_WORK=$work
  status=0
  dbus-run-session -- "$0" $([ "$mode" != window ] && echo "--$mode") "$@" || status=$?
  exit $status
fi

work=$VR31K_E2E_WORK
# The tray host, up before the utility looks for a tray.
for attempt in 1 2 3; do
  trayer --edge top --align right --widthtype request --height 24 --transparent false >>"$work/trayer.log" 2>&1 &
  for _ in $(seq 50); do xdotool search --class trayer >/dev/null 2>&1 && break 2; sleep 0.1; done
done
xdotool search --class trayer >/dev/null 2>&1 || { echo "FAIL: the tray host did not start"; cat "$work/trayer.log"; exit 1; }
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
"$bin/vr31k-cardsim" --link "$work/card" --control "$work/card-control" >"$work/sim.log" 2>&1 &
for _ in $(seq 100); do [ -e "$work/card" ] && break; sleep 0.05; done
export VR31K_BIN=$bin VR31K_SHOTS=$shots
# On the X server, whatever the test command chose for the offscreen tests.
export QT_QPA_PLATFORM=xcb
if [ "$mode" = connect ]; then
  export VR31K_DIAL_LINK=simulated VR31K_SIMLINK=$bin/vr31k-simlink
  script=window_connect_e2e.py
elif [ "$mode" = usage ]; then
  script=window_usage_e2e.py
else
  script=window_e2e.py
fi
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work}
status=0
PYTHONPATH=$here /usr/bin/python3 "${VR31K_E2E_DRIVER:-$here/$script}" || status=$?
kill $(jobs -p) 2>/dev/null || true
exit $status
