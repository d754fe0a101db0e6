#!/usr/bin/env bash
# Configures (once) and builds one configuration into build/NAME.
#   scripts/build.sh release   optimised, warnings as errors; the programs' end-to-end tests only
#   scripts/build.sh asan      AddressSanitizer + UndefinedBehaviorSanitizer
#   scripts/build.sh tsan      ThreadSanitizer, core and tests only (Qt is not instrumented)
# Further words name the targets to build (default: all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:-release}
case "$name" in
  # The optimised build runs the programs end to end; its units run in the sanitizer build.
  release) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVR31K_BUILD_UNIT_TESTS=OFF) ;;
  asan)    flags=(-DCMAKE_BUILD_TYPE=Debug -DVR31K_SANITIZE=address,undefined -DVR31K_BUILD_BENCH=OFF) ;;
  tsan)    flags=(-DCMAKE_BUILD_TYPE=Debug -DVR31K_SANITIZE=thread -DVR31K_BUILD_BENCH=OFF -DVR31K_BUILD_GUI=OFF) ;;
  *) echo "build.sh: unknown configuration '$name'" >&2; exit 2 ;;
esac
dir="$root/build/$name"
# A compiler cache, when there is one, makes a rebuild of unchanged files quick; paths are
# taken relative to the checkout so that other checkouts of the project share its hits.
if command -v ccache >/dev/null; then
  flags+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
fi
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DVR31K_WERROR=ON "${flags[@]}" >/dev/null
fi
ninja -C "$dir" ${NINJA_FLAGS:-} "${@:2}"
