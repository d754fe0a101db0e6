#!/usr/bin/env bash
# scripts/run.sh without a card: the simulator's port reaches the utility and vr31kctl
# through the environment, the user's settings file is left as it was, and the user is
# told what runs and how to end it. Runs a copy of run.sh whose install and build steps
# do nothing and whose utility is a stand-in that asks the card through vr31kctl.
# usage: run_test.sh SOURCE-DIR BIN-DIR   (exit 77: a real card is present)
set -euo pipefail
src=$1
bin=$2
unset VR31K_PORT VR31K_DATA_DIR DISPLAY WAYLAND_DISPLAY XAUTHORITY
if "$bin/vr31kctl" card find >/dev/null 2>&1; then
  echo "SKIP: a card is present, so run.sh would not start the simulator"
  exit 77
fi
t=$(mktemp -d /tmp/vr31k-run-test-XXXXXX)
trap 'rm -rf "$t"' EXIT

mkdir -p "$t/scripts" "$t/build/release/bin"
cp "$src/scripts/run.sh" "$t/scripts/"
printf '#!/bin/sh\nexit 0\n' >"$t/scripts/setup.sh"
printf '#!/bin/sh\nexit 0\n' >"$t/scripts/build.sh"
ln -s "$bin/vr31kctl" "$bin/vr31k-cardsim" "$t/build/release/bin/"
cat >"$t/build/release/bin/vr31k-utility" <<UTILITY
#!/bin/sh
{ echo "port=\$VR31K_PORT"; echo "data=\$VR31K_DATA_DIR"; "$bin/vr31kctl" --json card info; } >"$t/utility.out" 2>&1
UTILITY
chmod +x "$t"/scripts/*.sh "$t/build/release/bin/vr31k-utility"
# A PortName the utility refuses: a device reached through a folder anyone may change.
mkdir -m 0777 "$t/open"
ln -s /dev/null "$t/open/null"
crlf=$'\r\n'

failures=0
fail() { problems+="  $*"$'\n'; }
# name | environment | expected in the output | data folder the utility should get |
# the settings' PortName
while IFS='|' read -r name environment says data port; do
  settings=$(printf '[UTL_CONFIG]\r\nAutoStart=0\r\n%s[DUP_CONFIG]\r\nChargeType=0\r\n' "${port:+PortName=$port$crlf}")
  rm -rf "$t/user" && mkdir "$t/user"
  printf '%s' "$settings" >"$t/user/VR31KUTL.ini"
  rm -f "$t/utility.out"
  problems=
  status=0
  out=$(env $environment bash "$t/scripts/run.sh" 2>&1 </dev/null) || status=$?
  [ "$status" = 0 ] || fail "status $status"
  grep -qF -- "$says" <<<"$out" || fail "no '$says' in the output"
  [ "$(cat "$t/user/VR31KUTL.ini")" = "$settings" ] || fail "the user's settings file changed: $(cat -A "$t/user/VR31KUTL.ini")"
  [ -z "$(ls "$t/user" | grep -v '^VR31KUTL\.ini$')" ] || fail "files left in the user's folder: $(ls "$t/user")"
  if [ -n "$data" ]; then
    got=$(cat "$t/utility.out" 2>/dev/null || true)
    grep -q '^port=/.*/card$' <<<"$got" || fail "the utility got no simulator port: $got"
    grep -qF "data=$data" <<<"$got" || fail "the utility got another data folder: $got"
    grep -qF '"model": "VR31K"' <<<"$got" || fail "vr31kctl did not reach the simulator through VR31K_PORT: $got"
  fi
  if [ -n "$problems" ]; then
    printf 'FAIL: %s\n%s  output:\n' "$name" "$problems"
    echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
done <<CASES
no display, the user's folder|VR31K_DATA_DIR=$t/user|model: VR31K|
no display, the demo folder|PATH=$PATH|Data folder: $t/build/demo-data|
a display, the user's folder|DISPLAY=:77 VR31K_DATA_DIR=$t/user|Ctrl-C here (or kill|$t/user
xvfb-run's display, the demo folder|DISPLAY=:99 XAUTHORITY=/tmp/xvfb-run.Ab12Cd/Xauthority|its window cannot be seen|$t/build/demo-data
a PortName the utility refuses, the user's folder|DISPLAY=:77 VR31K_DATA_DIR=$t/user|No card found|$t/user|$t/open/null
CASES
ls "$t" | grep -q '^vr31k-cardsim' && { echo "FAIL: the simulator's folder was left behind"; failures=$((failures + 1)); }
exit $((failures > 0))
