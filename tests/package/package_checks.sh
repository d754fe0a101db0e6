#!/usr/bin/env bash
# Checks the built packages with Debian's tools: lintian on every package of the
# .changes, and desktop-file-validate and appstreamcli on the desktop entries, the
# AppStream description and the icons as the package installs them.
# usage: package_checks.sh FILE.changes
set -euo pipefail
changes=${1:?usage: package_checks.sh FILE.changes}
dir=$(dirname "$changes")
status=0

echo "== lintian"
# Warnings count as faults; an accepted one is overridden in debian/ with its reason.
lintian --fail-on error,warning --display-info "$changes" || status=1

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$(ls "$dir"/vr31k-utility_*.deb | head -1)" "$tree"

echo "== desktop-file-validate"
for entry in "$tree"/usr/share/applications/*.desktop "$tree"/etc/xdg/autostart/*.desktop; do
  desktop-file-validate "$entry" || status=1
done
echo "$(ls "$tree"/usr/share/applications/*.desktop "$tree"/etc/xdg/autostart/*.desktop | wc -l) desktop entries checked"

echo "== appstreamcli"
# validate-tree also finds the entry the description launches and its icon. No network:
# the screenshot's address is not fetched.
appstreamcli validate --no-net --pedantic "$tree"/usr/share/metainfo/*.xml || status=1
appstreamcli validate-tree --no-net "$tree" || status=1
# The description names the same USB devices as the udev rule.
rule_ids=$(grep -o -E 'ATTR\{idVendor\}=="[0-9a-f]{4}", ATTR\{idProduct\}=="[0-9a-f]{4}"' \
  "$tree"/usr/lib/udev/rules.d/70-vr31k-card.rules | sed -E 's/.*"(.{4})".*"(.{4})"/\1:\2/' | sort -u)
info_ids=$(grep -o -E 'usb:v[0-9A-F]{4}p[0-9A-F]{4}' "$tree"/usr/share/metainfo/*.xml |
  sed -E 's/usb:v(.{4})p(.{4})/\1:\2/' | tr 'A-F' 'a-f' | sort -u)
if [ "$rule_ids" != "$info_ids" ]; then
  echo "the AppStream modaliases ($info_ids) differ from the udev rule's devices ($rule_ids)"
  status=1
fi

echo "== manual pages"
# vr31kctl(1) describes every command group the program lists.
man=$(zcat "$tree"/usr/share/man/man1/vr31kctl.1.gz)
groups=$("$tree"/usr/bin/vr31kctl --help | sed -n '/^Commands:/,$p' | awk 'NR > 1 {print $1}')
for group in $groups; do
  grep -q -E "^\.(SS|TP|B) .*\b$group\b" <<<"$man" || { echo "vr31kctl(1) lacks the command $group"; status=1; }
done
echo "$(wc -w <<<"$groups") command groups of vr31kctl checked against vr31kctl(1)"
exit $status
