#!/usr/bin/env bash
# The card's udev rule: ModemManager leaves the card alone; its tty belongs to dialout.
# Idempotent: copies the rule only when it differs, then asks udev to reload.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src="$here/udev/70-vr31k-card.rules"
dst=/etc/udev/rules.d/70-vr31k-card.rules
if ! cmp -s "$src" "$dst"; then
  mkdir -p "$(dirname "$dst")"
  install -m 0644 "$src" "$dst"
  # No udev daemon (a container, CI): the rule takes effect at the next boot.
  if command -v udevadm >/dev/null; then
    udevadm control --reload >/dev/null 2>&1 || true
    udevadm trigger --subsystem-match=tty --action=change >/dev/null 2>&1 || true
  fi
fi
