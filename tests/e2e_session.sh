# Shared by the end-to-end scripts of both windows (sourced, not run): an X server of the script's own and a
# long quote file that keeps a run going while the script clicks.

# Skips the test (exit 77) unless every tool named is installed; then makes the work folder $work, which goes
# away at exit together with the program $tarnix_pid and the X server, and starts the X server.
open_session() {
  local tool
  for tool in Xvfb xdotool "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
  done
  work=$(mktemp -d)
  xvfb_pid=
  tarnix_pid=
  trap close_session EXIT
  start_xvfb "$work"
}

close_session() {
  [ -n "$tarnix_pid" ] && kill "$tarnix_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait
  rm -rf "$work"
}

# Starts Xvfb on a display number it picks itself, sets DISPLAY and xvfb_pid. $1 is the script's work folder.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$1/display" 2>"$1/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$1/display" ] && break
    sleep 0.1
  done
  [ -s "$1/display" ] || { echo "Xvfb did not start:"; cat "$1/xvfb.log"; exit 1; }
  export DISPLAY=":$(cat "$1/display")"
}

# Writes $2 one-minute quotes of one ticker over many days into the file $1.
write_long_quotes() {
  awk -v lines="$2" 'BEGIN {
    print "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>"
    for (i = 0; i < lines; i++) {
      day = int(i / 600); minute = i % 600
      printf "LONG,1,2024%02d%02d,%02d%02d00,%.2f,%.2f,%.2f,%.2f,%d\n", int(day / 28) % 12 + 1, day % 28 + 1,
             9 + int(minute / 60), minute % 60, 100 + i % 7, 101 + i % 5, 99 - i % 3, 100 + i % 4, 10 + i % 90
    }
  }' >"$1"
}
