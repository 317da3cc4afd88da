# Sourced by tools/env32.sh and tools/wine10.sh: a Debian chroot built once with debootstrap, cached outside the clone, used in a private mount namespace.
#
# The sourcing script sets NAME, SELF, CACHE, CHROOT, ARCH, SUITE, PACKAGES, KEY and ENV_VAR (the
# variable that tells scripts run inside which environment they are in), may set EXEC_ENV (more
# VAR=value for programs started in the chroot), may define ns_ready (run first in every
# namespace) and finish_chroot DIR (after the packages are installed), then calls chroot_main.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SOURCES=/etc/apt/sources.list.d/debian.sources
MIRROR=$(sed -n 's/^URIs: *//p' "$SOURCES" 2>/dev/null | head -1)
MIRROR=${MIRROR%% *}
MIRROR=${MIRROR:-http://deb.debian.org/debian}
EXEC_ENV=()

# Progress goes to standard error: callers capture what some steps print on standard output.
die() { echo "$NAME: $*" >&2; exit 1; }
say() { echo "$NAME: $*" >&2; }

ns_ready() { :; }
finish_chroot() { :; }

# in_ns [CHROOT] CMD...: CMD in a mount namespace of its own, so no mount outlives it or shows
# outside. Where this script itself runs in a chroot whose root is no mount point (as on a
# pristine-machine check), the root's propagation cannot be made private: the namespace then
# keeps the host's, and every mount is also undone one by one on the way out. NS_USER adds a
# user namespace, for a binfmt_misc of the namespace's own.
if unshare --mount --propagation private true 2>/dev/null; then PROPAGATION=private; else PROPAGATION=unchanged; fi
NS_USER=()
in_ns() {
  if [ ${#NS_USER[@]} -gt 0 ]; then
    KS_OWN_USERNS=1 unshare "${NS_USER[@]}" --mount --propagation "$PROPAGATION" "$SELF" _ns "$@"
  else
    unshare --mount --propagation "$PROPAGATION" "$SELF" _ns "$@"
  fi
}

MOUNTED=()
# mount ARGS... TARGET, remembered for unmount_all.
mount_here() { mount "$@" && MOUNTED+=("${!#}"); }
unmount_all() {
  local i
  for (( i=${#MOUNTED[@]}-1; i>=0; i-- )); do
    umount -R "${MOUNTED[i]}" 2>/dev/null || umount -l "${MOUNTED[i]}" 2>/dev/null || true
  done
  MOUNTED=()
}

# Mounts what programs in the chroot need; only ever called in a namespace of its own. A user
# namespace may not uncover what lies under the host's mounts, so there each comes whole.
mount_chroot() {
  local dir=$1 m
  if [ -n "${KS_OWN_USERNS:-}" ]; then
    for m in proc dev tmp; do
      mkdir -p "$dir/$m"
      mount_here --rbind "/$m" "$dir/$m"
    done
    return
  fi
  for m in proc dev dev/pts dev/shm tmp; do
    mkdir -p "$dir/$m"
    mount_here --bind "/$m" "$dir/$m"
  done
}

chroot_sh() { chroot "$1" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive /bin/sh -c "$2" </dev/null; }

# Builds the chroot into the cache: debootstrap, the packages, finish_chroot, one tar.
build_chroot() {
  local s=$CACHE/chroot.tmp
  command -v debootstrap >/dev/null || die "debootstrap is missing (./run installs it)"
  # Our namespaces' mounts are gone by now; this one never had any of its own.
  grep -q " $s/" /proc/self/mountinfo && die "$s has mounts; refusing to remove it"
  rm -rf "$s"
  say "debootstrap of an $ARCH $SUITE from $MIRROR (first run only, a few minutes)"
  in_ns "" debootstrap --arch="$ARCH" --variant=minbase "$SUITE" "$s" "$MIRROR" >"$CACHE/debootstrap.log" 2>&1 ||
    die "debootstrap failed; see $CACHE/debootstrap.log"
  cp /etc/resolv.conf "$s/etc/resolv.conf"
  # A test chroot needs no security suite, whose index a mirror may serve broken.
  rm -f "$s"/etc/apt/sources.list.d/*
  printf 'deb %s %s main\ndeb %s %s-updates main\n' "$MIRROR" "$SUITE" "$MIRROR" "$SUITE" >"$s/etc/apt/sources.list"
  cp /etc/apt/apt.conf.d/99* "$s/etc/apt/apt.conf.d/" 2>/dev/null || true
  say "installing $PACKAGES in it"
  # Retried: a mirror in the middle of a sync serves indexes that fail their checks for a while.
  # dpkg need not flush each file: a chroot that fails half-way is built again from the start.
  in_ns "$s" "$SELF" _sh "$s" "for t in 1 2 3 0; do apt-get -qq update && break; [ \$t != 0 ] || exit 1; sleep \$((t * 15)); done &&
    apt-get -qq -o Dpkg::Options::=--force-unsafe-io install -y --no-install-recommends $PACKAGES >/dev/null && apt-get clean" ||
    die "installing $PACKAGES in the $ARCH chroot failed"
  finish_chroot "$s"
  rm -rf "$s"/var/lib/apt/lists/*_Packages
  chmod 755 "$s"
  tar -C "$s" --numeric-owner -cf "$TARBALL.part" . && mv "$TARBALL.part" "$TARBALL"
  rm -rf "$s"
  say "cached the environment in $TARBALL ($(du -h "$TARBALL" | cut -f1))"
}

# The cached chroot in CHROOT, built first when the cache has none.
ensure_chroot() {
  mkdir -p "$CACHE"
  [ -f "$TARBALL" ] || build_chroot
  if [ "$(cat "$CHROOT/.ks-$NAME" 2>/dev/null)" != "$KEY" ]; then
    grep -q " $CHROOT/" /proc/self/mountinfo && die "$CHROOT has mounts; refusing to replace it"
    say "extracting the environment into $CHROOT"
    rm -rf "$CHROOT"
    mkdir -p "$CHROOT"
    tar -C "$CHROOT" --numeric-owner -xf "$TARBALL"
    echo "$KEY" >"$CHROOT/.ks-$NAME"
  fi
}

# Ends what is left running in the chroot (a persistent wineserver), so the namespace ends too.
end_chroot_processes() {
  local p pids=()
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$CHROOT" ] && pids+=("${p#/proc/}")
  done
  [ ${#pids[@]} -eq 0 ] || kill -KILL "${pids[@]}" 2>/dev/null || true
}

# The commands every environment has; "ensure" and "ready" are each script's own.
chroot_main() {
  local cmd=${1:-}
  shift || true
  case "$cmd" in
    run)
      [ "$(cat "$CHROOT/.ks-$NAME" 2>/dev/null)" = "$KEY" ] || die "not set up: $SELF ensure"
      in_ns "$CHROOT" "$SELF" _mounted "$@" ;;
    _ns)
      trap unmount_all EXIT
      ns_ready
      [ -z "$1" ] || mount_chroot "$1"
      shift
      "$@" ;;
    _sh) chroot_sh "$@" ;;
    _mounted)
      # The project at the same path inside, so paths in the build files hold there too.
      mkdir -p "$CHROOT$ROOT"
      trap 'end_chroot_processes; unmount_all' EXIT
      mount_here --bind "$ROOT" "$CHROOT$ROOT"
      export KS_ENV=$SELF "$ENV_VAR=$SELF"
      "$@" ;;
    exec)
      [ -e "$CHROOT/proc/self" ] || die "exec works only inside $SELF run"
      local env=(PATH=/usr/bin:/bin HOME=/root LC_ALL=C.UTF-8 "${EXEC_ENV[@]}") v
      # The model test's replay and soak switches reach the test programs too.
      for v in DISPLAY XAUTHORITY WINEPREFIX WINEDEBUG WINEDLLOVERRIDES WINEARCH KS_MODEL_SEED KS_MODEL_SOAK KS_MODEL_DISK KS_MODEL_SECONDS; do
        [ -z "${!v:-}" ] || env+=("$v=${!v}")
      done
      # A locale of the caller's own making (build/locale, at the same path in here).
      [ -z "${LOCPATH:-}" ] || env+=("LOCPATH=$LOCPATH" "LC_ALL=$LC_ALL")
      exec chroot "$CHROOT" /usr/bin/env -i "${env[@]}" /bin/sh -c 'cd "$0" 2>/dev/null || cd /; exec "$@"' "$PWD" "$@" ;;
    *) awk 'NR > 1 && /^#/ { print; next } NR > 1 { exit }' "$SELF"; exit 2 ;;
  esac
}
