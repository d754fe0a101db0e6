#!/usr/bin/env bash
# Times the README's test command as a fresh Debian 12 machine runs it: a throw-away
# Debian 12 root (debootstrap, nothing cached: no packages beyond the base and git, no
# build, no compiler cache), a clone of COMMIT (default HEAD) in it, then
# ./scripts/test.sh with each stage's time. Run as root; needs debootstrap and network
# access to a Debian mirror. Prints the test command's own stage table and its wall time.
#   bench/ci/fresh_root_test_time.sh [COMMIT]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
commit=$(git -C "$root" rev-parse "${1:-HEAD}")
mirror=${VR31K_DEBIAN_MIRROR:-http://deb.debian.org/debian}
work=$(mktemp -d /var/tmp/vr31k-fresh-XXXXXX)
fresh=$work/root
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT
bind() { mkdir -p "$fresh$2"; mount "${@:3}" "$1" "$fresh$2"; mounted+=("$fresh$2"); }

echo "== a Debian 12 root in $fresh"
debootstrap --include=git,ca-certificates,sudo bookworm "$fresh" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -5 "$work/debootstrap.log"; exit 1; }
cp /etc/resolv.conf "$fresh/etc/resolv.conf"
bind proc /proc -t proc
bind /sys /sys --rbind
bind /dev /dev --rbind
bind tmpfs /run -t tmpfs
git clone -q "$root" "$fresh/root/vr31k"
git -C "$fresh/root/vr31k" checkout -q "$commit"

echo "== ./scripts/test.sh in the fresh root, commit $commit"
start=$SECONDS
status=0
chroot "$fresh" /bin/bash -c 'cd /root/vr31k && ./scripts/test.sh' >"$work/test.log" 2>&1 || status=$?
wall=$((SECONDS - start))
cp "$work/test.log" "${VR31K_FRESH_LOG:-/var/tmp/vr31k-fresh-test.log}"
sed -n '/== time of each stage ==/,/in all/p' "$work/test.log"
tail -4 "$work/test.log"
echo "wall time: $wall s, exit status $status (log: ${VR31K_FRESH_LOG:-/var/tmp/vr31k-fresh-test.log})"
exit "$status"
