#!/usr/bin/env bash
# Installs what is missing, builds, and runs the utility. Without a display it says how
# to get one and shows the same work in the terminal through vr31kctl.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" release >/dev/null
bin="$root/build/release/bin"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<MSG
There is no display here, so the window cannot open. To see it:
  - run this command from a desktop session (X11 or Wayland), or
  - log in with "ssh -X" from a desktop, or
  - use a virtual display: xvfb-run -a $0
Meanwhile, the same settings through the command line ($bin/vr31kctl):

MSG
  exec "$bin/vr31kctl" settings show
fi
exec "$bin/vr31k-utility" "$@"
