#!/usr/bin/env bash
# Runs the Windows test host under Wine on an Xvfb screen (1024 x 768, 16 bits)
# of its own, in one fresh prefix, twice: straight on the X screen, then on a
# 1024 x 768 virtual desktop, where mode changes work. Answers the host's
# screen checks by reading the X screen back with x_screen_check.
#
#   host_on_wine.sh [--wine LOADER] --screen-check PROGRAM HOST.exe DLL
#
# Screen checks: the host writes check-N.pixels and then check-N.ready
# ("left top width height same|differs what") into its sync directory and
# waits for check-N.done ("ok" or "fail"). "differs" is a control: the pixels
# were made not to match.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/wine_session.sh"

loader=/usr/lib/wine/wine64
screen_check=""
while [ $# -gt 2 ]; do
  case "$1" in
    --wine) loader=$2; shift 2 ;;
    --screen-check) screen_check=$2; shift 2 ;;
    *) break ;;
  esac
done
if [ $# -ne 2 ] || [ -z "$screen_check" ]; then
  echo "usage: $0 [--wine LOADER] --screen-check PROGRAM HOST.exe DLL" >&2
  exit 2
fi
host=$1
dll=$2

windows_path() { local p; p=$(realpath "$1"); printf 'Z:%s' "${p//\//\\}"; }

wine_session_begin "$loader"
wine_start_xvfb
wine_boot

# System-memory surfaces drawn by GDI (no GPU), and a crash ends the program
# instead of waiting on a dialog.
cat >"$wine_session_dir/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Direct3D]
"renderer"="gdi"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
cat >"$wine_session_dir/desktop.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
wine_import_registry "$(windows_path "$wine_session_dir/settings.reg")"

# One run of the host; answers its screen checks until it exits.
run_pass() {
  local pass=$1
  local sync="$wine_session_dir/sync-$pass" n=0 status=0 host_pid
  local left top width height expect what option
  mkdir -p "$sync"
  echo "== $pass pass (DISPLAY $DISPLAY)"
  wine_session_run "$host" "$(windows_path "$dll")" "$(windows_path "$sync")" "$pass" &
  host_pid=$!
  while :; do
    if [ -e "$sync/check-$n.ready" ]; then
      read -r left top width height expect what <"$sync/check-$n.ready"
      option=()
      [ "$expect" = differs ] && option=(--differs)
      if "$screen_check" "${option[@]}" "$left" "$top" "$width" "$height" \
        "$sync/check-$n.pixels"; then
        echo ok >"$sync/check-$n.answer"
      else
        echo "fail" >"$sync/check-$n.answer"
        echo "screen check $n ($what) failed" >&2
      fi
      mv "$sync/check-$n.answer" "$sync/check-$n.done"
      n=$((n + 1))
      continue
    fi
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.05
  done
  wait "$host_pid" || status=$?
  return "$status"
}

status=0
wine_start_server
run_pass screen || status=1
wine_stop INT "$wine_server_pid"
wine_server_pid=""

wine_import_registry "$(windows_path "$wine_session_dir/desktop.reg")"
wine_start_server
run_pass desktop || status=1
exit "$status"
