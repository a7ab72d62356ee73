#!/usr/bin/env bash
# The 32-bit Windows build's Wine tests, meant to run where 32-bit Wine starts
# (inside the guest of win32_guest.sh): one prefix booted once and copied for
# each session, then the Windows host with its screen checks and the unit
# tests, each step timed.
#
#   wine32_checks.sh [--quick] BUILD_DIR
#
# --quick runs the unit tests named in RUVO_WINE32_QUICK_FILTER (a GoogleTest
# filter) instead of all of them.
set -euo pipefail

filter=""
if [ "${1:-}" = --quick ]; then
  filter=${RUVO_WINE32_QUICK_FILTER:?"--quick needs RUVO_WINE32_QUICK_FILTER"}
  shift
fi
[ $# -eq 1 ] || { echo "usage: $0 [--quick] BUILD_DIR" >&2; exit 2; }
build=$(realpath "$1")
cd "$(dirname "$0")/../.."
loader=/usr/lib/wine/wine
[ -x "$loader" ] || { echo "the 32-bit Wine loader $loader is missing (Debian: wine32:i386)" >&2; exit 1; }

step_start=$SECONDS
step() {
  printf '%s: %d s\n' "$1" $((SECONDS - step_start))
  step_start=$SECONDS
}

template=$(mktemp -d "${TMPDIR:-/tmp}/wine32-template.XXXXXX")
trap 'rm -rf "$template"' EXIT
(
  export WINEPREFIX=$template/prefix WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  unset DISPLAY
  log=$template/wineboot.log
  # Under an emulated CPU on a busy machine the first boot can outlast the
  # loader's own wait for it ("boot event wait timed out"); it goes on in the
  # background, so wait for the server to end, then check the prefix starts.
  timeout "${RUVO_WINEBOOT_TIMEOUT:-900}" "$loader" wineboot -i >"$log" 2>&1 || true
  timeout "${RUVO_WINEBOOT_TIMEOUT:-900}" /usr/lib/wine/wineserver -w
  timeout "${RUVO_WINEBOOT_TIMEOUT:-900}" "$loader" cmd /c exit 7 >>"$log" 2>&1 && status=0 || status=$?
  timeout 120 /usr/lib/wine/wineserver -w
  if [ "$status" -ne 7 ]; then
    echo "the 32-bit prefix does not start (wineboot -i, then cmd: status $status):" >&2
    tail -n 20 "$log" >&2
    exit 1
  fi
)
export RUVO_WINE_PREFIX_TEMPLATE=$template/prefix
# Programs run many times slower under an emulated CPU.
export RUVO_WINE_TIMEOUT=${RUVO_WINE_TIMEOUT:-1200}
export RUVO_WINE_STEP_TIMEOUT=${RUVO_WINE_STEP_TIMEOUT:-600}
export RUVO_WINE_SESSION_LIMIT=${RUVO_WINE_SESSION_LIMIT:-2400}
step "wineboot (once, for every session)"

status=0
ctest --test-dir "$build" -R '^windows_host$' --output-on-failure || status=1
step "the Windows host, screen and desktop passes"

if [ -n "$filter" ]; then
  echo "unit tests: only $filter (--quick)"
  export GTEST_FILTER=$filter
fi
ctest --test-dir "$build" -R '^unit$' --output-on-failure || status=1
step "unit tests"
exit "$status"
