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
# The files: regular, 0660, in the group. Each is opened without following a link and
# changed through its descriptor, so nothing planted in the folder redirects a change
# made as root; links and other non-files are reported, never followed (the utility
# refuses them too).
gid=-1
[ "$own" = 1 ] && gid=$(getent group "$group" | cut -d: -f3)
perl -e '
  use strict;
  use Fcntl qw(O_RDONLY O_NOFOLLOW O_NONBLOCK S_ISREG);
  my ($me, $dir, $gid, $check) = @ARGV;
  opendir(my $d, $dir) or die "$me: cannot read $dir: $!\n";
  for my $name (sort readdir $d) {
    next if $name eq "." || $name eq "..";
    my $f = "$dir/$name";
    my $fh;
    my @st = sysopen($fh, $f, O_RDONLY | O_NOFOLLOW | O_NONBLOCK) ? stat($fh) : ();
    if (!@st || !S_ISREG($st[2]) || $st[3] != 1) {
      print STDERR "$me: $f is not a plain file (a link, a folder or a device); the utility refuses it: remove it\n";
      next;
    }
    next if ($st[2] & 07777) == 0660 && ($gid < 0 || $st[5] == $gid);
    if ($check) { printf "%s: %s is %04o, not 0660 in the group\n", $me, $f, $st[2] & 07777; exit 1; }
    (($gid < 0 || chown(-1, $gid, $fh)) && chmod(0660, $fh)) or die "$me: cannot change $f: $!\n";
  }
' "$(basename "$0")" "$dir" "$gid" "$check"
