#!/usr/bin/env bash
# packaging/install-datadir.sh on a system tree of its own: it makes the shared folder
# root:dialout 2770, closes an older folder open to everyone, gives the files 0660 in
# the group, and never follows a link planted in the folder.
# usage: install_datadir_test.sh SOURCE-DIR
set -euo pipefail
src=$1
install=$src/packaging/install-datadir.sh
t=$(mktemp -d /tmp/vr31k-datadir-test-XXXXXX)
trap 'rm -rf "$t"' EXIT
dir=$t/var/lib/vr31k-utility
owner="2770"
[ "$(id -u)" -eq 0 ] && owner="root:dialout 2770"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
mode() { if [ "$(id -u)" -eq 0 ]; then stat -c '%U:%G %a' "$1"; else stat -c '%a' "$1"; fi; }

# A fresh tree: the folder is made.
bash "$install" --check --root "$t" >/dev/null && fail "--check passed a missing folder"
bash "$install" --root "$t"
[ "$(mode "$dir")" = "$owner" ] || fail "new folder is $(mode "$dir"), not $owner"
bash "$install" --check --root "$t" || fail "--check after the install"

# An older folder open to everyone, with a file open to everyone and a planted link.
chmod 0777 "$dir"
echo "[UTL_CONFIG]" >"$dir/VR31KUTL.ini"
chmod 0666 "$dir/VR31KUTL.ini"
echo secret >"$t/target"
chmod 0600 "$t/target"
ln -s "$t/target" "$dir/VR31KUTL.pbk"
out=$(bash "$install" --check --root "$t" 2>&1) && fail "--check passed a folder open to everyone"
grep -q "not root:dialout 2770\|not 2770" <<<"$out" || fail "--check does not say what is wrong: $out"
out=$(bash "$install" --root "$t" 2>&1)
[ "$(mode "$dir")" = "$owner" ] || fail "old folder is $(mode "$dir"), not $owner"
[ "$(stat -c %a "$dir/VR31KUTL.ini")" = 660 ] || fail "the settings file is $(stat -c %a "$dir/VR31KUTL.ini")"
[ "$(stat -c %a "$t/target")" = 600 ] || fail "the link was followed: its target is $(stat -c %a "$t/target")"
grep -q "VR31KUTL.pbk is not a plain file" <<<"$out" || fail "the link is not reported: $out"
bash "$install" --check --root "$t" 2>/dev/null || fail "--check after closing the folder"
exit $((failures > 0))
