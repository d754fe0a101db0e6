#!/usr/bin/env bash
# The pppd peer the utility dials through (/etc/ppp/peers/vr31k-utility). Run as root;
# idempotent: an up-to-date file is left alone. Options: see installer-options.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installer-options.sh"
source_file="$here/ppp/vr31k-utility"
target=$sysroot/etc/ppp/peers/vr31k-utility
if [ ! -d "$sysroot/etc/ppp" ]; then
  echo "install-ppp-peers: $sysroot/etc/ppp is missing; install the Debian package ppp first" >&2
  exit 1
fi
if ! cmp -s "$source_file" "$target"; then
  needs_change "$target is missing or out of date"
  mkdir -p "$(dirname "$target")"
  # Run as root, so the file is root's.
  install -m 0644 "$source_file" "$target"
  echo "install-ppp-peers: installed $target"
fi
