#!/usr/bin/env bash
# Runs one job inside a guest Linux kernel booted under QEMU (software CPU
# emulation, a CPU without AVX), for programs the host kernel cannot run:
# 32-bit Wine needs a kernel with IA-32 emulation, which Debian's own kernel
# has. The guest sees the host's / read-only, a fresh tmpfs on /tmp and each
# --writable directory writable at its own path; the job runs there as root,
# in a chroot, from the current directory, with the caller's RUVO_* variables.
# Its output is streamed here; this script exits with its status.
#
#   win32_guest.sh [--timeout SECONDS] [--memory MB] [--cpus N]
#                  [--writable DIR]... [--] COMMAND [ARGS...]
#
# The kernel is the newest /boot/vmlinuz-* (or RUVO_GUEST_KERNEL), its modules
# from /lib/modules/<version>. QEMU is stopped however this script ends.
set -euo pipefail

limit=1800
memory=2048
cpus=1
writable=()
while [ $# -gt 0 ]; do
  case "$1" in
    --timeout) limit=$2; shift 2 ;;
    --memory) memory=$2; shift 2 ;;
    --cpus) cpus=$2; shift 2 ;;
    --writable) writable+=("$2"); shift 2 ;;
    --) shift; break ;;
    -*) echo "win32_guest.sh: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: $0 [--timeout SECONDS] [--memory MB] [--cpus N] [--writable DIR]... [--] COMMAND [ARGS...]" >&2
  exit 2
fi

fail() { echo "win32_guest.sh: $*" >&2; exit 1; }

command -v qemu-system-x86_64 >/dev/null || fail "qemu-system-x86_64 is not installed (Debian: qemu-system-x86)"
busybox=""
for candidate in /bin/busybox /usr/bin/busybox; do
  if [ -x "$candidate" ] && ! ldd "$candidate" >/dev/null 2>&1; then busybox=$candidate; break; fi
done
[ -n "$busybox" ] || fail "no statically linked busybox (Debian: busybox-static)"
command -v cpio >/dev/null || fail "cpio is not installed"

kernel=${RUVO_GUEST_KERNEL:-$(find /boot -maxdepth 1 -name 'vmlinuz-*' 2>/dev/null | sort -V | tail -n1)}
if [ -z "$kernel" ] || [ ! -r "$kernel" ]; then
  fail "no readable kernel in /boot (Debian: linux-image-amd64)"
fi
version=${kernel##*/vmlinuz-}
modules_dir=/lib/modules/$version
[ -d "$modules_dir" ] || fail "no modules for kernel $version in $modules_dir"

work=$(mktemp -d "${TMPDIR:-/tmp}/ruvo-guest.XXXXXX")
qemu_pid=""
# shellcheck disable=SC2317  # run by the trap
stop_guest() {
  if [ -n "$qemu_pid" ]; then
    kill "$qemu_pid" 2>/dev/null || true
    wait "$qemu_pid" 2>/dev/null || true
    qemu_pid=""
  fi
  rm -rf "$work"
}
trap stop_guest EXIT
trap 'echo "win32_guest.sh: interrupted" >&2; exit 130' INT TERM

# The initramfs: busybox, the modules that mount a 9p share over virtio (in
# the order they depend on each other), and the init below.
root=$work/initramfs
mkdir -p "$root/bin" "$root/modules" "$root/newroot"
cp "$busybox" "$root/bin/busybox"
for module in virtio_ring virtio virtio_pci_legacy_dev virtio_pci_modern_dev virtio_pci \
  9pnet 9pnet_virtio netfs fscache 9p; do
  file=$(find "$modules_dir/kernel" -name "$module.ko*" | head -n1)
  if [ -z "$file" ]; then
    # Built into this kernel rather than a module: nothing to load.
    grep -qs "/$module.ko" "$modules_dir/modules.builtin" && continue
    fail "module $module not found under $modules_dir"
  fi
  case "$file" in
    *.ko) cp "$file" "$root/modules/$module.ko" ;;
    *.ko.xz) xz -dc "$file" >"$root/modules/$module.ko" ;;
    *.ko.zst) zstd -qdc "$file" >"$root/modules/$module.ko" ;;
    *.ko.gz) gzip -dc "$file" >"$root/modules/$module.ko" ;;
    *) fail "cannot read module $file" ;;
  esac
  echo "$module" >>"$root/modules/order"
done

