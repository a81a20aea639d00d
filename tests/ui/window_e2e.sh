#!/usr/bin/env bash
# Drives the real program in an X server of its own, as a user would: types the directory, ticks 5 and 60
# minutes and the volume, clicks "Process" and at once "Exit". The run must go on to its end and the program
# must end after it, leaving the bar files that the headless converter writes for the same directory.
# Usage: window_e2e.sh TARNIX TARNIX_CONVERT EXAMPLES_DIR
set -euo pipefail
tarnix=$1
convert=$2
examples=$3
skipped=77

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit "$skipped"; }
done

work=$(mktemp -d)
xvfb_pid=
tarnix_pid=
cleanup() {
  [ -n "$tarnix_pid" ] && kill "$tarnix_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it out once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(cat "$work/display")"

# A long file besides the examples, so that the run is still going on when "Exit" is clicked.
mkdir "$work/quotes"
cp "$examples"/*.txt "$work/quotes/"
awk 'BEGIN {
  print "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>"
  for (i = 0; i < 400000; i++) {
    day = int(i / 600); minute = i % 600
    printf "LONG,1,2024%02d%02d,%02d%02d00,%.2f,%.2f,%.2f,%.2f,%d\n", int(day / 28) % 12 + 1, day % 28 + 1,
           9 + int(minute / 60), minute % 60, 100 + i % 7, 101 + i % 5, 99 - i % 3, 100 + i % 4, 10 + i % 90
  }
}' >"$work/quotes/LONG.txt"
cp -r "$work/quotes" "$work/expected"
"$convert" -i 5,60 --volume "$work/expected" >/dev/null

XDG_CONFIG_HOME="$work/config" "$tarnix" 2>"$work/tarnix.log" &
tarnix_pid=$!
# The designed title: its 1.12 is part of the design, not the program's version.
window=$(xdotool search --sync --onlyvisible --name '^Tarnix 1\.12 - ')
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
