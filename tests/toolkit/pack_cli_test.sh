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
expect_error 2 "size must be 4..200" font "$font" --size 1000 -o out.fnt
expect_error 2 "unknown command" squash tile.png
expect_error 2 "unknown option" view tile.png --frobnicate 1 -o x.png
expect_error 1 "sprite" view text.png -o x.png --as sprite
expect_error 1 "font" view text.png -o x.png --as font

# libpng's reason in our one line; an image too large refused from its header
# (decoding 16384 x 16384 took seconds and gigabytes).
expect_error 1 "truncated.png: damaged PNG file (.\+)" sprite truncated.png -o out.spr --coding index
start=$(date +%s%N)
expect_error 1 "16384 x 16384 pixels, more than ruvo-pack takes" sprite huge.png -o out.spr --coding index
[ $(( ($(date +%s%N) - start) / 1000000 )) -lt 2000 ] ||
  { echo "FAIL: the huge image was not refused at once"; failures=$((failures + 1)); }

# A refused option leaves no file behind, the palette made from the image included.
expect_error 2 "anchor must be bottom or centre" sprite sprite.png -o stray.spr --coding index --anchor left
expect_error 2 "not both" sprite sprite.png -o stray.spr --coding index --anchor bottom --offset 1,2
expect_error 2 "needs --coding index" sprite sprite.png -o stray.spr --coding blend --kind translucent
expect_error 2 "takes no palette" sprite sprite.png -o stray.spr --coding mask --palette pal.pal
expect_error 2 "offset values" sprite sprite.png -o stray.spr --coding index --offset 40000,0
expect_error 2 "fills must be fast or small" sprite sprite.png -o stray.spr --coding index --fills tiny
expect_error 2 "ramp" font "$font" --size 12 --ramp 250,10 -o stray.fnt
expect_error 2 "weight must be 0..31" blendtable tile.png --weight 32 -o stray.tbl
expect_error 2 "missing --weight" blendtable tile.png -o stray.tbl
expect_error 2 "as must be" view tile.png --as picture -o stray.png
for stray in stray.spr stray.spr.pal stray.fnt stray.tbl stray.png; do
  [ ! -e "$stray" ] || { echo "FAIL: a refused command wrote $stray"; failures=$((failures + 1)); }
done

# --help states the limits.
"$pack" font --help | grep -q "4..200" || { echo "FAIL: font --help lacks the size range"; failures=$((failures + 1)); }
"$pack" palette --help | grep -q "2..256" || { echo "FAIL: palette --help lacks the range"; failures=$((failures + 1)); }

for command in sprite palette font tile shade blendtable view; do
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

# A colour sprite views without options: its kind byte says index, its bytes
# parse only as colour runs, and the tool says which it took.
if ! "$pack" view colour.spr -o colour2.png >out.txt 2>&1 || ! grep -q "colour runs" out.txt; then
  echo "FAIL: view of a colour sprite: $(cat out.txt)"; failures=$((failures + 1))
fi
cmp -s colour.png colour2.png || { echo "FAIL: colour sprite viewed differently"; failures=$((failures + 1)); }
# After writing a sprite the tool names the operations that read its coding.
"$pack" sprite sprite.png -o walker.spr --coding index >out.txt
if ! grep -q "DrawScreenSpriteTested" out.txt || grep -q "StampBackSpriteP0" out.txt; then
  echo "FAIL: index sprite operations: $(cat out.txt)"; failures=$((failures + 1))
fi
"$pack" sprite sprite.png -o tree.spr --coding blend >out.txt
grep -q "StampBackSpriteP0" out.txt || { echo "FAIL: blend sprite operations"; failures=$((failures + 1)); }
expect_ok sprite sprite.png -o glass.spr --coding index --kind translucent
[ "$(od -An -tx1 -j8 -N1 glass.spr | tr -d ' ')" = a9 ] ||
  { echo "FAIL: --kind translucent is not kind 0xA9"; failures=$((failures + 1)); }

# --fills small writes every repeat as a fill: never a larger file than the
# default, and the same picture.
for coding in index blend colour; do
  expect_ok sprite sprite.png -o "small_$coding.spr" --coding "$coding" --fills small
  [ "$(stat -c %s "small_$coding.spr")" -le "$(stat -c %s "$coding.spr")" ] ||
    { echo "FAIL: --fills small is larger ($coding)"; failures=$((failures + 1)); }
  expect_ok view "small_$coding.spr" -o "small_$coding.png" --coding "$coding"
  expect_ok view "$coding.spr" -o "fast_$coding.png" --coding "$coding"
  cmp -s "small_$coding.png" "fast_$coding.png" ||
    { echo "FAIL: --fills small changes the picture ($coding)"; failures=$((failures + 1)); }
done

# BlendTable: entry 0 from white. Weight 16 keeps half of the pixel below and
# adds white halved per channel (0x7BEF) with the weight in bits 19..23;
# weight 0 adds the colour whole; weight 31 keeps the pixel (and adds 0x0020).
{ printf '\xff\xff'; head -c 510 /dev/zero; } >white.pal
for case in "16 ef7b8000" "0 ffff0000" "31 2000f800"; do
  read -r weight want <<<"$case"
  expect_ok blendtable white.pal --weight "$weight" -o "w$weight.tbl"
  expect_size "w$weight.tbl" 1024
  got=$(od -An -tx1 -N4 "w$weight.tbl" | tr -d ' ')
  [ "$got" = "$want" ] || { echo "FAIL: weight $weight entry 0 is $got, not $want"; failures=$((failures + 1)); }
done
"$pack" view w16.tbl -o w16.png >out.txt
grep -q "blendtable" out.txt || { echo "FAIL: a blend table viewed as: $(cat out.txt)"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "all ruvo-pack cases pass"
exit $((failures > 0))
