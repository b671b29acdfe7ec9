#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for SECONDS
# (default 60), starting from the corpus in fuzz/corpus/. New inputs that
# reach further are kept in build-fuzz/corpus/, not in the source tree.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(fuzz_receive fuzz_window fuzz_snapshot)
CC=clang CXX=clang++ scripts/build.sh build-fuzz --target "${targets[@]}" -- -DZE23_FUZZ=ON
for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$target"
  echo "-- $target, ${seconds}s"
  QT_QPA_PLATFORM=offscreen "build-fuzz/fuzz/$target" -max_total_time="$seconds" \
    -print_final_stats=1 "build-fuzz/corpus/$target" "fuzz/corpus/$target"
done
