#!/usr/bin/env bash
# Builds the Debian packages (vr31k-utility, vr31k-cardsim) the way Debian builds them,
# dpkg-buildpackage -us -uc -b, from a copy of the work tree (its tracked files and the
# new ones git does not ignore), so the tree stays clean. The packages, .changes and
# .buildinfo land in build/deb/; the last line names the .changes file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
project_version=$(sed -n 's/^project(vr31k-utility VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
if [ "${version%%[-+~]*}" != "$project_version" ]; then
  echo "package: debian/changelog is at $version but CMakeLists.txt at $project_version;" >&2
  echo "         add a changelog entry for the new version" >&2
  exit 1
fi

out=$root/build/deb
work=$out/work
src=$work/vr31k-utility-$version
rm -rf "$work"
mkdir -p "$src"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$root" && git ls-files -z --cached --others --exclude-standard) |
    tar -C "$root" --null --ignore-failed-read --files-from=- -cf - 2>/dev/null | tar -C "$src" -xf -
else
  # An unpacked source tree: all of it but the builds.
  tar -C "$root" --exclude=./build -cf - . | tar -C "$src" -xf -
fi

# A compiler cache, when there is one, makes a rebuild quick. debhelper gives the build
# a HOME of its own, so the cache's folder is named.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  CCACHE_DIR=$(ccache --get-config cache_dir)
  export CCACHE_DIR
fi
export DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}"
(cd "$src" && dpkg-buildpackage -us -uc -b) >"$out/build.log" 2>&1 || {
  tail -40 "$out/build.log" >&2
  echo "package: the build failed; the whole log is $out/build.log" >&2
  exit 1
}
rm -f "$out"/*.deb "$out"/*.ddeb "$out"/*.changes "$out"/*.buildinfo
mv "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$out"/
find "$work" -maxdepth 1 -name '*.ddeb' -exec mv -t "$out" {} +
rm -rf "$work"
ls "$out"/*.deb
echo "$out/vr31k-utility_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).changes"
