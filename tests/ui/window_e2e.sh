#!/usr/bin/env bash
# Drives the real program in an X server of its own, as a user would: types the directory, ticks 5 and 60
# minutes and the volume, clicks "Process" and at once "Exit". The run must go on to its end and the program
# must end after it, leaving the bar files that the headless converter writes for the same directory.
# Usage: window_e2e.sh TARNIX TARNIX_CONVERT EXAMPLES_DIR
set -euo pipefail
# shellcheck source=../e2e_session.sh
source "$(dirname "$0")/../e2e_session.sh"
tarnix=$1
convert=$2
examples=$3
open_session

# A long file besides the examples, so that the run is still going on when "Exit" is clicked.
mkdir "$work/quotes"
cp "$examples"/*.txt "$work/quotes/"
write_long_quotes "$work/quotes/LONG.txt" 400000
cp -r "$work/quotes" "$work/expected"
"$convert" -i 5,60 --volume "$work/expected" >/dev/null

XDG_CONFIG_HOME="$work/config" "$tarnix" 2>"$work/tarnix.log" &
tarnix_pid=$!
# The designed title: its 1.12 is part of the design, not the program's version.
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tarnix 1\.12 - ')
at() { echo mousemove --window "$window" "$1" "$2" click --delay 0 1; }

# The first activation selects the directory field's text, so typing replaces it.
xdotool windowfocus --sync "$window"
xdotool type --delay 5 "$work/quotes"
# 5 min, 60 min, Calculate Volume; then Process and Exit in one go, so that Exit comes during the run.
xdotool $(at 21 80) $(at 193 80) $(at 13 304)
xdotool $(at 185 380) $(at 273 380)

for _ in $(seq 1200); do
  kill -0 "$tarnix_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$tarnix_pid" 2>/dev/null; then
  echo "the program did not end"
  exit 1
fi
status=0
wait "$tarnix_pid" || status=$?
tarnix_pid=
[ "$status" -eq 0 ] || { echo "the program ended with status $status:"; cat "$work/tarnix.log"; exit 1; }

diff -r "$work/expected" "$work/quotes"
echo "bar files of the window run match the headless converter's: $(ls "$work/quotes" | grep -c -- -m)"
