#!/usr/bin/env bash
# scripts/setup.sh asks for root only when something is to change: run as a user whose
# sudo cannot ask for a password (no terminal), on a system tree of its own.
# usage: setup_test.sh SOURCE-DIR
set -euo pipefail
src=$1
t=$(mktemp -d /tmp/vr31k-setup-test-XXXXXX)
trap 'rm -rf "$t"' EXIT

# A copy of the project's setup with no packages to install, its installers aimed at $t/root.
mkdir -p "$t/scripts" "$t/root/etc/ppp" "$t/fake"
cp "$src/scripts/setup.sh" "$t/scripts/"
cp -r "$src/packaging" "$t/"
echo "# none" >"$t/scripts/packages.txt"
for f in "$t"/packaging/install-*.sh; do bash "$f" --root "$t/root" >/dev/null; done
export VR31K_SYSTEM_ROOT=$t/root

# Not root, whoever runs the test; sudo as without a terminal, or one that works.
cat >"$t/fake/id" <<'ID'
#!/bin/sh
if [ "$1" = -u ]; then echo 1000; else exec /usr/bin/id "$@"; fi
ID
cat >"$t/fake/sudo" <<'SUDO'
#!/bin/sh
echo "$*" >>"$SUDO_LOG"
if [ "$SUDO_WORKS" = 1 ]; then exec "$@"; fi
echo "sudo: a terminal is required to read the password; either use the -S option to read from standard input or configure an askpass helper" >&2
exit 1
SUDO
chmod +x "$t/fake/id" "$t/fake/sudo"
export PATH=$t/fake:$PATH SUDO_LOG=$t/sudo.log

rule=$t/root/etc/udev/rules.d/70-vr31k-card.rules
peer=$t/root/etc/ppp/peers/vr31k-utility
failures=0
# name | what to break first | sudo works | expected status | sudo calls | expected in output
while IFS='|' read -r name breakage works expected calls says; do
  eval "$breakage"
  : >"$SUDO_LOG"
  status=0
  out=$(SUDO_WORKS=$works bash "$t/scripts/setup.sh" 2>&1) || status=$?
  called=$(wc -l <"$SUDO_LOG")
  if [ "$status" != "$expected" ] || [ "$called" != "$calls" ] || ! grep -qF -- "$says" <<<"$out"; then
    echo "FAIL: $name: status $status (expected $expected), sudo called $called time(s) (expected $calls)"
    echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
done <<CASES
everything in place|:|0|0|0|
rule missing, no terminal for sudo|rm -f "$rule"|0|1|1|bash $t/packaging/install-udev-rules.sh --root $t/root
rule missing, sudo works|:|1|0|1|70-vr31k-card.rules is missing or out of date
peer out of date, sudo works|echo old >"$peer"|1|0|1|installed $t/root/etc/ppp/peers/vr31k-utility
everything in place again|:|0|0|0|
CASES
cmp -s "$src/packaging/udev/70-vr31k-card.rules" "$rule" || { echo "FAIL: the rule was not installed"; failures=$((failures + 1)); }
cmp -s "$src/packaging/ppp/vr31k-utility" "$peer" || { echo "FAIL: the peer was not updated"; failures=$((failures + 1)); }
exit $((failures > 0))
