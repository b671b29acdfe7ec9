#!/usr/bin/env bash
# The share of a core ze23-setup --simulate takes while the technician does
# nothing, on a screen of its own (Xvfb, 1366×768): SECONDS (60 unless set)
# with no adapter open, then as long again polling the virtual ТКС, opened by
# a double click on the first line of the device list (its base page is then
# the open page). Read from /proc/PID/stat.
# Usage: scripts/idle-cpu.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=${BENCH_BUILD_DIR:-build}
scripts/install-deps.sh
scripts/build.sh "$dir" --target ze23-setup -- >/dev/null
. scripts/own-screen.sh
"$dir/src/ze23-setup" --simulate >/dev/null 2>&1 &
app=$!
window=$(xdotool search --sync --onlyvisible --name "Настройка приборов")
sleep 2
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
share() { # ticks over seconds as percent of a core
  awk -v t="$1" -v s="$seconds" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.3f", 100 * t / hz / s}'
}
before=$(ticks); sleep "$seconds"; idle=$(share $(( $(ticks) - before )))
# The first line of the device list, in the window's own coordinates.
xdotool mousemove --window "$window" 60 56 click --repeat 2 --delay 80 1
sleep 5
before=$(ticks); sleep "$seconds"; polling=$(share $(( $(ticks) - before )))
echo "no adapter open:        ${idle} % of a core over ${seconds} s"
echo "polling the base page:  ${polling} % of a core over ${seconds} s"
