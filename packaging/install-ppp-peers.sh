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

# The hooks: ip-down counts links over the card dialled without the utility; ip-up and
# ip-down set the machine up for every link over the card and undo it. The programs they
# run are put in place when built here (root-owned copies: pppd runs them as root; put in
# place once, so a rebuild does not ask for root again; the record format is versioned,
# so an older copy's records still import).
for hook in ip-up.d ip-down.d; do
  hook_source=$here/ppp/$hook/vr31k-utility
  hook_target=$sysroot/etc/ppp/$hook/vr31k-utility
  if ! cmp -s "$hook_source" "$hook_target"; then
    needs_change "$hook_target is missing or out of date"
    mkdir -p "$(dirname "$hook_target")"
    install -m 0755 "$hook_source" "$hook_target"
    echo "install-ppp-peers: installed $hook_target"
  fi
done
for program in vr31k-link-record vr31k-link-hook vr31k-program-reader; do
  built=$here/../build/release/bin/$program
  target=$sysroot/usr/local/libexec/vr31k-utility/$program
  if [ -x "$built" ] && [ ! -x "$sysroot/usr/libexec/vr31k-utility/$program" ] && [ ! -x "$target" ]; then
    needs_change "$target is missing"
    install -D -m 0755 "$built" "$target"
    echo "install-ppp-peers: installed $target"
  fi
done
