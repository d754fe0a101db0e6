#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are missing, and the system
# files the card needs (udev rule, pppd peer, the shared data folder) when they are
# missing or out of date. Checks first and asks for root only for a change, so with
# everything in place it needs neither root nor a terminal (an IDE, a desktop launcher).
# VR31K_SYSTEM_ROOT: put the system files below this folder instead of / (packaging, tests).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sysroot=${VR31K_SYSTEM_ROOT:-}

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
    return
  fi
  if command -v sudo >/dev/null && sudo "$@"; then return; fi
  echo "setup: this step needs root and sudo could not give it here (no terminal to ask for" >&2
  echo "       the password, or not allowed). Run it in a terminal, or as root:" >&2
  echo "       $*" >&2
  return 1
}

mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/packages.txt")
missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# System files shipped in packaging/: each installer says with --check whether it has
# anything to do, without privileges.
root_args=()
[ -n "$sysroot" ] && root_args=(--root "$sysroot")
for f in "$here"/../packaging/install-*.sh; do
  [ -e "$f" ] || continue
  if ! change=$(bash "$f" --check "${root_args[@]}" 2>&1); then
    echo "setup: $change"
    as_root bash "$(cd "$(dirname "$f")" && pwd)/$(basename "$f")" "${root_args[@]}"
  fi
done
exit 0
