#!/usr/bin/env bash
# ruvo-trace end to end: records the demo through the tracing library,
# replays it bit for bit, compares builds (one altered in one operation),
# profiles, and rejects a damaged trace with the offset of the damage.
# usage: trace_cli_test.sh RUVO_TRACE RUVO_DEMO LIBRARY ALTERED_LIBRARY TRACER_HOST LINKED_HOST
#        WORKDIR
set -euo pipefail
trace=$1 demo=$2 library=$3 altered=$4 host=$5 linked=$6 work=$7
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$trace" record -o "$work/demo.trace" -- "$demo" --library @tracer --frames-count 12 \
  --fixed-text --hash --out "$work/demo.png" >"$work/record.txt" 2>/dev/null
grep -q "recorded .* 12 frames" "$work/record.txt" || fail "record: $(cat "$work/record.txt")"
host_hash=$(sed -n 's/^frame hash //p' "$work/record.txt")
[ -n "$host_hash" ] || fail "the demo printed no frame hash"

# The replayed frames equal the host's, the last one the demo's own picture.
"$trace" replay "$work/demo.trace" --library "$library" --frames "$work/frames" >"$work/replay.txt" \
  || fail "replay: $(cat "$work/replay.txt")"
grep -q "12 of 12 frames checked against the recording: all equal" "$work/replay.txt" \
  || fail "replay: $(cat "$work/replay.txt")"
grep -q "last frame hash $host_hash" "$work/replay.txt" \
  || fail "replayed last frame is not the demo's $host_hash: $(cat "$work/replay.txt")"
[ -s "$work/frames/frame-0012.png" ] || fail "no frame-0012.png"

"$trace" compare "$work/demo.trace" "$library" "$library" >"$work/same.txt" \
  || fail "compare with itself: $(cat "$work/same.txt")"
grep -q "agree on all" "$work/same.txt" || fail "$(cat "$work/same.txt")"
if "$trace" compare "$work/demo.trace" "$library" "$altered" >"$work/altered.txt"; then
  fail "an altered BlendRect went unnoticed"
fi
grep -q "BlendRect(" "$work/altered.txt" && grep -q "ScreenLayer differs" "$work/altered.txt" \
  || fail "compare: $(cat "$work/altered.txt")"

"$trace" profile "$work/demo.trace" --library "$library" --csv --chart "$work/chart.png" \
  >"$work/profile.csv"
head -1 "$work/profile.csv" | grep -q "^frame,slot,name,calls,pixels,nanoseconds$" || fail "csv header"
grep -q "^12,[0-9]*,PresentLit,1," "$work/profile.csv" || fail "no PresentLit in frame 12"
[ -s "$work/chart.png" ] || fail "no chart"

# A host that checks the record it gets from the tracer, then replays.
"$trace" record -o "$work/host.trace" -- "$host" @tracer >"$work/host.txt" \
  || fail "tracer_host: $(cat "$work/host.txt")"
"$trace" replay "$work/host.trace" --library "$library" >"$work/host-replay.txt" \
  || fail "tracer_host replay: $(cat "$work/host-replay.txt")"
grep -q "2 of 2 frames checked against the recording: all equal" "$work/host-replay.txt" \
  || fail "tracer_host replay: $(cat "$work/host-replay.txt")"

# A host linked with the library finds the tracer by name.
"$trace" record -o "$work/linked.trace" -- "$linked" >"$work/linked.txt" \
  || fail "linked_host: $(cat "$work/linked.txt")"
"$trace" replay "$work/linked.trace" --library "$library" | grep -q "1 of 1 frames .*all equal" \
  || fail "linked_host replay"

# A cut trace: one line naming the byte offset, status 1.
size=$(stat -c %s "$work/demo.trace")
head -c $((size / 2)) "$work/demo.trace" >"$work/cut.trace"
if "$trace" replay "$work/cut.trace" --library "$library" 2>"$work/cut.txt"; then
  fail "a cut trace was replayed"
fi
grep -Eq "^ruvo-trace: .*cut.trace: byte [0-9]+: " "$work/cut.txt" && [ "$(wc -l <"$work/cut.txt")" -eq 1 ] \
  || fail "cut trace: $(cat "$work/cut.txt")"

# A host that never loads the tracer is told so.
if "$trace" record -o "$work/none.trace" -- true 2>"$work/none.txt"; then fail "no trace, no error"; fi
grep -q "never called" "$work/none.txt" || fail "$(cat "$work/none.txt")"
echo "ruvo-trace: record, replay, compare, profile and errors as expected"
