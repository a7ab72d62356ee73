#!/usr/bin/env bash
# ruvo-pack from the command line: every error case exits non-zero with one
# line on stderr and no crash; the good cases write files of the library's
# sizes, and view reads each of them back.
#   pack_cli_test.sh RUVO_PACK PACK_FIXTURES FONT
set -uo pipefail
pack=$1 fixtures=$2 font=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$fixtures" "$dir" || exit 1
cd "$dir"
failures=0

# expect_error STATUS PATTERN ARGS...: exits with STATUS, one stderr line matching PATTERN.
expect_error() {
  local status=$1 pattern=$2; shift 2
  "$pack" "$@" >/dev/null 2>err.txt
  local got=$?
  local lines; lines=$(wc -l <err.txt)
  if [ "$got" -ne "$status" ] || [ "$lines" -ne 1 ] || ! grep -q -- "$pattern" err.txt; then
    echo "FAIL: ruvo-pack $* -> exit $got, stderr: $(cat err.txt)"
    failures=$((failures + 1))
  fi
}
expect_ok() {
  if ! "$pack" "$@" >/dev/null 2>err.txt; then
    echo "FAIL: ruvo-pack $* -> $(cat err.txt)"
    failures=$((failures + 1))
  fi
}
expect_size() {
  local size; size=$(stat -c %s "$1")
  [ "$size" -eq "$2" ] || { echo "FAIL: $1 is $size bytes, not $2"; failures=$((failures + 1)); }
}

expect_error 1 "No such file" sprite missing.png -o out.spr --coding index
expect_error 1 "not a PNG file" sprite text.png -o out.spr --coding index
expect_error 1 "not a PNG file" palette tile.png text.png -o out.pal
expect_error 1 "not a font file" font text.ttf --size 12 -o out.fnt
expect_error 1 "No such file\|cannot open" font missing.ttf --size 12 -o out.fnt
expect_error 1 "63 x 32" tile wrong_size.png -o out.til
expect_error 1 "more than a palette holds" sprite many_colours.png -o out.spr --coding index
expect_error 1 "more than a palette holds" sprite many_colours.png -o out.spr --coding blend
expect_error 1 "sprite row holds" sprite wide.png -o out.spr --coding colour
expect_error 1 "512 bytes" shade tile.png -o out.shd
expect_error 1 "512 bytes" sprite sprite.png -o out.spr --coding index --palette tile.png
expect_error 2 "coding must be" sprite sprite.png -o out.spr --coding rainbow
expect_error 2 "missing -o" tile tile.png
expect_error 2 "size must be a number" font "$font" --size big -o out.fnt
expect_error 1 "size must be 4..200" font "$font" --size 1000 -o out.fnt
expect_error 2 "unknown command" squash tile.png
expect_error 2 "unknown option" view tile.png --frobnicate 1 -o x.png
expect_error 1 "sprite" view text.png -o x.png --as sprite
expect_error 1 "font" view text.png -o x.png --as font

for command in sprite palette font tile shade view; do
  "$pack" "$command" --help | grep -q "usage: ruvo-pack $command" ||
    { echo "FAIL: $command --help"; failures=$((failures + 1)); }
done

expect_ok palette tile.png sprite.png many_colours.png -o pal.pal --colours 200
expect_size pal.pal 512
expect_ok shade pal.pal -o pal.shd
expect_size pal.shd 32768
expect_ok tile tile.png -o tile.til
expect_size tile.til 1024
expect_size tile.til.pal 512
expect_ok font "$font" --size 14 -o text.fnt
for coding in index blend colour mask; do expect_ok sprite sprite.png -o "$coding.spr" --coding "$coding"; done
expect_ok sprite many_colours.png -o mapped.spr --coding index --palette pal.pal
for file in pal.pal pal.shd tile.til text.fnt index.spr blend.spr mask.spr mapped.spr; do
  expect_ok view "$file" -o "$file.png"
done
expect_ok view colour.spr -o colour.png --coding colour

[ "$failures" -eq 0 ] && echo "all ruvo-pack cases pass"
exit $((failures > 0))
