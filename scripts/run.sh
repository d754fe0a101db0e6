#!/usr/bin/env bash
# Installs what is missing, builds, and runs the utility. When no card is found it
# starts the card simulator and hands its port to the utility through VR31K_PORT (no
# settings file is changed for it), with a demo data folder (build/demo-data, unless
# VR31K_DATA_DIR is set). Without a display it says how to get one and shows the same
# work in the terminal through vr31kctl.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
echo "Building the utility, vr31kctl and the card simulator (the first build takes a few minutes)..."
"$root/scripts/build.sh" release vr31k-utility vr31kctl vr31k-cardsim
bin="$root/build/release/bin"

sim_pid=
sim_dir=
stop_simulator() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  rm -rf "$sim_dir"
}

# A card counts when VR31K_PORT names one, or when vr31kctl finds the port the utility
# would open: the settings' PortName where this user may trust it, else the lookup's.
card_present() {
  [ -n "${VR31K_PORT:-}" ] && return 0
  "$bin/vr31kctl" card port >/dev/null 2>&1
}

if ! card_present; then
  export VR31K_DATA_DIR=${VR31K_DATA_DIR:-$root/build/demo-data}
  mkdir -p "$VR31K_DATA_DIR"
  # The simulator's files live apart from the data folder and go with it.
  sim_dir=$(mktemp -d "${TMPDIR:-/tmp}/vr31k-cardsim-XXXXXX")
  link=$sim_dir/card
  "$bin/vr31k-cardsim" --link "$link" --control "$sim_dir/control" >"$sim_dir/out" 2>&1 &
  sim_pid=$!
  trap stop_simulator EXIT
  for _ in $(seq 50); do [ -s "$sim_dir/out" ] && break; sleep 0.1; done
  if [ ! -e "$link" ]; then
    echo "run: the card simulator did not start:" >&2
    cat "$sim_dir/out" >&2
    exit 1
  fi
  export VR31K_PORT=$link
  cat <<MSG
No card found: using the card simulator on $(head -1 "$sim_dir/out") (linked as $link)
while this script runs. Data folder: $VR31K_DATA_DIR.
Change the simulated card while it runs, for example:
  $bin/vr31k-cardsim --tell $sim_dir/control 'sim=pin signal=1'
(all keys: $bin/vr31k-cardsim --help). vr31kctl reaches it from another terminal with:
  VR31K_DATA_DIR=$VR31K_DATA_DIR VR31K_PORT=$link $bin/vr31kctl card info

MSG
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<MSG
There is no display here, so the window cannot open. To see it:
  - run this command from a desktop session (X11 or Wayland), or
  - log in with "ssh -X" from a desktop.
(xvfb-run -a $0 runs the window on a virtual display, where nobody sees it.)
Meanwhile, the same work through the command line ($bin/vr31kctl):

MSG
  "$bin/vr31kctl" settings show
  echo
  "$bin/vr31kctl" card info
  exit $?
fi

"$bin/vr31k-utility" "$@" &
app_pid=$!
# xvfb-run hands its display an authority file in a folder of its own.
case "${XAUTHORITY:-}" in
  */xvfb-run.*) echo "The utility runs (pid $app_pid) on the virtual display $DISPLAY of xvfb-run: its window cannot be seen." ;;
  *) echo "The utility runs (pid $app_pid) on display ${DISPLAY:-$WAYLAND_DISPLAY}; it may start hidden in the tray." ;;
esac
echo "It runs until its menu's 終了 (exit); Ctrl-C here (or kill $app_pid) ends it too${sim_pid:+, and the simulator with it}."
trap 'kill -TERM "$app_pid" 2>/dev/null' INT TERM
# Ctrl-C interrupts the wait: wait again until the utility has closed.
while :; do
  status=0
  wait "$app_pid" || status=$?
  kill -0 "$app_pid" 2>/dev/null || break
done
exit $status
