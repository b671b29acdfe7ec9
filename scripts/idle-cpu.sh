#!/usr/bin/env bash
# The share of a core ze23-setup --simulate takes while the technician does
# nothing, on a screen of its own (Xvfb, 1366×768): SECONDS (60 unless set)
# with no adapter open, then as long again polling the virtual ТКС, opened by
# a double click on the first line of the device list (its base page is then
# the open page). Before it, the floor: the empty window with two 100 ms
# timers doing nothing, as the main window's receive and picture ticks wake
# it from the start. Read from /proc/PID/task/*/schedstat.
# Usage: scripts/idle-cpu.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=${BENCH_BUILD_DIR:-build}
scripts/install-deps.sh
scripts/build.sh "$dir" --target ze23-setup ze23-empty-window ze23-mapclock -- >/dev/null
. scripts/own-screen.sh
floor=$("$dir/bench/ze23-mapclock" "$seconds" "$dir/bench/ze23-empty-window" --ticks | awk '{print $3}')
"$dir/src/ze23-setup" --simulate >/dev/null 2>&1 &
app=$!
window=$(xdotool search --sync --onlyvisible --name "Настройка приборов")
sleep 2
ns() { cat /proc/$app/task/*/schedstat | awk '{s += $1} END {print s}'; }
share() { # nanoseconds over seconds as percent of a core
  awk -v n="$1" -v s="$seconds" 'BEGIN {printf "%.3f", 100 * n / 1e9 / s}'
}
before=$(ns); sleep "$seconds"; idle=$(share $(( $(ns) - before )))
# The first line of the device list, in the window's own coordinates.
xdotool mousemove --window "$window" 60 56 click --repeat 2 --delay 80 1
sleep 5
before=$(ns); sleep "$seconds"; polling=$(share $(( $(ns) - before )))
printf "empty window, two 100 ms ticks:  %.3f %% of a core over %s s\n" "$floor" "$seconds"
echo "no adapter open:                 ${idle} % of a core over ${seconds} s"
echo "polling the base page:           ${polling} % of a core over ${seconds} s"
