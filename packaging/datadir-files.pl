#!/usr/bin/perl
# The files of the shared data folder made regular 0660 files of its group. Each is
# opened without following a link and changed through its descriptor; one with another
# name elsewhere (a hard link planted while the folder was open to all) or that is no
# plain file is reported and left alone, so nothing planted in the folder redirects a
# change made as root. Used by install-datadir.sh and the package's postinst.
# usage: datadir-files.pl NAME-FOR-MESSAGES FOLDER GID|-1 [check]
#   GID -1 keeps the group; with "check" the first file to change is told and the exit
#   status is 1, nothing changed.
use strict;
use warnings;
use Fcntl qw(O_RDONLY O_NOFOLLOW O_NONBLOCK S_ISREG);
my ($me, $dir, $gid, $check) = @ARGV;
opendir(my $d, $dir) or die "$me: cannot read $dir: $!\n";
for my $name (sort readdir $d) {
    next if $name eq "." || $name eq "..";
    my $f = "$dir/$name";
    my $fh;
    my @st = sysopen($fh, $f, O_RDONLY | O_NOFOLLOW | O_NONBLOCK) ? stat($fh) : ();
    if (!@st || !S_ISREG($st[2]) || $st[3] != 1) {
        print STDERR "$me: $f is not a plain file (a link, a file with another name, a folder or a device); the utility refuses it: remove it\n";
        next;
    }
    next if ($st[2] & 07777) == 0660 && ($gid < 0 || $st[5] == $gid);
    if ($check) { printf "%s: %s is %04o, not 0660 in the group\n", $me, $f, $st[2] & 07777; exit 1; }
    (($gid < 0 || chown(-1, $gid, $fh)) && chmod(0660, $fh)) or die "$me: cannot change $f: $!\n";
}
