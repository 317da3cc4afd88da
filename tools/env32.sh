#!/bin/bash
# The 32-bit environment the shipped exe is tested in: an i386 Debian chroot run through qemu.
#
#   tools/env32.sh ensure        makes it ready: built once into the cache, then extracted
#   tools/env32.sh ready         exit 0 when `ensure` would not download anything
#   tools/env32.sh run CMD...    runs CMD here with the chroot mounted (in a private mount
#                                namespace, so no mount outlives the run or shows outside it)
#   tools/env32.sh exec PROG...  inside `run`: PROG in the chroot, in the same folder
#   KS_ENV32_EMULATE=1 ...       qemu runs every i386 program of `run` even where the kernel
#                                could, registered in a user namespace's own binfmt_misc
#
# This kernel runs no 32-bit code, so i386 programs go through qemu user-mode emulation,
# registered with binfmt_misc (flag F: it works inside any chroot). Bookworm's own qemu 7.2
# is far too slow for Wine; backports' static 10.0 is fetched and only unpacked. The 32-bit
# wineserver cannot ptrace under emulation (other processes' memory could not be read), so
# the native 64-bit server of the same Wine version serves the 32-bit programs.
set -euo pipefail
SELF=$(cd "$(dirname "$0")" && pwd)/env32.sh
NAME=env32
ENV_VAR=KS_ENV32
# Outside the clone: CI starts from a fresh clone each time, and the second run must be quick.
CACHE=${KS_ENV32_CACHE:-/var/cache/ksinstaller-env32}
ARCH=i386
SUITE=bookworm
PACKAGES="wine wine32 fonts-dejavu-core"
. "$(dirname "$SELF")/chroot-env.sh"
CHROOT=$ROOT/build/env32/root
# A change of recipe gets a new archive instead of reusing an old one.
KEY=$(echo "4 $PACKAGES $MIRROR" | md5sum | cut -c1-12)
TARBALL=$CACHE/chroot-i386-$KEY.tar
QEMU=$CACHE/qemu/i386-binfmt-P
BINFMT=/proc/sys/fs/binfmt_misc
PROBE=$CACHE/qemu/probe-i386
# The native server of the same Wine version serves the emulated programs.
EXEC_ENV=(WINESERVER=/usr/lib/wine/wineserver64)
# Where qemu is forced, `run` gets a user namespace and with it a binfmt_misc of its own: the
# machine's registrations, which other runs rely on, stay as they are.
# A chroot may make no user namespace (the kernel refuses one to a chrooted process): there the
# machine's binfmt_misc serves, which forces nothing, so it does only where the kernel runs no i386
# program itself, and `ensure` says which.
FORCED=() SHARED_EMULATION=""
if [ -n "${KS_ENV32_EMULATE:-}" ]; then
  if unshare --user --map-root-user true 2>/dev/null; then FORCED=(--user --map-root-user); else SHARED_EMULATION=1; fi
fi

# The host's own packages stay as they are: downloads use a private apt state in the cache.
host_apt() {
  local a=$CACHE/apt
  mkdir -p "$a/state/lists/partial" "$a/cache/archives/partial"
  cat >"$a/sources.list" <<EOF
deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $MIRROR bookworm main
deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $MIRROR bookworm-updates main
deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $MIRROR bookworm-backports main
EOF
  apt-get -qq -o Dir::Etc::SourceList="$a/sources.list" -o Dir::Etc::SourceParts=- \
    -o Dir::State="$a/state" -o Dir::Cache="$a/cache" -o APT::Architectures=amd64 \
    -o APT::Sandbox::User=root "$@" </dev/null
}

# A mirror in the middle of a sync serves indexes that fail their checks for a while.
apt_update() {
  local t
  for t in 15 30 45 0; do
    host_apt update && return
    [ $t != 0 ] || return 1
    sleep $t
  done
}

