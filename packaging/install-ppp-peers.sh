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

# The ip-down hook that counts links over the card dialled without the utility, and the
# recorder it runs when one was built here (a root-owned copy: pppd runs it as root;
# put in place once, so a rebuild does not ask for root again; the record format is
# versioned, so an older copy's records still import).
hook_source=$here/ppp/ip-down.d/vr31k-utility
hook_target=$sysroot/etc/ppp/ip-down.d/vr31k-utility
if ! cmp -s "$hook_source" "$hook_target"; then
  needs_change "$hook_target is missing or out of date"
  mkdir -p "$(dirname "$hook_target")"
  install -m 0755 "$hook_source" "$hook_target"
  echo "install-ppp-peers: installed $hook_target"
fi
built_recorder=$here/../build/release/bin/vr31k-link-record
recorder_target=$sysroot/usr/local/libexec/vr31k-utility/vr31k-link-record
if [ -x "$built_recorder" ] && [ ! -x "$sysroot/usr/libexec/vr31k-utility/vr31k-link-record" ] &&
   [ ! -x "$recorder_target" ]; then
  needs_change "$recorder_target is missing"
  install -D -m 0755 "$built_recorder" "$recorder_target"
  echo "install-ppp-peers: installed $recorder_target"
fi
