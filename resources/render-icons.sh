#!/usr/bin/env bash
# Redraws the committed renderings of resources/pictures/ after an SVG changed:
#   resources/icons/hicolor/<N>x<N>/apps/vr31k-utility.png and scalable/…svg (installed
#   for the desktop), and docs/pictures.png (every picture magnified 4×, for review).
# Drawn by vr31k-pictures with the program's own renderer, so they match what it shows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" release vr31k-pictures >/dev/null
tool="$root/build/release/bin/vr31k-pictures"
export QT_QPA_PLATFORM=offscreen
"$tool" icons "$root/resources/icons"
"$tool" sheet "$root/docs/pictures.png" 4
echo "render-icons: wrote resources/icons/hicolor and docs/pictures.png"
