#!/usr/bin/env bash
# Installs what is missing, builds, and runs the utility. When no card is found it
# starts the card simulator and points the utility at it, with a demo data folder
# (build/demo-data, unless VR31K_DATA_DIR is set). Without a display it says how to
# get one and shows the same work in the terminal through vr31kctl.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" release >/dev/null
bin="$root/build/release/bin"

port_option=()
sim_pid=
stop_simulator() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
}

if ! "$bin/vr31kctl" card find >/dev/null 2>&1; then
  export VR31K_DATA_DIR=${VR31K_DATA_DIR:-$root/build/demo-data}
  mkdir -p "$VR31K_DATA_DIR"
  link="$VR31K_DATA_DIR/card-port"
  "$bin/vr31k-cardsim" --link "$link" --control "$VR31K_DATA_DIR/card-control" >"$VR31K_DATA_DIR/cardsim.out" 2>&1 &
  sim_pid=$!
  trap stop_simulator EXIT
  for _ in $(seq 50); do [ -s "$VR31K_DATA_DIR/cardsim.out" ] && break; sleep 0.1; done
  if [ ! -e "$link" ]; then
    echo "run: the card simulator did not start:" >&2
    cat "$VR31K_DATA_DIR/cardsim.out" >&2
    exit 1
  fi
  # The utility takes its port from PortName of the settings file.
  ini="$VR31K_DATA_DIR/VR31KUTL.ini"
  if [ ! -f "$ini" ]; then
    printf '[UTL_CONFIG]\r\nPortName=%s\r\n' "$link" >"$ini"
  elif ! grep -q '^PortName=' "$ini"; then
    if grep -q '^\[UTL_CONFIG\]' "$ini"; then
      sed -i "s#^\[UTL_CONFIG\]\r\?\$#&\nPortName=$link\r#" "$ini"
    else
      printf '[UTL_CONFIG]\r\nPortName=%s\r\n' "$link" >>"$ini"
    fi
  fi
  port_option=(--port "$link")
  cat <<MSG
No card found: using the card simulator on $(head -1 "$VR31K_DATA_DIR/cardsim.out") (linked as $link).
Data folder: $VR31K_DATA_DIR. Change the simulated card while it runs, for example:
  $bin/vr31k-cardsim --tell $VR31K_DATA_DIR/card-control 'sim=pin signal=1'
(all keys: $bin/vr31k-cardsim --help)

MSG
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<MSG
There is no display here, so the window cannot open. To see it:
  - run this command from a desktop session (X11 or Wayland), or
  - log in with "ssh -X" from a desktop, or
  - use a virtual display: xvfb-run -a $0
Meanwhile, the same work through the command line ($bin/vr31kctl):

MSG
  "$bin/vr31kctl" settings show
  echo
  "$bin/vr31kctl" "${port_option[@]}" card info
  exit $?
fi
[ -z "$sim_pid" ] && exec "$bin/vr31k-utility" "$@"
# With the simulator: run the window as a child so that the simulator goes with it.
"$bin/vr31k-utility" "$@" &
app_pid=$!
trap 'kill "$app_pid" 2>/dev/null' INT TERM
status=0
wait "$app_pid" || status=$?
exit $status
