#!/usr/bin/env bash
# Drives tessarin.exe under Wine with Qt's Windows platform plugin on the virtual
# display DISPLAY, as a user would with the keyboard:
#  1. opens a copy of ARCHIVE given on the command line: the caption reads
#     "NAME.arc - Tessarin";
#  2. walks the tree with the arrow keys to the first PNG entry of the demo
#     archive and previews it (Space): a window "预览 - NAME.png" appears;
#  3. deletes that entry (Del, then Alt+Y on the question): the archive changes;
#  4. undoes it (Ctrl+Z): the archive has its first bytes back;
#  5. ends with Alt+F4: nothing is left beside the archive.
# The window gets a Wine prefix of its own, made with the display at hand: the
# desktop process that a prefix's first program starts keeps the display it was
# started with, and one started by the offscreen tests has none, so no window of
# a later program would ever be shown. Its processes end with the test, before
# the display goes.
# Usage: WindowSmoke.sh WINE WINESERVER WINEPREFIX DISPLAY TESSARIN_EXE ARCHIVE WORK_FOLDER
set -euo pipefail
wine=$1 wineserver=$2 prefix=$3 display=$4 exe=$5 archive=$6 work=$7
fail() { echo "WindowSmoke: $*" >&2; exit 1; }
[ -f "$archive" ] || fail "$archive not found (make test builds it)"

rm -rf "$work" && mkdir -p "$work"
cp "$archive" "$work/smoke.arc"
export DISPLAY=$display WINEPREFIX=$prefix WINEDEBUG=-all QT_QPA_PLATFORM=windows
log=$work.log
mkdir -p "$prefix"
"$wine" wineboot --init >"$log" 2>&1 || fail "wineboot failed: $(cat "$log")"
cd "$work"
"$wine" "$exe" smoke.arc >"$log" 2>&1 &
program=$!
trap 'kill $program 2>/dev/null || true; "$wineserver" -k 2>/dev/null || true' EXIT

# Waits up to $1 seconds for a window whose name matches $2; prints its id.
wait_window() {
  local seconds=$1 pattern=$2 id
  for _ in $(seq 1 "$seconds"); do
    id=$(xdotool search --name "$pattern" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 $program 2>/dev/null || fail "tessarin.exe ended: $(cat "$log")"
    sleep 1
  done
  return 1
}
# Waits up to $1 seconds for the command $2... to succeed.
wait_until() {
  local seconds=$1; shift
  for _ in $(seq 1 "$seconds"); do "$@" && return 0; sleep 1; done
  return 1
}
# Keys to the main window (no window manager: the input focus is given first).
keys_to() { local id=$1; shift; xdotool windowfocus --sync "$id" key --clearmodifiers --delay 150 "$@"; }
keys() { keys_to "$main" "$@"; }
differs() { ! cmp -s "$archive" "$work/smoke.arc"; }
same() { cmp -s "$archive" "$work/smoke.arc"; }

main=$(wait_window 120 ' - Tessarin$') || fail "no window with a caption ending \" - Tessarin\""
caption=$(xdotool getwindowname "$main")
[ "$caption" = "smoke.arc - Tessarin" ] || fail "caption \"$caption\", not \"smoke.arc - Tessarin\""

# The root opens expanded and selected: down past 说明.txt to 界面, open it,
# into 图标, open it, onto its first entry (标志.png), and preview it.
keys Down Down Right Right Right Right space
preview=$(wait_window 30 '^预览 - .*\.png$') || fail "Space showed no preview of a PNG entry"
shown=$(xdotool getwindowname "$preview")
keys_to "$preview" Escape

keys Delete
question=$(wait_window 30 '^Tessarin$') || fail "Del asked no question"
keys_to "$question" alt+y
wait_until 30 differs || fail "Del and Alt+Y deleted nothing (the archive is unchanged)"
keys ctrl+z
wait_until 30 same || fail "Ctrl+Z did not give the archive's bytes back"

keys alt+F4
wait_until 30 bash -c "! kill -0 $program 2>/dev/null" || fail "tessarin.exe did not end on Alt+F4"
same || fail "the archive changed"
left=$(ls -A "$work" | grep -v '^smoke\.arc$' || true)
[ -z "$left" ] || fail "left beside the archive: $left"
echo "WindowSmoke: caption \"$caption\"; \"$shown\"; deleted, undone and closed cleanly"
