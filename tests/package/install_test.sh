#!/usr/bin/env bash
# Installs the built packages into a throw-away Debian 12 root, as a user would: runs
# vr31kctl and the window against the card simulator, upgrades to a newer build with
# the data kept, removes (data kept), purges, and checks that no file of the packages
# is left.
# usage: install_test.sh DEB-FOLDER (the folder scripts/package.sh fills)
# The root is made once with debootstrap and kept as a tarball under build/pkgtest/,
# with the downloaded packages beside it. Exit 77 (a skip) with the reason when this
# machine cannot make or enter the root.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cache=$root/build/pkgtest
# Bump when the base root's recipe below changes, so the cached tarball is made anew.
recipe=1
base=$cache/bookworm-base-$recipe.tar

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }

# The Debian mirror apt uses here, and its security counterpart.
mirror_of() {
  { grep -h -o -E "https?://[^ ]*/$1/?( |\$)" /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
      /etc/apt/sources.list.d/*.sources 2>/dev/null || true; } | head -1 | tr -d ' '
}

make_base() {
  command -v debootstrap >/dev/null || skip "debootstrap is not installed (scripts/packages.txt)"
  local mirror security tmp
  mirror=$(mirror_of debian)
  mirror=${mirror:-http://deb.debian.org/debian}
  security=$(mirror_of debian-security)
  security=${security:-http://deb.debian.org/debian-security}
  tmp=$(mktemp -d "$cache/base.XXXXXX")
  step "making the Debian 12 root once (debootstrap from $mirror)"
  if ! debootstrap --variant=minbase bookworm "$tmp/root" "$mirror" >"$tmp/debootstrap.log" 2>&1; then
    tail -5 "$tmp/debootstrap.log"
    rm -rf --one-file-system "$tmp"
    skip "debootstrap could not make a Debian 12 root from $mirror"
  fi
  cat >"$tmp/root/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security bookworm-security main
SOURCES
  # What the test itself needs: a display, and man to read the manual pages.
  if ! VR31K_PKGTEST_ROOT=$tmp/root timeout 900 unshare -m -p -f --kill-child "$0" --enter sh -c \
      'apt-get update -qq && apt-get install -y -qq --no-install-recommends xvfb xauth man-db >/dev/null' \
      >"$tmp/tools.log" 2>&1; then
    tail -5 "$tmp/tools.log"
    rm -rf --one-file-system "$tmp"
    skip "the tools of the test could not be installed in the new root"
  fi
  tar -C "$tmp/root" -cf "$tmp/base.tar" .
  mv "$tmp/base.tar" "$base"
  rm -rf --one-file-system "$tmp"
}

# Inside private mount and process namespaces: the root's /proc, /sys, /dev/pts, /tmp
# and /run, and the package cache kept under build/. The mounts go with the namespace, and
# every process left running with its first one.
if [ "${1:-}" = --enter ]; then
  shift
  r=$VR31K_PKGTEST_ROOT
  mount -t proc proc "$r/proc"
  # The card lookup reads the devices through sysfs, as on any running system.
  mount -t sysfs -o ro sysfs "$r/sys" 2>/dev/null || mount --rbind -o ro /sys "$r/sys"
  mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$r/dev/pts"
  mount --bind "$r/dev/pts/ptmx" "$r/dev/ptmx"
  mount -t tmpfs tmpfs "$r/tmp"
  chmod 1777 "$r/tmp"
  mount -t tmpfs tmpfs "$r/run"
  mkdir -p "$r/run/lock" "$cache/archives/partial"
  chmod 1777 "$r/run/lock"
  mount --bind "$cache/archives" "$r/var/cache/apt/archives"
  cp /etc/resolv.conf "$r/etc/resolv.conf"
  exec chroot "$r" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
fi

debs=$(cd "${1:?usage: install_test.sh DEB-FOLDER}" && pwd)
[ "$(id -u)" -eq 0 ] || skip "making and entering a chroot needs root"
cause=$(unshare -m -p -f true 2>&1) || skip "no private mount and process namespaces here: $cause"
ls "$debs"/vr31k-utility_*.deb "$debs"/vr31k-cardsim_*.deb >/dev/null 2>&1 || fail "no packages in $debs"
mkdir -p "$cache"
[ -f "$base" ] || make_base

work=$(mktemp -d "$cache/root.XXXXXX")
trap 'rm -rf --one-file-system "$work"' EXIT
r=$work/root
mkdir "$r"
tar -C "$r" -xf "$base"
mkdir -p "$r/var/tmp/debs/new"
cp "$debs"/vr31k-utility_*.deb "$debs"/vr31k-cardsim_*.deb "$r/var/tmp/debs/"

# The same packages as a later version: the upgrade keeps the data and a changed conffile.
for deb in "$r"/var/tmp/debs/*.deb; do
  x=$work/x
  rm -rf "$x"
  dpkg-deb -R "$deb" "$x"
  sed -i 's/^Version: \(.*\)$/Version: \1+upgrade1/' "$x/DEBIAN/control"
  dpkg-deb --root-owner-group -b "$x" "$r/var/tmp/debs/new/" >/dev/null
done
rm -rf "$x"

# The whole test runs in the root as one script; the host only watches its status.
cat >"$r/var/tmp/steps.sh" <<'STEPS'
set -eu
step() { echo "== $*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
# setpriv and env replace themselves with the program, so its status and signals are
# its own; in the background $! is the program itself.
as_user() {
  setpriv --reuid=carduser --regid=carduser --init-groups \
    env HOME=/home/carduser USER=carduser XDG_RUNTIME_DIR=/tmp/xdg-carduser "$@"
}
as_user_in_background() {
  setpriv --reuid=carduser --regid=carduser --init-groups \
    env HOME=/home/carduser USER=carduser XDG_RUNTIME_DIR=/tmp/xdg-carduser "$@" &
}
data=/var/lib/vr31k-utility
# Every path of the file system but the package manager's own records, logs and caches,
# the mounts of the test, and the home folders (the users' files are theirs).
listing() {
  find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /tmp -o -path /run -o -path /var/tmp \
    -o -path /var/lib/dpkg -o -path /var/lib/apt -o -path /var/cache -o -path /var/log \
    -o -path /home -o -path /root \) -prune -o -printf '%p %y %m %u:%g\n' | sort
}

step "installing what the packages depend on, and a user of the card"
apt-get update -qq
for deb in /var/tmp/debs/*.deb; do
  apt-get satisfy -y -qq --no-install-recommends "$(dpkg-deb -f "$deb" Depends)" >/dev/null
done
useradd -m -G dialout,dip carduser
mkdir -m 0700 /tmp/xdg-carduser
chown carduser: /tmp/xdg-carduser
listing >/var/tmp/before

# An older data folder open to all, with links to a root-only file planted in it.
mkdir -m 0777 $data
install -m 0600 /dev/null /etc/vr31k-root-only
ln /etc/vr31k-root-only $data/VR31KUTL.dat
ln -s /etc/vr31k-root-only $data/VR31KUTL.mdb

step "installing the packages"
apt-get install -y -qq --no-install-recommends /var/tmp/debs/*.deb >/dev/null
[ "$(stat -c '%U:%G %a' $data)" = "root:dialout 2770" ] || fail "$data is $(stat -c '%U:%G %a' $data)"
[ "$(stat -c '%U:%G %a' /etc/vr31k-root-only)" = "root:root 600" ] ||
  fail "a file linked into $data became $(stat -c '%U:%G %a' /etc/vr31k-root-only)"
rm /etc/vr31k-root-only $data/VR31KUTL.dat $data/VR31KUTL.mdb
for f in /etc/ppp/peers/vr31k-utility /etc/xdg/autostart/vr31k-utility.desktop; do
  dpkg-query -W -f='${Conffiles}\n' vr31k-utility | grep -q " $f " || fail "$f is no conffile"
done
test -f /usr/lib/udev/rules.d/70-vr31k-card.rules
# The help command opens the manual at the path compiled in (a UTF-16 string literal).
manual=/usr/share/doc/vr31k-utility/manual/index.html
grep -q -a -P "$(printf %s "$manual" | sed 's/./&\\x00/g')" /usr/bin/vr31k-utility ||
  fail "the help command does not open $manual"
[ -f "$manual" ] || fail "$manual is not installed"
for page in vr31k-utility vr31kctl vr31k-cardsim vr31k-simlink; do
  man -P cat "$page" 2>/dev/null | grep -q "^NAME" || fail "man $page shows nothing"
done

step "vr31kctl and the card simulator, as a member of dialout"
as_user vr31kctl --help | grep -q '^usage: vr31kctl' || fail "vr31kctl --help"
as_user_in_background vr31k-cardsim --link /tmp/card >/tmp/cardsim.out 2>&1
sim=$!
for _ in $(seq 50); do [ -e /tmp/card ] && break; sleep 0.1; done
[ -e /tmp/card ] || { cat /tmp/cardsim.out; fail "the card simulator did not start"; }
as_user vr31kctl card check --port /tmp/card --json >/tmp/check.json || { cat /tmp/check.json; fail "card check"; }
grep -q '"ok": true' /tmp/check.json || fail "card check: $(cat /tmp/check.json)"

step "the window under Xvfb with the simulator"
Xvfb :7 -nolisten tcp >/tmp/xvfb.log 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X7 ] && break; sleep 0.1; done
as_user_in_background env DISPLAY=:7 VR31K_PORT=/tmp/card QT_LOGGING_RULES='vr31k.*.info=true' vr31k-utility \
  >/tmp/app.log 2>&1
app=$!
for _ in $(seq 300); do grep -q 'main window ready' /tmp/app.log && break; sleep 0.1; done
grep -q 'main window ready' /tmp/app.log || { cat /tmp/app.log; fail "no main window"; }
kill -TERM $app
for _ in $(seq 200); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
kill -0 $app 2>/dev/null && { cat /tmp/app.log; fail "the utility did not end within 20 s of SIGTERM"; }
status=0
wait $app || status=$?
[ $status -eq 0 ] || { cat /tmp/app.log; fail "the utility ended with status $status after SIGTERM"; }
kill $xvfb; wait $xvfb || true

step "data of the user: a plan and a connection"
as_user vr31kctl plan set --type 0 --price 0.05 --packet-size 128 >/dev/null
as_user vr31kctl history record --entry mobile.korvane.ne.jp --end "2026/12/01 10:00:00" \
  --duration-ms 60000 --sent 1000 --recv 2000 >/dev/null
ls $data/VR31KUTL.ini $data/VR31KUTL.mdb >/dev/null

step "a link dialled with pppd call vr31k-utility while no utility runs: counted once"
# pppd runs /etc/ppp/ip-up as root when the link comes up; the card's hook takes part.
[ -x /etc/ppp/ip-up.d/vr31k-utility ] || fail "the ip-up hook is not installed"
env CALL_FILE=vr31k-utility /etc/ppp/ip-up ppp0 /dev/ttyACM0 115200 10.64.0.1 10.64.0.2 "" ||
  fail "the ip-up hook failed"
# pppd runs /etc/ppp/ip-down as root with the link's figures in its environment.
env CALL_FILE=vr31k-utility CONNECT_TIME=120 BYTES_SENT=4096 BYTES_RCVD=8192 \
  /etc/ppp/ip-down ppp0 /dev/ttyACM0 115200 10.64.0.1 10.64.0.2 ""
ls $data/spool/*.rec >/dev/null 2>&1 || fail "the ip-down hook left no record in $data/spool"
[ "$(stat -c '%U:%G %a' $data/spool)" = "root:dialout 2770" ] || fail "$data/spool is $(stat -c '%U:%G %a' $data/spool)"
env CALL_FILE=vr31k-utility CONNECT_TIME=1 BYTES_SENT=1 BYTES_RCVD=1 \
  /etc/ppp/ip-down ppp0 /dev/ttyACM0 115200 10.64.0.1 10.64.0.2 vr31k-utility-dial
[ "$(as_user vr31kctl --json history list | grep -c '"sent": 4096')" = 1 ] || fail "the link is not in the history once"
[ "$(as_user vr31kctl --json history list | grep -c '"sent": 1,')" = 0 ] || fail "the utility's own link was counted"
[ -z "$(ls -A $data/spool)" ] || fail "records are left after the import: $(ls -A $data/spool)"
for f in $data/*; do
  [ "$(stat -c %G "$f")" = dialout ] || fail "$f belongs to the group $(stat -c %G "$f")"
done
(cd $data && sha256sum VR31KUTL.*) >/var/tmp/data.sums
echo "# changed here" >>/etc/ppp/peers/vr31k-utility

step "upgrading to a newer build"
apt-get install -y -qq --no-install-recommends /var/tmp/debs/new/*.deb >/dev/null
dpkg-query -W -f='${Version}\n' vr31k-utility | grep -q '+upgrade1$' || fail "not upgraded"
(cd $data && sha256sum -c --quiet /var/tmp/data.sums) || fail "the upgrade changed the data"
[ "$(stat -c '%U:%G %a' $data)" = "root:dialout 2770" ] || fail "$data is $(stat -c '%U:%G %a' $data) after the upgrade"
grep -q '^# changed here' /etc/ppp/peers/vr31k-utility || fail "the upgrade replaced the changed pppd peer"
as_user vr31kctl --json history list | grep -q '"sent": 1000' || fail "the history is not read after the upgrade"

step "removing: the data stays"
apt-get remove -y -qq vr31k-utility vr31k-cardsim >/var/tmp/remove.log
grep -E '^(Removing|vr31k-utility:)' /var/tmp/remove.log
(cd $data && sha256sum -c --quiet /var/tmp/data.sums) || fail "apt remove changed the data"
[ ! -e /usr/bin/vr31k-utility ] || fail "the program is still there after apt remove"

step "purging: nothing is left"
apt-get purge -y -qq vr31k-utility vr31k-cardsim >/var/tmp/purge.log
grep -E '^(Purging|vr31k-utility:)' /var/tmp/purge.log
grep -q "removing $data" /var/tmp/purge.log || fail "the purge did not say it removes $data"
listing >/var/tmp/after
if ! diff /var/tmp/before /var/tmp/after >/var/tmp/left; then
  cat /var/tmp/left
  fail "the file system differs from before the install"
fi
kill $sim 2>/dev/null || true
echo "PASS: installed, ran, upgraded, removed and purged cleanly"
STEPS

# Bounded: whatever hangs inside goes with the namespace's first process.
VR31K_PKGTEST_ROOT=$r timeout 900 unshare -m -p -f --kill-child "$0" --enter sh /var/tmp/steps.sh
