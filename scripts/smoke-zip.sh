#!/usr/bin/env bash
# Unpacks the Windows zip as a user would and drives the tessarin.exe found in
# it through the window smoke walk (cmake/WindowSmoke.sh) under Wine on a
# virtual display of its own. Skipped, saying so, where Wine, Xvfb or xdotool
# is missing.
# Usage: smoke-zip.sh ZIP DEMO_ARCHIVE WORK_FOLDER
set -euo pipefail
zip=$(realpath "$1") archive=$(realpath "$2") work=$3
here=$(cd "$(dirname "$0")/.." && pwd)
wine=$(command -v wine64 || ls /usr/lib/wine/wine64 2>/dev/null || true)
wineserver=$(command -v wineserver64 || ls /usr/lib/wine/wineserver64 2>/dev/null || true)
for tool in "$wine" "$wineserver" "$(command -v Xvfb || true)" "$(command -v xdotool || true)"; do
  [ -n "$tool" ] || { echo "smoke-zip: Wine, Xvfb or xdotool missing: the unpacked window is not tried"; exit 0; }
done

mkdir -p "$work" && work=$(realpath "$work")
rm -rf "$work/unpacked" && mkdir -p "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
exe=$(find "$work/unpacked" -maxdepth 2 -name tessarin.exe)
[ -n "$exe" ] || { echo "smoke-zip: no tessarin.exe in $zip" >&2; exit 1; }

# A display number of this folder's own, so that two checkouts never share one.
number=$(( $(cksum <<<"$work" | cut -d' ' -f1) % 800 + 1000 ))
display() { cmake -DACTION="$1" -DNUMBER=$number -DXVFB="$(command -v Xvfb)" -DSTATE="$work/display" \
  -P "$here/cmake/XvfbDisplay.cmake" >/dev/null; }
display start
trap 'display stop' EXIT
bash "$here/cmake/WindowSmoke.sh" "$wine" "$wineserver" "$work/prefix" ":$number" "$exe" "$archive" "$work/walk"
