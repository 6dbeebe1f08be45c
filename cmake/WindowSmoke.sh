#!/usr/bin/env bash
# Starts tessarin.exe under Wine with Qt's Windows platform plugin on the virtual
# display DISPLAY, opening a copy of ARCHIVE given on the command line, and
# waits for the caption "NAME.arc - Tessarin". Then closes it with Alt+F4 and
# checks that nothing was left beside the archive.
# Usage: WindowSmoke.sh WINE WINEPREFIX DISPLAY TESSARIN_EXE ARCHIVE WORK_FOLDER
set -euo pipefail
wine=$1 prefix=$2 display=$3 exe=$4 archive=$5 work=$6
fail() { echo "WindowSmoke: $*" >&2; exit 1; }
[ -f "$archive" ] || fail "$archive not found (make test builds it)"

rm -rf "$work" && mkdir -p "$work"
cp "$archive" "$work/smoke.arc"
export DISPLAY=$display WINEPREFIX=$prefix WINEDEBUG=-all QT_QPA_PLATFORM=windows
log=$work.log
cd "$work"
"$wine" "$exe" smoke.arc >"$log" 2>&1 &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT

caption=""
for _ in $(seq 1 120); do
  window=$(xdotool search --name ' - Tessarin$' 2>/dev/null | head -1 || true)
  if [ -n "$window" ]; then
    caption=$(xdotool getwindowname "$window")
    break
  fi
  kill -0 $program 2>/dev/null || fail "tessarin.exe ended before showing its window: $(cat "$log")"
  sleep 1
done
[ "$caption" = "smoke.arc - Tessarin" ] || fail "caption \"$caption\", not \"smoke.arc - Tessarin\""

xdotool windowfocus --sync "$window" key --clearmodifiers alt+F4 || true
for _ in $(seq 1 30); do
  kill -0 $program 2>/dev/null || break
  sleep 1
done
kill -0 $program 2>/dev/null && fail "tessarin.exe did not end on Alt+F4"
cmp -s "$archive" "$work/smoke.arc" || fail "the archive changed"
left=$(ls -A "$work" | grep -v '^smoke\.arc$' || true)
[ -z "$left" ] || fail "left beside the archive: $left"
echo "WindowSmoke: caption \"$caption\", closed cleanly"
