#!/bin/bash
# Lays out a demo add-on and game, registers the game and starts the installer there (./run demo).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEMO=$ROOT/demo
. "$ROOT/tools/wine-env.sh"
# The shipped 32-bit build inside tools/env32.sh run, else the 64-bit one.
if [ -n "${KS_ENV32:-}" ]; then BUILD=i686 ARCH=win32; else BUILD=x64 ARCH=win64; fi
BIN=$ROOT/build/$BUILD/bin
rm -rf "$DEMO/addon" "$DEMO/game" "$DEMO/screenshot.png"
mkdir -p "$DEMO/addon/data" "$DEMO/game/data"

winpath() { echo "Z:${1//\//\\}"; }

# The add-on as its maker ships it: installer, install.ini, picture, files and source archive.
cp "$BIN/KSInstaller.exe" "$DEMO/addon/"
convert -size 294x290 gradient:'#1a3a6a-#6a9ad0' -fill '#f0c040' -font /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf -pointsize 30 -gravity center \
  -annotate 0 'Demo GUI Pack' BMP3:"$DEMO/addon/splash.bmp"
printf 'Demo interface text\r\n' >"$DEMO/addon/data/gui.txt"
printf 'Demo readme\r\n' >"$DEMO/addon/readme-demo.txt"
printf 'demo source archive\r\n' >"$DEMO/addon/newgui.pff"
cat >"$DEMO/addon/install.ini" <<'INI'
[installer]
dialog_title=Demo GUI Pack for Kestrel Squad 2
install_button_text=Install New GUI
eula_text=This demo add-on is free to use. Do you accept?
bitmap_file=splash.bmp
ks_version=KS2
source_pff=newgui.pff
destination_pff=resource.pff
copy_file_1=data\gui.txt
copy_file_2=readme-demo.txt
INI
sed -i 's/$/\r/' "$DEMO/addon/install.ini"

# The game as its setup left it: destination archive, its pack tool and its registry entry.
printf 'destination archive\r\n' >"$DEMO/game/resource.pff"
[ -f "$BIN/pack.exe" ] && cp "$BIN/pack.exe" "$DEMO/game/"
# A few seconds of packing, so the status line and the bar can be seen at work.
printf 'slow 3\r\n' >"$DEMO/game/pack-mode.txt"

echo "Starting Wine (the first time it prepares the demo prefix)..."
start_wine "$DEMO/wineprefix-$BUILD" $ARCH
wine_run reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\ks2.exe' /v Path \
  /d "$(winpath "$DEMO/game")" /f >/dev/null 2>&1

echo "Add-on folder: $DEMO/addon"
echo "Game folder:   $DEMO/game (registered for KS2)"
if [ $BUILD = i686 ]; then
  echo "(The shipped 32-bit build, in the emulated 32-bit environment.)"
else
  echo "(Wine here runs only 64-bit programs: the demo uses the 64-bit build of the same source;"
  echo " ./run test sets up the 32-bit environment, after which the demo runs the shipped build.)"
fi

if [ -n "${DISPLAY:-}" ] && [ -z "${KS_DEMO_DRIVEN:-}" ]; then
  cd "$DEMO/addon"
  echo "After installing, \"Restore Original Game Files...\" in the window's system menu puts the game back."
  wine_run "$DEMO/addon/KSInstaller.exe"
  echo "The installer has ended. Game folder now holds:"
  ls -l "$DEMO/game"
else
  # No one at the screen: drive an installation and keep a screenshot of the main window.
  marker=$DEMO/screenshot-now
  rm -f "$marker"
  wine_run "$BIN/demo_driver.exe" "$(winpath "$DEMO/addon/KSInstaller.exe")" "$(winpath "$marker")" &
  driver=$!
  for _ in $(seq 150); do [ -f "$marker" ] && break; sleep 0.1; done
  sleep 0.2
  import -window root "$DEMO/screenshot.png" && echo "Screenshot of the main window: $DEMO/screenshot.png"
  rm -f "$marker"
  wait $driver
  echo "Game folder now holds:"
  ls -l "$DEMO/game" "$DEMO/game/data"
fi

# The same add-on installed and taken out again by a script: no window, a log and an exit code.
scripted() {
  echo
  echo "Scripted: KSInstaller.exe $*"
  set +e
  (cd "$DEMO/addon" && wine_run KSInstaller.exe "$@") | tr -d '\r' | sed 's/^/  /'
  local code=${PIPESTATUS[0]}
  set -e
  echo "  exit code $code"
  ls -l "$DEMO/game" | sed 's/^/  /'
}
rm -f "$DEMO/addon/install.log"
scripted /S /ACCEPT /LOG=install.log "/D=$(winpath "$DEMO/game")"
scripted /S /RESTORE /LOG=install.log
echo "The log of both runs: $DEMO/addon/install.log"
