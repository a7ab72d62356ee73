#!/usr/bin/env bash
# Installs the Debian packages a build profile needs, only those missing.
#   tools/install-deps.sh test|bench|demo|web|ci
set -euo pipefail

common=(cmake g++ make googletest binutils)
# ruvo-pack and the demo: images, fonts, the quantiser (their tests run in make test).
toolkit=(pkg-config libpng-dev libfreetype-dev fonts-dejavu-core libimagequant-dev)
case "${1:-test}" in
  test)  packages=("${common[@]}" "${toolkit[@]}") ;;
  bench) packages=("${common[@]}" libbenchmark-dev pkg-config libsdl2-dev liballegro4-dev) ;;
  docs)  packages=("${common[@]}") ;;
  demo)  packages=("${common[@]}" "${toolkit[@]}" libsdl2-dev) ;;
  # The page: Emscripten for wasm32 (its optimiser runs on Node.js), headless Chromium for its test.
  web)   packages=("${common[@]}" "${toolkit[@]}" emscripten chromium python3) ;;
  ci)    packages=("${common[@]}" "${toolkit[@]}" libbenchmark-dev liballegro4-dev g++-multilib qemu-user-static clang libclang-rt-14-dev
                   xvfb libx11-dev libsdl2-dev libsdl2-2.0-0
                   g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 unzip emscripten chromium python3
                   qemu-system-x86 linux-image-amd64 busybox-static cpio wine32:i386) ;;
  *) echo "usage: $0 test|bench|demo|docs|web|ci" >&2; exit 2 ;;
esac
# The reference pages (make docs); make test and CI render and check them too.
case "${1:-test}" in test|docs|ci) packages+=(doxygen) ;; esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# 32-bit packages (wine32:i386) need the i386 architecture first.
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
