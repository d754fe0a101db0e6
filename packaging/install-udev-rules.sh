#!/usr/bin/env bash
# The card's udev rule: ModemManager leaves the card alone; its tty belongs to dialout.
# Idempotent: copies the rule only when it differs, then asks udev to reload.
# Options: see installer-options.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installer-options.sh"
src="$here/udev/70-vr31k-card.rules"
dst=$sysroot/etc/udev/rules.d/70-vr31k-card.rules
if ! cmp -s "$src" "$dst"; then
  needs_change "$dst is missing or out of date"
  mkdir -p "$(dirname "$dst")"
  install -m 0644 "$src" "$dst"
  # No udev daemon (a container, CI): the rule takes effect at the next boot. Another
  # tree than / is not the running system's.
  if [ -z "$sysroot" ] && command -v udevadm >/dev/null; then
    udevadm control --reload >/dev/null 2>&1 || true
    udevadm trigger --subsystem-match=tty --action=change >/dev/null 2>&1 || true
  fi
fi