# PACKAGE=VERSION... unpacked into DIR.
fetch_unpack() {
  local dir=$1 d
  shift
  d=$(mktemp -d "$CACHE/debs.XXXXXX")
  (cd "$d" && host_apt download "$@") || { rm -rf "$d"; die "could not download $*"; }
  mkdir -p "$dir"
  for f in "$d"/*.deb; do dpkg-deb -x "$f" "$dir"; done
  rm -rf "$d"
}

ensure_qemu() {
  [ -x "$CACHE/qemu/qemu-i386" ] && return
  say "fetching qemu-user 10 from bookworm-backports"
  apt_update || die "apt-get update of bookworm-backports failed"
  rm -rf "$CACHE/qemu.tmp"
  fetch_unpack "$CACHE/qemu.tmp" qemu-user/bookworm-backports
  mkdir -p "$CACHE/qemu"
  cp "$CACHE/qemu.tmp/usr/bin/qemu-i386" "$CACHE/qemu/"
  # The name tells qemu that the kernel passes the program's own argv[0] (flag P).
  ln -sf qemu-i386 "$QEMU"
  rm -rf "$CACHE/qemu.tmp"
}

# An i386 program that only exits 0: tells whether this machine runs i386 programs now.
make_probe() {
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\010\064\0\0\0\0\0\0\0\0\0\0\0\064\0\040\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\010\0\200\4\010\133\0\0\0\133\0\0\0\5\0\0\0\0\020\0\0\061\333\061\300\100\315\200' >"$PROBE"
  chmod +x "$PROBE"
}

register_qemu() {
  printf '%s' ":qemu-i386:M::\\x7f\\x45\\x4c\\x46\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\xfc\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$QEMU:POF" \
    >"$BINFMT/register"
}

# First in every namespace: binfmt_misc mounted, and qemu registered unless something runs i386
# programs already. The registration is machine-wide: never removed, never doubled (a fresh
# mount does not list what an earlier one registered, so the probe decides). In a user namespace
# of its own (KS_ENV32_EMULATE) the mount is a new, empty binfmt_misc that this namespace alone
# sees, and qemu is registered there whatever the kernel runs.
ns_ready() {
  if [ -n "${KS_OWN_USERNS:-}" ]; then
    mount_here -t binfmt_misc binfmt_misc "$BINFMT" ||
      die "this kernel gives a user namespace no binfmt_misc of its own (Linux 6.7 and later do): cannot force emulation"
    register_qemu || die "registering qemu in the namespace's own binfmt_misc failed"
    "$PROBE" || die "qemu runs no i386 program"
    return
  fi
  [ -f "$BINFMT/status" ] || mount_here -t binfmt_misc binfmt_misc "$BINFMT" ||
    die "i386 programs cannot run: binfmt_misc cannot be mounted (needs root)"
  "$PROBE" 2>/dev/null && return 0
  [ ! -e "$BINFMT/qemu-i386" ] || die "$BINFMT/qemu-i386 is there but runs no i386 program"
  register_qemu || die "i386 programs cannot run: registering qemu with binfmt_misc failed (needs root)"
  say "registered $QEMU for i386 programs"
  "$PROBE" || die "qemu runs no i386 program"
}

# The native server of the same version, with the 64-bit C library it needs.
finish_chroot() {
  local s=$1 wine libc
  wine=$(in_ns "" "$SELF" _sh "$s" "dpkg-query -W -f='\${Version}' wine32")
  libc=$(in_ns "" "$SELF" _sh "$s" "dpkg-query -W -f='\${Version}' libc6")
  say "adding the 64-bit wineserver $wine"
  apt_update || die "apt-get update failed"
  rm -rf "$CACHE/amd64.tmp"
  fetch_unpack "$CACHE/amd64.tmp" "wine64=$wine" "libc6=$libc"
  cp "$CACHE/amd64.tmp/usr/lib/wine/wineserver64" "$s/usr/lib/wine/"
  cp -a "$CACHE/amd64.tmp/lib/x86_64-linux-gnu" "$s/usr/lib/"
  mkdir -p "$s/usr/lib64"
  cp -a "$CACHE/amd64.tmp/lib64/." "$s/usr/lib64/"
  [ -e "$s/lib64" ] || ln -s usr/lib64 "$s/lib64"
  rm -rf "$CACHE/amd64.tmp"
  in_ns "" "$SELF" _sh "$s" "/usr/lib/wine/wineserver64 --version" >/dev/null 2>&1 || die "the 64-bit wineserver does not start in the chroot"
}

ensure() {
  [ "$(id -u)" = 0 ] || die "the 32-bit environment needs root (chroot, binfmt_misc): run as root or with sudo"
  mkdir -p "$CACHE"
  ensure_qemu
  [ -x "$PROBE" ] || make_probe
  ensure_chroot
  NS_USER=("${FORCED[@]}")
  local machine
  machine=$(in_ns "" chroot "$CHROOT" /bin/uname -m) || die "i386 programs do not run in $CHROOT (qemu through binfmt_misc)"
  [ ${#FORCED[@]} -eq 0 ] && [ -z "$SHARED_EMULATION" ] && return
  # qemu calls its machine i686; the kernel, running an i386 program itself, x86_64.
  [ -z "$SHARED_EMULATION" ] || [ "$machine" = i686 ] ||
    die "KS_ENV32_EMULATE is set, but no user namespace can be made here (a chroot?) and this kernel runs i386 programs itself"
  [ "$machine" = i686 ] || die "KS_ENV32_EMULATE is set, but i386 programs run without qemu ($machine)"
  say "every i386 program runs through qemu (KS_ENV32_EMULATE${SHARED_EMULATION:+; no user namespace here, and this kernel runs no i386 program itself})"
}

case "${1:-}" in
  ensure) ensure ;;
  ready) [ -f "$TARBALL" ] && [ -x "$CACHE/qemu/qemu-i386" ] && [ "$(id -u)" = 0 ] ;;
  run) NS_USER=("${FORCED[@]}"); chroot_main "$@" ;;
  *) chroot_main "$@" ;;
esac
