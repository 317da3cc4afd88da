#!/bin/bash
# Fails when an exe imports a DLL that Windows does not load from its own folder.
set -euo pipefail
objdump=$1
shift
allowed=" KERNEL32.dll USER32.dll GDI32.dll ADVAPI32.dll SHELL32.dll COMDLG32.dll COMCTL32.dll msvcrt.dll "
status=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  [ -n "$dlls" ] || { echo "$exe: no import table found"; status=1; continue; }
  for dll in $dlls; do
    upper=$(echo "$dll" | tr a-z A-Z)
    found=0
    for ok in $allowed; do
      [ "$upper" = "$(echo "$ok" | tr a-z A-Z)" ] && found=1
    done
    if [ $found = 1 ]; then echo "$exe: $dll"; else echo "$exe: $dll is not a system DLL"; status=1; fi
  done
done
exit $status
