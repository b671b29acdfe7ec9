#!/usr/bin/env bash
# Holds the program against the floor, an empty Qt Widgets window of its
# size built with the same flags, on a screen of its own (Xvfb, 1366×768):
# start to the first mapped window, resident memory and the share of a core
# while left alone. Beside the two, the same empty window with one line of
# text (--text), which pays for the fonts as every window with words does.
# The three alternate, RUNS times each (9 unless set); medians are printed
# and the program's ratio to the empty window. SECONDS (2 unless set) is how
# long each is left alone after its window is mapped before memory and CPU
# are read; scripts/idle-cpu.sh reads the CPU over a minute.
# Usage: scripts/startup-floor.sh [RUNS [SECONDS]]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-9}
seconds=${2:-2}
dir=${BENCH_BUILD_DIR:-build}
scripts/install-deps.sh
scripts/build.sh "$dir" --target ze23-setup ze23-empty-window ze23-mapclock -- >/dev/null
. scripts/own-screen.sh
clock=$dir/bench/ze23-mapclock
for _ in $(seq "$runs"); do
  "$clock" "$seconds" "$dir/bench/ze23-empty-window" >>"$work/empty"
  "$clock" "$seconds" "$dir/bench/ze23-empty-window" --text >>"$work/text"
  "$clock" "$seconds" "$dir/src/ze23-setup" --simulate >>"$work/setup"
done
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
report() {
  local what=$1 column=$2 unit=$3
  local empty text setup
  empty=$(awk -v c="$column" '{print $c}' "$work/empty" | median)
  text=$(awk -v c="$column" '{print $c}' "$work/text" | median)
  setup=$(awk -v c="$column" '{print $c}' "$work/setup" | median)
  awk -v w="$what" -v e="$empty" -v t="$text" -v s="$setup" -v u="$unit" 'BEGIN {
    printf "%-27s %9.2f %-2s %9.2f %-2s %9.2f %-2s  ×%.2f\n", w, e, u, t, u, s, u,
      (e > 0 ? s / e : 0) }'
}
echo "medians of $runs runs each, alternating; left alone ${seconds} s after mapping"
printf "%-27s %12s %12s %12s  %s\n" "" "empty" "with text" "ze23-setup" "ratio"
report "start to the mapped window" 1 ms
report "resident memory" 2 kB
report "CPU while left alone" 3 %
