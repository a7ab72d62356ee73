#!/usr/bin/env bash
# Checks win32_guest.sh itself, in two boots: a job that runs a 32-bit
# program, writes into its writable share, sees its arguments, variables and
# directory, and exits 3 (which must come back as 3); and a job that outlasts
# its time limit (which must fail, and leave no QEMU behind).
set -euo pipefail
cd "$(dirname "$0")/../.."
guest=tests/windows/win32_guest.sh
failures=0
check() {  # DESCRIPTION CONDITION...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}

out=$(mktemp -d "${TMPDIR:-/tmp}/win32-guest-test.XXXXXX")
trap 'rm -rf "$out"' EXIT

status=0
# shellcheck disable=SC2016  # expanded in the guest
RUVO_GUEST_TEST_VALUE="a b" TMPDIR=$out "$guest" --timeout 300 --writable "$out" -- bash -c '
  /usr/lib/wine/wine --version >"$1/loader" 2>&1 && echo 32 >"$1/ran"
  printf "%s|%s|%s" "$2" "$RUVO_GUEST_TEST_VALUE" "$PWD" >"$1/seen"
  touch /tmp/scratch && echo tmp >"$1/tmp"
  touch /usr/ruvo-guest-test 2>/dev/null || echo ro >"$1/ro"
  exit 3' job "$out" "two words" >"$out/log" 2>&1 || status=$?
check "the job's status comes back" [ "$status" -eq 3 ]
check "a 32-bit program runs" grep -qx 32 "$out/ran"
check "arguments, RUVO_ variables and the directory reach the job" \
  grep -qxF "two words|a b|$PWD" "$out/seen"
check "/tmp is writable" grep -qx tmp "$out/tmp"
check "the host's root is read-only" grep -qx ro "$out/ro"
check "the host's root is untouched" [ ! -e /usr/ruvo-guest-test ]

status=0
started=$SECONDS
TMPDIR=$out "$guest" --timeout 15 -- sleep 600 >"$out/log-timeout" 2>&1 || status=$?
check "a job past its limit fails" [ "$status" -ne 0 ]
check "with a message" grep -q "did not finish within 15 s" "$out/log-timeout"
check "soon after the limit" [ $((SECONDS - started)) -lt 60 ]
check "no QEMU left running" [ -z "$(pgrep -f "$out/ruvo-guest" || true)" ]

if [ "$failures" -ne 0 ]; then
  cat "$out/log" "$out/log-timeout" >&2
  exit 1
fi
