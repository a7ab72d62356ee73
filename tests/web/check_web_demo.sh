#!/usr/bin/env bash
# The demo page in headless Chromium against the native demo: frame N of the
# same camera path with fixed text, read back from the page's canvas, must
# have the native frame's pixels (the same frame hash).
#   check_web_demo.sh PAGE_DIR NATIVE_DEMO [FRAMES]
set -euo pipefail
page_dir=$1
native=$2
frames=${3:-48}
here=$(dirname "$0")

native_out=$(mktemp --suffix=.png)
trap 'rm -f "$native_out"' EXIT
expected=$("$native" --frames-count "$frames" --fixed-text --hash --out "$native_out" 2>/dev/null |
  sed -n 's/^frame hash //p')
[ -n "$expected" ] || { echo "the native demo gave no frame hash" >&2; exit 1; }
echo "native frame $frames: $expected"
python3 "$here/browser_page.py" "$page_dir" "index.html?frames-count=$frames&fixed-text&stop" \
  --expect-canvas "$expected"
