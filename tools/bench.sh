#!/bin/bash
# Measures the release exe side by side with a minimal dialog under one Wine (./run bench).
# Not a test: it prints figures and asserts nothing.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
RUNS=${KS_BENCH_RUNS:-10}
EXE=build/i686/bin/KSInstaller.exe
. "$ROOT/tools/wine-env.sh"
# "bench.sh 32" (inside tools/env32.sh run) measures the shipped 32-bit build.
if [ "${1:-}" = 32 ]; then BIN=build/i686/bin; else BIN=build/x64/bin; fi
# mawk has no strtonum: hexadecimal sizes are converted by hand.
HEX='function hex(s,   i, n) { sub(/^0x/, "", s); n = 0; for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", tolower(substr(s, i, 1))) - 1; return n }'
winpath() { echo "Z:${1//\//\\}"; }

if [ "${1:-}" != 32 ]; then
  echo "== Size of the shipped exe ($EXE)"
  echo "size: $(stat -c %s "$EXE") bytes (goal <= 150 KB = 153600 bytes)"
  echo "imports: $(i686-w64-mingw32-objdump -p "$EXE" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
  echo "sections (bytes):"
  i686-w64-mingw32-objdump -h "$EXE" | awk "$HEX"' $1 ~ /^[0-9]+$/ { printf "  %-10s %7d\n", $2, hex($3) }'
  # The link map of the same link tells which libraries the bytes come from.
  MAP=build/i686/KSInstaller.map
  if [ -f "$MAP" ]; then
    echo "spent on (bytes of code and data from each input, largest first):"
    awk "$HEX"'
      /^Linker script and memory map/ { on = 1; next }
      !on { next }
      # An input section: " .text 0xADDR 0xSIZE file" or the name alone with the rest on the next line.
      /^ \.[a-z_]/ {
        if (NF >= 4 && $2 ~ /^0x/) { add($1, $3, $4) } else if (NF == 1) { pending = $1 }
        next
      }
      pending != "" && /^ +0x/ { if (NF >= 3) add(pending, $2, $3); pending = ""; next }
      { pending = "" }
      function add(section, size, file,   group) {
        if (section ~ /^\.debug/ || section ~ /^\.(bss|tls)/) return
        n = hex(size); if (n == 0) return
        group = file
        sub(/.*\//, "", group)
        # Inputs from the build tree are named relative to it, those of the toolchain by absolute path.
        if (group ~ /\.res$/) group = "resources (dialogs, icons, manifest, version)"
        else if (file !~ /^\// && file != "dll") group = "our code"
        else if (group ~ /^libstdc\+\+/) group = "C++ library (strings, exception support)"
        else if (group ~ /^libgcc/) group = "unwinder and compiler helpers"
        else if (group ~ /^libpthread|^libwinpthread/) group = "thread library (used by exception support)"
        else if (group ~ /^lib(kernel32|user32|gdi32|advapi32|shell32|comdlg32|comctl32)\.a/ || group == "dll") group = "import tables"
        else group = "C runtime start-up and msvcrt glue"
        total[group] += n
      }
      END { for (g in total) printf "  %7d  %s\n", total[g], g }
    ' "$MAP" | sort -rn
  fi
  echo
fi

driver() { timeout 600 ${KS_ENV32:+"$KS_ENV32" exec} "$(wine_loader)" "$BIN/bench_driver.exe" "$@" </dev/null | tr -d '\r'; }

if [ "${1:-}" = 32 ]; then
  start_wine "$ROOT/build/i686/wineprefix" win32
  # tools/env32.sh registers qemu only where the kernel runs no 32-bit code itself.
  if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    echo "== 32-bit build (the shipped one), under emulation: slower than on a user's machine"
  else
    echo "== 32-bit build (the shipped one), run by the kernel in the 32-bit environment"
  fi
else
  start_wine "$ROOT/build/x64/wineprefix"
  echo "== 64-bit build under native Wine"
fi
echo "-- start-up against a minimal dialog of the same bitness"
driver startup "$(winpath "$ROOT/$BIN/minimal_dialog.exe")" "$RUNS"
echo "-- packing and copying"
if [ -f "$BIN/pack.exe" ]; then
  driver resultdelay "$(winpath "$ROOT/$BIN/pack.exe")" "$RUNS"
  driver cpu "$(winpath "$ROOT/$BIN/pack.exe")"
  driver copy "$(winpath "$ROOT/$BIN/pack.exe")"
else
  echo "pack tool exit to result box: n/a (stand-in pack tool not built)"
fi
echo "-- keeping originals (the backup's own code, in process)"
# What the copies above left to write must not compete with the flushes measured here.
sync
driver backup "${KS_BENCH_BACKUP_RUNS:-3}"
echo
# Then the same on the shipped build where the 32-bit environment is there (KS_ENV32_RUN).
if [ "${1:-}" != 32 ] && [ -n "${KS_ENV32_RUN:-}" ]; then
  wineserver -k 2>/dev/null || true
  exec $KS_ENV32_RUN bash "$0" 32
fi
