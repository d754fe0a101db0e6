#!/usr/bin/env bash
# Runs a command in a private network and mount namespace: its own loopback, TUN
# interfaces nobody else sees, and a sysfs of its own at /sys (so /sys/class/net lists
# the namespace's interfaces). Nothing it does touches the machine's interfaces.
# usage: in_private_netns.sh COMMAND [ARGS...]
# Exit 77 with "SKIP: <cause>" when this machine cannot give such a namespace.
set -euo pipefail
if [ -z "${VR31K_IN_PRIVATE_NETNS:-}" ]; then
  # Root unshares directly; others try a user namespace of their own. unshare's own
  # "make every mount private" needs / to be a mount point, which it is not inside a
  # chroot; the namespace does that itself below instead.
  causes=
  for prefix in "unshare -n -m --propagation unchanged" "unshare -r -n -m --propagation unchanged"; do
    if cause=$($prefix true 2>&1); then
      exec env VR31K_IN_PRIVATE_NETNS=1 $prefix "$0" "$@"
    fi
    causes+="  $prefix: ${cause:-failed}"$'\n'
  done
  printf 'SKIP: no private network namespace here:\n%s' "$causes"
  exit 77
fi
unset VR31K_IN_PRIVATE_NETNS

# Private first, so the sysfs mounted below never shows in the namespace we came from.
# Inside a chroot / is no mount point, but /sys usually is.
if ! private=$(mount --make-rprivate / 2>&1) && ! private+=$'\n'$(mount --make-rprivate /sys 2>&1); then
  printf 'SKIP: neither / nor /sys can be made a private mount here, so a sysfs of the namespace would show outside it:\n%s\n' "$private"
  exit 77
fi
if ! mounted=$(mount -t sysfs sysfs /sys 2>&1); then
  printf 'SKIP: cannot mount a sysfs in the namespace: %s\n' "$mounted"
  exit 77
fi
ip link set lo up 2>/dev/null || true
if [ ! -r /dev/net/tun ] || [ ! -w /dev/net/tun ]; then
  echo "SKIP: /dev/net/tun is missing or not usable here, so no TUN interface can stand in for the link"
  exit 77
fi
exec "$@"
