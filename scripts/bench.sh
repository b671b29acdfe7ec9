#!/usr/bin/env bash
# Installs what is missing, builds the benchmark program and runs it headless.
# Extra arguments go to Google Benchmark (e.g. --benchmark_filter=PageReply).
# The build folder is build/ unless BENCH_BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BENCH_BUILD_DIR:-build}
scripts/install-deps.sh
scripts/build.sh "$dir" --target ze23-bench --
exec env QT_QPA_PLATFORM=offscreen "$dir/bench/ze23-bench" "$@"
