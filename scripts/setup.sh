#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are missing, and the
# system files the card needs (udev rule, pppd peers file) when they are out of date.
# Idempotent: with everything in place it only checks and returns.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then sudo_cmd=(sudo); else
    echo "setup: not root and no sudo; install the packages in $here/packages.txt by hand" >&2
    exit 1
  fi
fi

mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/packages.txt")
missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# System files shipped in packaging/ (each installer script is idempotent).
for f in "$here"/../packaging/install-*.sh; do
  [ -e "$f" ] && "${sudo_cmd[@]}" bash "$f"
done
exit 0
