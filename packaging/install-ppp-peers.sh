#!/usr/bin/env bash
# The pppd peer the utility dials through (/etc/ppp/peers/vr31k-utility). Run as root;
# idempotent: an up-to-date file is left alone.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_file="$here/ppp/vr31k-utility"
target=/etc/ppp/peers/vr31k-utility
if [ ! -d /etc/ppp ]; then
  echo "install-ppp-peers: /etc/ppp is missing; install the Debian package ppp first" >&2
  exit 1
fi
mkdir -p /etc/ppp/peers
if ! cmp -s "$source_file" "$target"; then
  install -m 0644 -o root -g root "$source_file" "$target"
  echo "install-ppp-peers: installed $target"
fi
