#!/usr/bin/env bash
# Runs a command inside a chroot made from a plain folder, as a container often is: its
# / is no mount point. The system's /usr, /etc, /dev, /proc, /sys and /var, the folders
# given and those XDG_RUNTIME_DIR and TMPDIR name are bound in; /tmp and /run are its
# own. All of it lives in a private mount namespace, so nothing shows outside and it all
# goes when the command ends.
# usage: in_chroot.sh [--bind DIR]... -- COMMAND [ARGS...]
# The command's status is passed on, except that a skip (77) fails: the point is that
# the command runs there. Exit 77: this machine cannot make the chroot.
set -euo pipefail
binds=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  case "$1" in
    --bind) binds+=("$2"); shift 2 ;;
    *) echo "in_chroot: unknown option '$1'" >&2; exit 2 ;;
  esac
done
[ $# -gt 1 ] || { echo "usage: in_chroot.sh [--bind DIR]... -- COMMAND [ARGS...]" >&2; exit 2; }
shift

if [ -z "${VR31K_CHROOT_DIR:-}" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: making a chroot needs root"
    exit 77
  fi
  if ! cause=$(unshare -m true 2>&1); then
    echo "SKIP: no private mount namespace to build the chroot in: $cause"
    exit 77
  fi
  dir=$(mktemp -d /tmp/vr31k-chroot-XXXXXX)
  chmod 755 "$dir"  # a root every user may walk, as the real one
  status=0
  args=()
  for b in "${binds[@]}"; do args+=(--bind "$b"); done
  VR31K_CHROOT_DIR=$dir unshare -m "$0" "${args[@]}" -- "$@" || status=$?
  # The mounts went with the namespace: only empty folders and links are left.
  rm -rf --one-file-system "$dir"
  exit $status
fi

c=$VR31K_CHROOT_DIR
for d in /tmp /run; do
  mkdir -p "$c$d"
  mount -t tmpfs tmpfs "$c$d"
done
chmod 1777 "$c/tmp"
# The folders the environment names for temporary files come along.
for v in XDG_RUNTIME_DIR TMPDIR; do
  [ -d "${!v:-}" ] && binds+=("${!v}")
done
for d in /usr /etc /dev /proc /sys /var "${binds[@]}"; do
  mkdir -p "$c$d"
  mount --rbind "$d" "$c$d"
done
# /bin, /lib ... are links into /usr on a merged system, folders elsewhere.
for d in /bin /sbin /lib /lib32 /lib64 /libx32; do
  if [ -L "$d" ]; then
    ln -s "$(readlink "$d")" "$c$d"
  elif [ -d "$d" ]; then
    mkdir -p "$c$d"
    mount --rbind "$d" "$c$d"
  fi
done
status=0
chroot "$c" "$@" || status=$?
if [ "$status" = 77 ]; then
  echo "FAIL: the command skipped inside the chroot"
  exit 1
fi
exit $status
