#!/usr/bin/env bash
# Drives tarnix.exe under wine in an X server of its own, as a user would: types the directory, takes it
# through the folder dialog (Alt+Down, OK), ticks 5 and 60 minutes and the volume, moves the window, clicks
# "Process" and at once "Exit". The run must go on to its end and the program must end after it, leaving the
# bar files that the Linux converter writes for the same directory and a Tarnix.ini in %APPDATA% with its 22
# keys, made anew in UTF-16. A second start, with a Cyrillic directory put into that file, must restore the
# values and the place: closing it at once, after a folder dialog left with Escape, writes them back
# unchanged.
# Usage: window_e2e.sh TARNIX_EXE TARNIX_CONVERT EXAMPLES_DIR   (WINEPREFIX must be set)
set -euo pipefail
# shellcheck source=../e2e_session.sh
source "$(dirname "$0")/../e2e_session.sh"
exe=$1
convert=$2
examples=$3
open_session wine
export WINEDEBUG=-all

# A wine session that an earlier step started without an X server has no display for windows: this test
# starts a session of its own.
wineserver -k 2>/dev/null || true
wineserver -w
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
ini=$(winepath -u "$appdata")/Tarnix.ini
rm -f "$ini"

# A long file besides the examples, so that the run is still going on when "Exit" is clicked.
mkdir "$work/quotes"
cp "$examples"/*.txt "$work/quotes/"
write_long_quotes "$work/quotes/LONG.txt" 200000
cp -r "$work/quotes" "$work/expected"
"$convert" -i 5,60 --volume "$work/expected" >/dev/null

start() {
  wine "$exe" >"$work/tarnix.log" 2>&1 &
  tarnix_pid=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tarnix 1\.12 - ' | head -1)
  [ -n "$window" ] || { echo "the window did not appear:"; cat "$work/tarnix.log"; exit 1; }
  xdotool windowfocus --sync "$window"
}
finish() {
  for _ in $(seq 1200); do
    kill -0 "$tarnix_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$tarnix_pid" 2>/dev/null && { echo "the program did not end"; exit 1; }
  wait "$tarnix_pid" || { echo "the program failed:"; cat "$work/tarnix.log"; exit 1; }
  tarnix_pid=
}
# Window coordinates of a point of the client area as designed: wine draws a 3-pixel border and a 19-pixel
# tool caption.
at() { echo mousemove --window "$window" $(($1 + 3)) $(($2 + 19)) click --delay 0 1; }
# Opens the folder dialog with Alt+Down in the directory field and closes it with the key $1.
folder_dialog() {
  xdotool key alt+Down
  dialog=$(timeout 60 xdotool search --sync --onlyvisible --name '^Select Directory$' | head -1)
  [ -n "$dialog" ] || { echo "Alt+Down did not open the folder dialog"; exit 1; }
  xdotool windowfocus --sync "$dialog" key "$1"
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name '^Select Directory$' >/dev/null || return 0
    sleep 0.1
  done
  echo "$1 did not close the folder dialog"
  exit 1
}

start
# The first activation selects the directory field's text, so typing replaces it. OK in the folder dialog
# writes the directory that opened back without its "\", which "Process" then adds again: the run converts
# that directory only if the dialog opened there.
xdotool type --delay 5 "$(winepath -w "$work/quotes")\\"
folder_dialog Return
# 5 min, 60 min, Calculate Volume; then Process and Exit in one go, so that Exit comes during the run.
# One at a time, each after the window has handled the last: a fresh wine session is slow to take clicks.
for box in "22 80" "194 80" "13 304"; do
  xdotool $(at $box)
  sleep 0.3
done
xdotool windowmove --sync "$window" 300 200
xdotool $(at 185 380) $(at 273 380)
finish
diff -r "$work/expected" "$work/quotes"
echo "bar files of the window run match the Linux converter's: $(ls "$work/quotes" | grep -c -- -m)"

ini_text() { iconv -f UTF-16 -t UTF-8 "$ini" | tr -d '\r'; }
[ "$(head -c 2 "$ini" | od -An -tx1 | tr -d ' ')" = fffe ] || { echo "Tarnix.ini was not made in UTF-16"; exit 1; }
keys=$(ini_text | grep -c '=')
[ "$keys" -eq 22 ] || { echo "Tarnix.ini holds $keys keys, not 22:"; ini_text; exit 1; }
for expected in 'm5_Checked=True' 'm60_Checked=True' 'Voluem_Checked=True' 'm10_Checked=False' \
  "Dir_Text=$(winepath -w "$work/quotes")\\" 'NormPos=300,200,'; do
  ini_text | grep -qF "$expected" || { echo "Tarnix.ini lacks $expected:"; ini_text; exit 1; }
done
# A directory beyond the ANSI code page, as Russian users name theirs.
mkdir "$work/Котировки 2024"
cyrillic="Dir_Text=$(winepath -w "$work/Котировки 2024")\\"
ini_text | while IFS= read -r line; do
  [[ $line == Dir_Text=* ]] && line=$cyrillic
  printf '%s\n' "$line"
done >"$work/first.ini"
{ printf '\xff\xfe'; sed 's/$/\r/' "$work/first.ini" | iconv -f UTF-8 -t UTF-16LE; } >"$ini"

start
folder_dialog Escape
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/ *Position: \([0-9]*,[0-9]*\).*/\1/p')
[ "$geometry" = "300,200" ] || { echo "the second start opened at $geometry, not at 300,200"; exit 1; }
xdotool $(at 273 380)
finish
diff <(grep -v '^Visible=' "$work/first.ini") <(ini_text | grep -v '^Visible=') ||
  { echo "the second start did not restore what the first saved"; exit 1; }
echo "Tarnix.ini: 22 keys in UTF-16, a Cyrillic directory among them, restored and saved back unchanged"
