#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: the optimised build
# and then the sanitizer build. The last line is ctest's summary of the sanitizer run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/vr31k-xdg-XXXXXX)}
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

"$root/scripts/build.sh" release
"$root/scripts/build.sh" asan
"$root/scripts/build.sh" tsan card_tests dialup_tests

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
status=0
echo "== tests (release build) =="
(cd "$root/build/release" && ctest --output-on-failure -j "$jobs") || status=1
echo "== threaded parts: serial channel, card engine, dial-up monitor (ThreadSanitizer build) =="
(cd "$root/build/tsan" && TSAN_OPTIONS=halt_on_error=1 \
  ctest --output-on-failure -j "$jobs" -R '^(CommChannel|CardEngine[A-Za-z]*|CardCheckFlow|NetnsLink|DialService|SerialDial)\.') || status=1
echo "== tests (ASan + UBSan build) =="
(cd "$root/build/asan" && ctest --output-on-failure -j "$jobs") || status=1
exit $status
