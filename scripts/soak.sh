#!/usr/bin/env bash
# Drives the main window against every virtual instrument through HOURS of
# simulated polling (default 24, a whole day; the ticks are driven directly,
# not in real time) and reports resident memory.
# Usage: scripts/soak.sh [HOURS]
set -euo pipefail
cd "$(dirname "$0")/.."
hours=${1:-24}
scripts/build.sh >/dev/null
QT_QPA_PLATFORM=offscreen build/soak/ze23-soak --hours "$hours"
