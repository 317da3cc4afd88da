# Sourced by ./run and the tools scripts: one prefix and one warm wineserver for a whole run.
# A cold server costs seconds per process.

# Scripts run under `env -i` have no locale, and Wine without one cannot name files in UTF-8.
export LC_ALL=C.UTF-8

# Inside `tools/env32.sh run` or `tools/wine10.sh run` (KS_ENV names the script) Wine's programs
# run in that environment's chroot.
in_env() { if [ -n "${KS_ENV:-}" ]; then "$KS_ENV" exec "$@"; else "$@"; fi; }

wine_loader() {
  if [ -n "${KS_ENV32:-}" ]; then echo wine
  elif [ -n "${KS_WINE10:-}" ] || [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64
  else command -v wine64 || command -v wine; fi
}

wine_run() { in_env "$(wine_loader)" "$@"; }

# Starts the prefix's own services and desktop now, with nothing to inherit: started later by a
# test, they would hold ctest's output pipe open and the test would never end.
boot_session() {
  in_env wineserver -p >/dev/null 2>&1 </dev/null
  wine_run wineboot >/dev/null 2>&1 </dev/null || true
}

# new_session [DPI]: ends the prefix's session and boots another whose screen is at DPI (96
# without one). A system reads its DPI when the user signs in and keeps it for the session.
new_session() {
  local key='HKCU\Control Panel\Desktop'
  if [ -n "${1:-}" ]; then
    wine_run reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f
  else
    wine_run reg delete "$key" /v LogPixels /f
  fi >/dev/null 2>&1 </dev/null || return 1
  in_env wineserver -k 2>/dev/null
  in_env wineserver -w
  boot_session
}

# Whether a run that ended inside a session of another DPI (a timeout) left its setting behind.
dpi_left() {
  awk '/^\[/ { desktop = /^\[Control Panel\\\\Desktop\]/ } desktop && /^"LogPixels"/ { found = 1 }
       END { exit !found }' "$WINEPREFIX/user.reg" 2>/dev/null
}

# start_wine PREFIX [ARCH]: prepares the prefix once and keeps a server running until exit.
start_wine() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=${2:-win64}
  mkdir -p "$WINEPREFIX"
  trap 'in_env wineserver -k 2>/dev/null || true' EXIT
  boot_session
  ! dpi_left || new_session
  if [ ! -f "$WINEPREFIX/.ks-ready" ]; then
    # Without a window manager (Xvfb) every managed window waits 2 s to be withdrawn on close.
    wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    # A crash ends the process at once instead of starting the debugger, whose console can
    # itself crash without a fixed-width font and leave a test waiting for its timeout.
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
    for k in "$key" "${key/Software/Software\\Wow6432Node}"; do
      wine_run reg add "$k" /v Debugger /d 'no-debugger.exe %ld %ld' /f >/dev/null 2>&1 || true
      wine_run reg add "$k" /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1 || true
    done
    wine_run reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.ks-ready"
  fi
}
