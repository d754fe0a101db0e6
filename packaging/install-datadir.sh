#!/usr/bin/env bash
# The per-machine data folder, shared by every local user of the utility.
# Options: see installer-options.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installer-options.sh"
dir=$sysroot/var/lib/vr31k-utility
if [ ! -d "$dir" ]; then
  needs_change "$dir is missing"
  mkdir -p "$dir"
  chmod 0777 "$dir"
fi