# The shares: the host's root read-only, this run's own directory (the job
# and its status), and each --writable directory, each mounted at its own path.
qemu_shares=(-virtfs "local,path=/,mount_tag=ruvoroot,security_model=none,readonly=on,multidevs=remap")
control=$work/control
mkdir -p "$control"
n=0
# The control share last, so that no other share hides it.
for dir in "${writable[@]}" "$control"; do
  [ -d "$dir" ] || fail "--writable $dir is not a directory"
  dir=$(realpath "$dir")
  case "$dir" in *,*) fail "a share path cannot hold a comma: $dir" ;; esac
  qemu_shares+=(-virtfs "local,path=$dir,mount_tag=ruvo$n,security_model=none,multidevs=remap")
  printf 'ruvo%d %s\n' "$n" "$dir" >>"$root/shares"
  n=$((n + 1))
done
printf '%s\n' "$control" >"$root/control"

{
  echo '#!/bin/bash'
  # A clean environment: the caller's PATH and RUVO_* variables, nothing else.
  printf 'export PATH=%q\n' "$PATH"
  while IFS= read -r name; do
    printf 'export %s=%q\n' "$name" "${!name}"
  done < <(compgen -e | grep '^RUVO_' || true)
  printf 'cd %q || exit 1\n' "$PWD"
  printf 'exec'
  printf ' %q' "$@"
  printf '\n'
} >"$control/job.sh"

cat >"$root/init" <<'INIT'
#!/bin/busybox sh
# Loads the 9p modules, mounts the host's root and the shares, runs the job in
# a chroot with its output on the console, writes its status, powers off.
/bin/busybox --install -s /bin
export PATH=/bin
mkdir -p /proc /sys /dev
mount -t proc proc /proc
mount -t devtmpfs dev /dev
stty -F /dev/console -onlcr 2>/dev/null
die() { echo "guest: $*" >/dev/console; poweroff -f; }
while read -r module; do
  insmod "/modules/$module.ko" || die "cannot load $module"
done </modules/order
# Cached, because uncached reads of a large file can come back short, and
# Wine reads unaligned PE sections with one read that it does not repeat
# (sections of zeros). Nothing on the host changes the shares during the job;
# what the guest writes reaches the host at the sync below.
options=trans=virtio,version=9p2000.L,msize=262144,cache=loose
mount -t 9p -o "$options,ro" ruvoroot /newroot || die "cannot mount the host's root"
r=/newroot
mount -t proc proc $r/proc && mount -t sysfs sys $r/sys && mount -t devtmpfs dev $r/dev &&
  mkdir -p $r/dev/pts $r/dev/shm && mount -t devpts devpts $r/dev/pts && mount -t tmpfs shm $r/dev/shm &&
  mount -t tmpfs -o size=75% tmp $r/tmp && mount -t tmpfs run $r/run || die "cannot mount proc, sys, dev or tmp"
chmod 1777 $r/tmp $r/dev/shm
ln -s /proc/self/fd $r/dev/fd
ln -s fd/0 $r/dev/stdin && ln -s fd/1 $r/dev/stdout && ln -s fd/2 $r/dev/stderr
while read -r tag path; do
  mkdir -p "$r$path" 2>/dev/null
  mount -t 9p -o "$options" "$tag" "$r$path" || die "cannot mount $path"
done </shares
control=$(cat /control)
echo "guest: kernel $(uname -r), job starting" >/dev/console
chroot $r /usr/bin/env -i HOME=/tmp TMPDIR=/tmp LANG=C.UTF-8 TERM=dumb \
  /bin/bash "$control/job.sh" </dev/null >/dev/console 2>&1
echo $? >"$r$control/status"
sync
poweroff -f
INIT
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1 >"$work/initramfs.gz")

echo "win32_guest.sh: booting $kernel (limit ${limit} s)"
started=$SECONDS
# SIGINT does not reach a background job of a script: the traps stop QEMU.
timeout -k 10 "$limit" qemu-system-x86_64 -accel tcg -cpu Nehalem -m "$memory" -smp "$cpus" \
  -nodefaults -display none -no-reboot -serial stdio \
  -kernel "$kernel" -initrd "$work/initramfs.gz" \
  -append "console=ttyS0 quiet loglevel=3 panic=-1 rdinit=/init" \
  "${qemu_shares[@]}" </dev/null &
qemu_pid=$!
qemu_status=0
wait "$qemu_pid" || qemu_status=$?
qemu_pid=""
elapsed=$((SECONDS - started))
if [ "$qemu_status" -eq 124 ] || [ "$qemu_status" -eq 137 ]; then
  fail "the guest did not finish within ${limit} s (stopped)"
fi
[ "$qemu_status" -eq 0 ] || fail "qemu-system-x86_64 failed (status $qemu_status)"
[ -s "$control/status" ] || fail "the guest ended without the job's status (see its output above)"
status=$(cat "$control/status")
echo "win32_guest.sh: job exited with status $status after ${elapsed} s in the guest"
exit "$status"
