#!/bin/bash
# The 32-bit environment the shipped exe is tested in: an i386 Debian chroot run through qemu.
#
#   tools/env32.sh ensure        makes it ready: built once into the cache, then extracted
#   tools/env32.sh ready         exit 0 when `ensure` would not download anything
#   tools/env32.sh run CMD...    runs CMD here with the chroot mounted (in a private mount
#                                namespace, so no mount outlives the run or shows outside it)
#   tools/env32.sh exec PROG...  inside `run`: PROG in the chroot, in the same folder
#
# This kernel runs no 32-bit code, so i386 programs go through qemu user-mode emulation,
# registered with binfmt_misc (flag F: it works inside any chroot). Bookworm's own qemu 7.2
# is far too slow for Wine; backports' static 10.0 is fetched and only unpacked. The 32-bit
# wineserver cannot ptrace under emulation (other processes' memory could not be read), so
# the native 64-bit server of the same Wine version serves the 32-bit programs.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SELF=$ROOT/tools/env32.sh
# Outside the clone: CI starts from a fresh clone each time, and the second run must be quick.
CACHE=${KS_ENV32_CACHE:-/var/cache/ksinstaller-env32}
CHROOT=$ROOT/build/env32/root
PACKAGES="wine wine32 fonts-dejavu-core"
SOURCES=/etc/apt/sources.list.d/debian.sources
MIRROR=$(sed -n 's/^URIs: *//p' "$SOURCES" 2>/dev/null | head -1)
MIRROR=${MIRROR%% *}
MIRROR=${MIRROR:-http://deb.debian.org/debian}
# A change of recipe gets a new archive instead of reusing an old one.
KEY=$(echo "4 $PACKAGES $MIRROR" | md5sum | cut -c1-12)
TARBALL=$CACHE/chroot-i386-$KEY.tar
QEMU=$CACHE/qemu/i386-binfmt-P
BINFMT=/proc/sys/fs/binfmt_misc
PROBE=$CACHE/qemu/probe-i386

# Progress goes to standard error: callers capture what some steps print on standard output.
die() { echo "env32: $*" >&2; exit 1; }
say() { echo "env32: $*" >&2; }

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

# In a private mount namespace: binfmt_misc mounted, and qemu registered unless something
# runs i386 programs already. The registration is machine-wide: never removed, never doubled
# (a fresh mount does not list what an earlier one registered, so the probe decides).
binfmt_ready() {
  [ -f "$BINFMT/status" ] || mount_here -t binfmt_misc binfmt_misc "$BINFMT" || return 1
  "$PROBE" 2>/dev/null && return 0
  [ ! -e "$BINFMT/qemu-i386" ] || { echo "env32: $BINFMT/qemu-i386 is there but runs no i386 program" >&2; return 1; }
  printf '%s' ":qemu-i386:M::\\x7f\\x45\\x4c\\x46\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\xfc\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$QEMU:POF" \
    >"$BINFMT/register" || return 1
  say "registered $QEMU for i386 programs"
  "$PROBE"
}

# in_ns [CHROOT] CMD...: CMD in a mount namespace of its own, so no mount outlives it or shows
# outside. Where this script itself runs in a chroot whose root is no mount point (as on a
# pristine-machine check), the root's propagation cannot be made private: the namespace then
# keeps the host's, and every mount is also undone one by one on the way out.
if unshare --mount --propagation private true 2>/dev/null; then PROPAGATION=private; else PROPAGATION=unchanged; fi
in_ns() { unshare --mount --propagation "$PROPAGATION" "$SELF" _ns "$@"; }

MOUNTED=()
# mount ARGS... TARGET, remembered for unmount_all.
mount_here() { mount "$@" && MOUNTED+=("${!#}"); }
unmount_all() {
  local i
  for (( i=${#MOUNTED[@]}-1; i>=0; i-- )); do
    umount "${MOUNTED[i]}" 2>/dev/null || umount -l "${MOUNTED[i]}" 2>/dev/null || true
  done
  MOUNTED=()
}

# Mounts what programs in the chroot need; only ever called in a namespace of its own.
mount_chroot() {
  local dir=$1 m
  for m in proc dev dev/pts dev/shm tmp; do
    mkdir -p "$dir/$m"
    mount_here --bind "/$m" "$dir/$m"
  done
}

chroot_sh() { chroot "$1" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive /bin/sh -c "$2" </dev/null; }

build_chroot() {
  local s=$CACHE/chroot.tmp
  command -v debootstrap >/dev/null || die "debootstrap is missing (./run installs it)"
  # Our namespaces' mounts are gone by now; this one never had any of its own.
  grep -q " $s/" /proc/self/mountinfo && die "$s has mounts; refusing to remove it"
  rm -rf "$s"
  say "debootstrap of an i386 bookworm from $MIRROR (first run only, a few minutes)"
  in_ns "" debootstrap --arch=i386 --variant=minbase bookworm "$s" "$MIRROR" >"$CACHE/debootstrap.log" 2>&1 ||
    die "debootstrap failed; see $CACHE/debootstrap.log"
  cp /etc/resolv.conf "$s/etc/resolv.conf"
  # The suites the 64-bit server and C library are fetched from too, so their versions can
  # match; a test chroot needs no security suite, whose i386 index a mirror may serve broken.
  rm -f "$s"/etc/apt/sources.list.d/*
  printf 'deb %s bookworm main\ndeb %s bookworm-updates main\n' "$MIRROR" "$MIRROR" >"$s/etc/apt/sources.list"
  cp /etc/apt/apt.conf.d/99* "$s/etc/apt/apt.conf.d/" 2>/dev/null || true
  say "installing $PACKAGES in it"
  # Retried as apt_update is.
  in_ns "$s" "$SELF" _sh "$s" "for t in 1 2 3 0; do apt-get -qq update && break; [ \$t != 0 ] || exit 1; sleep \$((t * 15)); done &&
    apt-get -qq install -y --no-install-recommends $PACKAGES >/dev/null && apt-get clean" ||
    die "installing $PACKAGES in the i386 chroot failed"
  # The native server of the same version, with the 64-bit C library it needs.
  local wine libc
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
  rm -rf "$CACHE/amd64.tmp" "$s"/var/lib/apt/lists/*_Packages
  in_ns "" "$SELF" _sh "$s" "/usr/lib/wine/wineserver64 --version" >/dev/null 2>&1 || die "the 64-bit wineserver does not start in the chroot"
  chmod 755 "$s"
  tar -C "$s" --numeric-owner -cf "$TARBALL.part" . && mv "$TARBALL.part" "$TARBALL"
  rm -rf "$s"
  say "cached the environment in $TARBALL ($(du -h "$TARBALL" | cut -f1))"
}

ensure() {
  [ "$(id -u)" = 0 ] || die "the 32-bit environment needs root (chroot, binfmt_misc): run as root or with sudo"
  mkdir -p "$CACHE"
  ensure_qemu
  [ -x "$PROBE" ] || make_probe
  [ -f "$TARBALL" ] || build_chroot
  if [ "$(cat "$CHROOT/.ks-env32" 2>/dev/null)" != "$KEY" ]; then
    grep -q " $CHROOT/" /proc/self/mountinfo && die "$CHROOT has mounts; refusing to replace it"
    say "extracting the environment into $CHROOT"
    rm -rf "$CHROOT"
    mkdir -p "$CHROOT"
    tar -C "$CHROOT" --numeric-owner -xf "$TARBALL"
    echo "$KEY" >"$CHROOT/.ks-env32"
  fi
  in_ns "" chroot "$CHROOT" /bin/true || die "i386 programs do not run in $CHROOT (qemu through binfmt_misc)"
}

# Ends what is left running in the chroot (a persistent wineserver), so the namespace ends too.
end_chroot_processes() {
  local p pids=()
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$CHROOT" ] && pids+=("${p#/proc/}")
  done
  [ ${#pids[@]} -eq 0 ] || kill -KILL "${pids[@]}" 2>/dev/null || true
}

cmd=${1:-}
shift || true
case "$cmd" in
  ensure) ensure ;;
  ready) [ -f "$TARBALL" ] && [ -x "$CACHE/qemu/qemu-i386" ] && [ "$(id -u)" = 0 ] ;;
  run)
    [ "$(cat "$CHROOT/.ks-env32" 2>/dev/null)" = "$KEY" ] || die "not set up: tools/env32.sh ensure"
    in_ns "$CHROOT" "$SELF" _mounted "$@" ;;
  _ns)
    trap unmount_all EXIT
    binfmt_ready || die "i386 programs cannot run: registering qemu with binfmt_misc failed (needs root)"
    [ -z "$1" ] || mount_chroot "$1"
    shift
    "$@" ;;
  _sh) chroot_sh "$@" ;;
  _mounted)
    # The project at the same path inside, so paths in the build files hold there too.
    mkdir -p "$CHROOT$ROOT"
    trap 'end_chroot_processes; unmount_all' EXIT
    mount_here --bind "$ROOT" "$CHROOT$ROOT"
    export KS_ENV32=$SELF
    "$@" ;;
  exec)
    [ -e "$CHROOT/proc/self" ] || die "exec works only inside tools/env32.sh run"
    env=(PATH=/usr/bin:/bin HOME=/root LC_ALL=C.UTF-8 WINESERVER=/usr/lib/wine/wineserver64)
    for v in DISPLAY XAUTHORITY WINEPREFIX WINEDEBUG WINEDLLOVERRIDES WINEARCH; do
      [ -z "${!v:-}" ] || env+=("$v=${!v}")
    done
    # A locale of the caller's own making (build/locale, at the same path in here).
    [ -z "${LOCPATH:-}" ] || env+=("LOCPATH=$LOCPATH" "LC_ALL=$LC_ALL")
    exec chroot "$CHROOT" /usr/bin/env -i "${env[@]}" /bin/sh -c 'cd "$0" 2>/dev/null || cd /; exec "$@"' "$PWD" "$@" ;;
  *) sed -n '2,8p' "$SELF"; exit 2 ;;
esac
