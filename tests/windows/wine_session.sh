# shellcheck shell=bash
# A Wine session of its own for one test run, sourced by wine_run.sh and
# host_on_wine.sh: a fresh prefix in a directory of its own, an Xvfb screen
# when asked for, a wineserver started here and stopped by its PID, and every
# Wine call under a timeout. wine_session_end (run on exit) stops what was
# started and removes the directory.
#
#   wine_session_begin LOADER    LOADER: /usr/lib/wine/wine64, or wine (32-bit)
#   wine_start_xvfb              DISPLAY on a fresh 1024x768x16 Xvfb screen
#   wine_boot                    wineboot -i into the prefix, then waits for it;
#                                a copy of RUVO_WINE_PREFIX_TEMPLATE instead, when
#                                set (a prefix booted once for many sessions)
#   wine_import_registry FILE    regedit /S FILE, then wineserver -k
#   wine_start_server            a persistent wineserver for the runs
#   wine_session_run ARGS...     LOADER ARGS under the run timeout
#
# Limits: RUVO_WINE_TIMEOUT for a run (300 s), RUVO_WINEBOOT_TIMEOUT for
# wineboot (180 s), RUVO_WINE_STEP_TIMEOUT for regedit and the server's waits
# (60 s); raise them where Wine runs on an emulated CPU.

wine_session_dir=""
wine_xvfb_pid=""
wine_server_pid=""
# Xvfb and the wineserver end by themselves after this long
# (RUVO_WINE_SESSION_LIMIT), should the session's own end never run. Signals to them pass through timeout.
wine_session_limit=${RUVO_WINE_SESSION_LIMIT:-1200}

wine_session_begin() {
  WINE_LOADER=$1
  case "$WINE_LOADER" in
    */*) WINE_SERVER="$(dirname "$WINE_LOADER")/wineserver" ;;
    *) WINE_SERVER=$(command -v wineserver || echo wineserver) ;;
  esac
  wine_session_dir=$(mktemp -d "${TMPDIR:-/tmp}/ruvo-wine.XXXXXX")
  export WINEPREFIX="$wine_session_dir/prefix"
  # The 32-bit loader makes a 32-bit prefix only when asked to.
  [ "$(basename "$WINE_LOADER")" = wine ] && export WINEARCH=win32
  export WINEDEBUG=-all
  unset DISPLAY  # no window on the developer's own screen; wine_start_xvfb sets one
  export WINEDLLOVERRIDES="mscoree,mshtml="  # no .NET or Gecko installer prompts
  trap wine_session_end EXIT
}

wine_start_xvfb() {
  local fd_file="$wine_session_dir/xvfb-display"
  timeout "$wine_session_limit" Xvfb -displayfd 3 -screen 0 1024x768x16 -nolisten tcp \
    3>"$fd_file" >/dev/null 2>&1 &
  wine_xvfb_pid=$!
  for _ in $(seq 600); do
    [ -s "$fd_file" ] && break
    kill -0 "$wine_xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; return 1; }
    sleep 0.1
  done
  [ -s "$fd_file" ] || { echo "Xvfb did not start in time" >&2; return 1; }
  DISPLAY=":$(head -n1 "$fd_file")"
  export DISPLAY
}

# Hard links to the template's files (hundreds of megabytes of DLLs, never
# written), real copies of the registry and the .ini files Wine rewrites.
wine_copy_template() {
  local file
  cp -a --link "$RUVO_WINE_PREFIX_TEMPLATE" "$WINEPREFIX" || return 1
  for file in "$WINEPREFIX"/*.reg "$WINEPREFIX"/.update-timestamp "$WINEPREFIX"/drive_c/windows/*.ini; do
    [ -f "$file" ] || continue
    cp -p "$file" "$file.copy" || return 1
    mv -f "$file.copy" "$file" || return 1
  done
}

wine_boot() {
  if [ -n "${RUVO_WINE_PREFIX_TEMPLATE:-}" ]; then
    wine_copy_template || { echo "cannot copy the prefix $RUVO_WINE_PREFIX_TEMPLATE" >&2; return 1; }
    return 0
  fi
  timeout "${RUVO_WINEBOOT_TIMEOUT:-180}" "$WINE_LOADER" wineboot -i >/dev/null 2>&1 ||
    { echo "wineboot -i failed" >&2; return 1; }
  timeout "${RUVO_WINE_STEP_TIMEOUT:-60}" "$WINE_SERVER" -w
}

wine_import_registry() {
  local limit=${RUVO_WINE_STEP_TIMEOUT:-60}
  timeout "$limit" "$WINE_LOADER" regedit /S "$1" || { echo "regedit $1 failed" >&2; return 1; }
  timeout "$limit" "$WINE_SERVER" -k || true
  timeout "$limit" "$WINE_SERVER" -w
}

# Where the server of this prefix puts its socket: Debian names a directory of
# its own (under the temporary directory) in $WINEPREFIX/wineserver, upstream
# uses /tmp/.wine-UID.
wine_server_socket() {
  local base device inode
  base="/tmp/.wine-$(id -u)"
  if [ -r "$WINEPREFIX/wineserver" ]; then
    base="/tmp/$(cat "$WINEPREFIX/wineserver")"
    [ -d "$base" ] || base="${TMPDIR:-/tmp}/$(cat "$WINEPREFIX/wineserver")"
  fi
  read -r device inode < <(stat -c '%d %i' "$WINEPREFIX")
  printf '%s/server-%x-%x/socket' "$base" "$device" "$inode"
}

wine_start_server() {
  timeout "$wine_session_limit" "$WINE_SERVER" -f -p >/dev/null 2>&1 &
  wine_server_pid=$!
  local socket
  for _ in $(seq 600); do
    socket=$(wine_server_socket)
    [ -S "$socket" ] && return 0
    kill -0 "$wine_server_pid" 2>/dev/null || { echo "wineserver did not start" >&2; return 1; }
    sleep 0.1
  done
  echo "wineserver did not start in time" >&2
  return 1
}

wine_session_run() {
  timeout "${RUVO_WINE_TIMEOUT:-300}" "$WINE_LOADER" "$@"
}

wine_stop() {  # SIGNAL PID: the signal, then KILL after five seconds
  local signal=$1 pid=$2
  kill "-$signal" "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

wine_session_end() {
  local socket_dir="" socket
  # No socket path (the prefix unreadable, or half made): nothing to remove.
  if [ -n "$wine_session_dir" ] && [ -d "$WINEPREFIX" ] && socket=$(wine_server_socket 2>/dev/null); then
    case "$socket" in /*/server-*/socket) socket_dir=$(dirname "$socket") ;; esac
  fi
  # On SIGINT the server ends every process of the prefix, then itself (what
  # wineserver -k asks of it); a TERM would leave the processes running.
  [ -n "$wine_server_pid" ] && wine_stop INT "$wine_server_pid"
  [ -n "$wine_xvfb_pid" ] && wine_stop TERM "$wine_xvfb_pid"
  wine_server_pid=""
  wine_xvfb_pid=""
  if [ -n "$socket_dir" ]; then
    rm -rf "$socket_dir"
    rmdir "$(dirname "$socket_dir")" 2>/dev/null || true
  fi
  [ -n "$wine_session_dir" ] && rm -rf "$wine_session_dir"
  wine_session_dir=""
}
