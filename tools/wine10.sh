#!/bin/bash
# A second Wine for the 64-bit suite: Wine 10 in an amd64 Debian trixie chroot.
#
#   tools/wine10.sh ensure        makes it ready: built once into the cache, then extracted
#   tools/wine10.sh ready         exit 0 when `ensure` would not download anything
#   tools/wine10.sh run CMD...    runs CMD here with the chroot mounted (in a private mount
#                                 namespace, so no mount outlives the run or shows outside it)
#   tools/wine10.sh exec PROG...  inside `run`: PROG in the chroot, in the same folder
#
# A test that passes on one implementation of the system only may lean on its quirks; the host's
# Wine 8 and this one must both pass the same suite.
set -euo pipefail
SELF=$(cd "$(dirname "$0")" && pwd)/wine10.sh
NAME=wine10
ENV_VAR=KS_WINE10
# Outside the clone, as the 32-bit environment's.
CACHE=${KS_WINE10_CACHE:-/var/cache/ksinstaller-wine10}
ARCH=amd64
SUITE=trixie
# Each named: wine puts wineserver on the PATH, and Wine's console needs a fixed-width font.
PACKAGES="wine wine64 fonts-dejavu-core"
. "$(dirname "$SELF")/chroot-env.sh"
CHROOT=$ROOT/build/wine10/root
# A change of recipe gets a new archive instead of reusing an old one.
KEY=$(echo "1 $ARCH $SUITE $PACKAGES $MIRROR" | md5sum | cut -c1-12)
TARBALL=$CACHE/chroot-$ARCH-$SUITE-$KEY.tar

ensure() {
  [ "$(id -u)" = 0 ] || die "the Wine 10 environment needs root (chroot): run as root or with sudo"
  ensure_chroot
  in_ns "$CHROOT" chroot "$CHROOT" /usr/lib/wine/wine64 --version >/dev/null || die "Wine does not start in $CHROOT"
}

case "${1:-}" in
  ensure) ensure ;;
  ready) [ -f "$TARBALL" ] && [ "$(id -u)" = 0 ] ;;
  *) chroot_main "$@" ;;
esac
