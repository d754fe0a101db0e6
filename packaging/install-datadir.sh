#!/usr/bin/env bash
# The per-machine data folder, shared by the card's users: root and the group dialout
# (whoever may open the card's tty), setgid so every file made in it joins the group,
# no access for anyone else (2770); the files in it 0660. An older folder open to every
# local user is closed. See docs/security.md.
# Options: see installer-options.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installer-options.sh"
dir=$sysroot/var/lib/vr31k-utility
group=dialout
# Ownership can be given only as root; a tree of one's own (--root, not root) keeps its owner.
own=0
[ "$(id -u)" -eq 0 ] && own=1

if [ -L "$dir" ]; then
  echo "$(basename "$0"): $dir is a symbolic link; remove it and run this again" >&2
  exit 1
fi
if [ ! -d "$dir" ]; then
  needs_change "$dir is missing"
  mkdir -p "$(dirname "$dir")"
  mkdir -m 0700 "$dir"
fi
want="2770"
[ "$own" = 1 ] && want="root:$group 2770"
have=$(stat -c '%a' "$dir")
[ "$own" = 1 ] && have="$(stat -c '%U:%G' "$dir") $have"
if [ "$have" != "$want" ]; then
  needs_change "$dir is $have, not $want"
  [ "$own" = 1 ] && chown "root:$group" "$dir"
  chmod 2770 "$dir"
fi
# The files: regular, 0660, in the group, never changed through a link.
gid=-1
[ "$own" = 1 ] && gid=$(getent group "$group" | cut -d: -f3)
perl "$here/datadir-files.pl" "$(basename "$0")" "$dir" "$gid" "$check"
