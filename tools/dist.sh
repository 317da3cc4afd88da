#!/bin/bash
# Zips the shipped exe with an example install.ini and a guide for add-on makers (./run dist).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

version=$(sed -n 's/^project(KSInstaller VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
header_text=$(sed -n 's/^#define KS_VERSION_TEXT "\(.*\)"$/\1/p' res/resource.h)
header_numbers=$(sed -n 's/^#define KS_VERSION_NUMBERS \(.*\)$/\1/p' res/resource.h | tr -d ' ' | tr , .)
exe=build/i686/bin/KSInstaller.exe

fail() { echo "dist: $*" >&2; exit 1; }
[ -n "$version" ] || fail "no version in CMakeLists.txt"
[ "$header_text" = "$version" ] || fail "res/resource.h says $header_text, CMakeLists.txt $version"
[ "$header_numbers" = "$version" ] || fail "res/resource.h numbers say $header_numbers, CMakeLists.txt $version"
[ -f "$exe" ] || fail "$exe is missing; run ./run build"
# The built exe itself: its version block and its About box (UTF-16 texts in its resources).
texts=$(i686-w64-mingw32-strings -e l "$exe")
grep -qx "$version" <<<"$texts" || fail "the version block of $exe does not say $version"
grep -qx "Add-on installer, version $version" <<<"$texts" || fail "the About box of $exe does not say $version"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/KSInstaller.exe"
# Windows line ends: add-on makers open these in Notepad.
for f in install.ini README-addon-makers.txt; do
  sed 's/\r$//; s/$/\r/' "tools/dist/$f" >"$stage/$f"
done
mkdir -p dist
zip="dist/KSInstaller-$version.zip"
rm -f "$zip"
(cd "$stage" && zip -q -X "$ROOT/$zip" KSInstaller.exe install.ini README-addon-makers.txt)
echo "$zip ($(stat -c %s "$zip") bytes): KSInstaller.exe $(stat -c %s "$exe") bytes, version $version"
unzip -l "$zip"
