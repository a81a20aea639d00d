#!/usr/bin/env bash
# Times a run in the window (Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise) against
# tarnix-convert over the same generated quotes, with the same intervals and volume, and prints the medians
# and their ratio. The window's time is that of the "Process" click; the converter's that of its process.
# Target: the window at most 1.3 times the converter.
# Usage: bench/window/window_vs_cli.sh [BUILD_DIR] [RUNS] [FILES] [LINES_PER_FILE]   (BUILD_DIR: build-bench)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-bench}
runs=${2:-5}
files=${3:-8}
lines=${4:-150000}

# The window's runner is a benchmark: only trees with TARNIX_BUILD_BENCH have it.
scripts/install-deps libbenchmark-dev
cmake -S . -B "$build" -G Ninja -DTARNIX_BUILD_GUI=ON -DTARNIX_BUILD_BENCH=ON -DTARNIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target tarnix-convert tarnix-window-run >/dev/null

data="$build/window-bench/${files}x${lines}"
if [ ! -d "$data" ]; then
  mkdir -p "$data"
  for file in $(seq "$files"); do
    awk -v lines="$lines" -v ticker="T$file" 'BEGIN {
      print "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>"
      for (i = 0; i < lines; i++) {
        day = int(i / 600); minute = i % 600
        printf "%s,1,%04d%02d%02d,%02d%02d00,%.2f,%.2f,%.2f,%.2f,%d\n", ticker, 2000 + int(day / 336),
               int(day / 28) % 12 + 1, day % 28 + 1, 9 + int(minute / 60), minute % 60,
               100 + i % 7, 101 + i % 5, 99 - i % 3, 100 + i % 4, 10 + i % 90
      }
    }' >"$data/T$file.txt"
  done
fi

export LC_ALL=C
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cli_run() {
  local start end
  start=$(date +%s%N)
  "$build/cli/tarnix-convert" -j 1 -i 5,10,15,60,240 --volume "$data" >/dev/null
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.6f\n", ns / 1e9 }'
}
window_run() {
  "$build/bench/window/tarnix-window-run" "$data/" 2>/dev/null
}
median() {
  sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The first run of each writes the bar files that every later run skips and replaces alike.
cli_run >/dev/null
window_run >/dev/null
cli_times=()
window_times=()
for _ in $(seq "$runs"); do
  cli_times+=("$(cli_run)")
  window_times+=("$(window_run)")
done

cli=$(printf '%s\n' "${cli_times[@]}" | median)
window=$(printf '%s\n' "${window_times[@]}" | median)
echo "quotes: $files files x $lines lines; intervals 5,10,15,60,240 with volume; $runs runs each"
echo "tarnix-convert median: ${cli} s   (${cli_times[*]})"
echo "window ($QT_QPA_PLATFORM) median: ${window} s   (${window_times[*]})"
awk -v w="$window" -v c="$cli" 'BEGIN { printf "ratio window / tarnix-convert: %.2f (target at most 1.30)\n", w / c }'
