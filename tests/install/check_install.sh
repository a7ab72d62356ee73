#!/usr/bin/env bash
# Installs a build into a temporary prefix, moves the prefix (the installed
# files must not hold the path they were installed to), then builds and runs
# a consumer twice: through find_package and through pkg-config. The
# installed library exports RuvoDraw_Init alone and needs nothing beyond libc.
#   check_install.sh BUILD_DIR CONSUMER_DIR C_COMPILER LIBDIR WITH_PACK(ON|OFF)
set -euo pipefail
build=$1 consumer=$2 cc=$3 libdir=$4 with_pack=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/staged" >/dev/null
mv "$work/staged" "$work/prefix"
prefix=$work/prefix
files=(include/ruvodraw1024.h "$libdir/libruvodraw1024.so")
[ "$with_pack" = ON ] && files+=(bin/ruvo-pack)
for file in "${files[@]}" \
            "$libdir/cmake/ruvodraw1024/ruvodraw1024Config.cmake" \
            "$libdir/cmake/ruvodraw1024/ruvodraw1024ConfigVersion.cmake" \
            "$libdir/pkgconfig/ruvodraw1024.pc"; do
  [ -e "$prefix/$file" ] || fail "$file was not installed"
done

library=$prefix/$libdir/libruvodraw1024.so
needed=$(readelf -d "$library" | sed -n 's/.*NEEDED.*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
for lib in $needed; do
  case $lib in libc.so.*|libm.so.*|ld-linux*) ;; *) fail "the library needs $lib" ;; esac
done
exported=$(nm -D --defined-only "$library" | awk '{print $3}' | tr '\n' ' ')
[ "$exported" = "RuvoDraw_Init " ] || fail "the library exports: $exported"
if [ "$with_pack" = ON ]; then
  "$prefix/bin/ruvo-pack" --help >/dev/null || fail "the installed ruvo-pack does not run"
fi

# find_package(ruvodraw1024 CONFIG)
cmake -S "$consumer" -B "$work/by-cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_COMPILER="$cc" -DEXPECT_PACK="$with_pack" >"$work/log" 2>&1 ||
  { cat "$work/log"; fail "find_package consumer: configure"; }
cmake --build "$work/by-cmake" >"$work/log" 2>&1 || { cat "$work/log"; fail "find_package consumer: build"; }
"$work/by-cmake/consumer" || fail "find_package consumer: run"

# pkg-config
flags=$(PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" pkg-config --cflags --libs ruvodraw1024)
case $flags in *"$prefix"*) ;; *) fail "pkg-config gives no path into the prefix: $flags" ;; esac
# shellcheck disable=SC2086  # the flags are words
"$cc" -std=c99 -pedantic -Werror "$consumer/consumer.c" $flags \
  -Wl,-rpath,"$prefix/$libdir" -o "$work/by-pkg-config" || fail "pkg-config consumer: build"
"$work/by-pkg-config" || fail "pkg-config consumer: run"
echo "installed prefix serves find_package and pkg-config"
