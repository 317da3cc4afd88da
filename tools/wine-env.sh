# Sourced by ./run and the tools scripts: one prefix and one warm wineserver for a whole run.
# A cold server costs seconds per process.

# Scripts run under `env -i` have no locale, and Wine without one cannot name files in UTF-8.
export LC_ALL=C.UTF-8

wine_loader() {
  if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else command -v wine64 || command -v wine; fi
}

# start_wine PREFIX [ARCH]: prepares the prefix once and keeps a server running until exit.
start_wine() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=${2:-win64}
  mkdir -p "$WINEPREFIX"
  wineserver -p
  trap 'wineserver -k 2>/dev/null || true' EXIT
  local loader
  loader=$(wine_loader)
  # Starts the prefix's own services and desktop now, with nothing to inherit: started later by a
  # test, they would hold ctest's output pipe open and the test would never end.
  "$loader" wineboot >/dev/null 2>&1 </dev/null || true
  if [ ! -f "$WINEPREFIX/.ks-ready" ]; then
    # Without a window manager (Xvfb) every managed window waits 2 s to be withdrawn on close.
    "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    # A crash ends the process at once instead of starting the debugger, whose console can
    # itself crash without a fixed-width font and leave a test waiting for its timeout.
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
    for k in "$key" "${key/Software/Software\\Wow6432Node}"; do
      "$loader" reg add "$k" /v Debugger /d 'no-debugger.exe %ld %ld' /f >/dev/null 2>&1 || true
      "$loader" reg add "$k" /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1 || true
    done
    "$loader" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.ks-ready"
  fi
}
