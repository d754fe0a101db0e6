#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite, each test built and run
# once where a second build adds nothing: the threaded parts under ThreadSanitizer; the
# Debian packages, which are the optimised build as it ships (compiled with warnings as
# errors, checked, then installed, run, upgraded and purged in a throw-away Debian 12
# root); and every test, unit and end to end, in the ASan + UBSan build. It ends with each
# stage's time, the number of checks the tests ran, and ctest's summary of the sanitizer run.
# VR31K_PACKAGE_TESTS=0 leaves the packages (and so the optimised build) out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Each stage's time, printed at the end.
stages=()
stage_start=$SECONDS
stage() {
  stages+=("$(printf '%5d s  %s' $((SECONDS - stage_start)) "$1")")
  stage_start=$SECONDS
}
print_stages() {
  echo "== time of each stage =="
  printf '%s\n' "${stages[@]}"
  printf '%5d s  in all\n' "$SECONDS"
}
"$root/scripts/setup.sh"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/vr31k-xdg-XXXXXX)}
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

stage "setup"
"$root/scripts/build.sh" asan
stage "build: ASan + UBSan"
"$root/scripts/build.sh" tsan card_tests dialup_tests platform_tests
stage "build: ThreadSanitizer"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
status=0
echo "== threaded parts: serial channel, card engine, dial-up monitor (ThreadSanitizer build) =="
(cd "$root/build/tsan" && TSAN_OPTIONS=halt_on_error=1 \
  ctest --output-on-failure -j "$jobs" -R '^(CommChannel|CardEngine[A-Za-z]*|CardCheckFlow|NetnsLink|DialService|SerialDial)\.') || status=1
stage "tests: ThreadSanitizer"
if [ "${VR31K_PACKAGE_TESTS:-1}" != 0 ]; then
  echo "== Debian packages: build, lintian, desktop-file-validate, appstreamcli =="
  if changes=$(VR31K_WERROR=1 "$root/scripts/package.sh" | tail -1) && "$root/tests/package/package_checks.sh" "$changes"; then
    echo "== Debian packages: install, run, upgrade, purge in a Debian 12 root =="
    package_status=0
    "$root/tests/package/install_test.sh" "$(dirname "$changes")" || package_status=$?
    # 77: this machine cannot make the root; the test said why.
    [ $package_status = 0 ] || [ $package_status = 77 ] || status=1
  else
    status=1
  fi
  stage "Debian packages"
fi
echo "== tests (ASan + UBSan build) =="
asan_status=0
checks=$(mktemp)
(cd "$root/build/asan" && VR31K_CHECK_COUNT_FILE=$checks ctest --output-on-failure -j "$jobs" \
  >"$root/build/asan-tests.log" 2>&1) || asan_status=$?
stage "tests: ASan + UBSan"
print_stages
echo "$(awk '{ s += $1 } END { print s + 0 }' "$checks") checks run by the GoogleTest suites"
rm -f "$checks"
# ctest's summary of the sanitizer run stays the last lines.
cat "$root/build/asan-tests.log"
[ $asan_status = 0 ] || status=1
exit $status
