#!/usr/bin/env bash
# The per-machine data folder, shared by every local user of the utility.
set -euo pipefail
dir=/var/lib/vr31k-utility
if [ ! -d "$dir" ]; then
  mkdir -p "$dir"
  chmod 0777 "$dir"
fi
