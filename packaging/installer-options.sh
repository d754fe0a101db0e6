# Options of the install-*.sh scripts (sourced, not run). Each installer takes
#   --check     report what it would change and exit 1 if anything, 0 if all is in place;
#               needs no privileges, changes nothing
#   --root DIR  work on a system tree below DIR instead of / (packaging, tests)
check=0
sysroot=
while [ $# -gt 0 ]; do
  case "$1" in
    --check) check=1 ;;
    --root) sysroot=${2:?--root needs a folder}; shift ;;
    *) echo "$(basename "$0"): unknown option '$1' (options: --check, --root DIR)" >&2; exit 2 ;;
  esac
  shift
done
# In --check mode: says what is out of date and ends the installer with status 1.
needs_change() {
  if [ "$check" = 1 ]; then
    echo "$(basename "$0"): $*"
    exit 1
  fi
}
