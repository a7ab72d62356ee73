#!/usr/bin/env bash
# Runs one Windows program under Wine in a fresh prefix of its own, removed
# afterwards; exits with the program's status. The emulator of the Windows
# presets, so that ctest runs the cross-built tests this way.
#   wine_run.sh [--wine LOADER] PROGRAM [ARGS...]
set -euo pipefail
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/wine_session.sh"

loader=/usr/lib/wine/wine64
if [ "${1:-}" = --wine ]; then
  loader=$2
  shift 2
fi
wine_session_begin "$loader"
wine_boot
wine_start_server
status=0
wine_session_run "$@" || status=$?
exit "$status"
