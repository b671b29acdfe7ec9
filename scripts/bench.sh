#!/usr/bin/env bash
# Installs what is missing, builds the benchmark program and runs it headless.
# Extra arguments go to Google Benchmark (e.g. --benchmark_filter=PageReply).
# The build folder is build/ unless BENCH_BUILD_DIR names another.
# Under scripts/pg-test.sh (when PostgreSQL 15 is there) the journal's
# benchmarks run on both engines.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BENCH_BUILD_DIR:-build}
scripts/install-deps.sh
scripts/build.sh "$dir" --target ze23-bench ze23-stall ze23-stand-bench --
# The journal's figures on PostgreSQL too, with a throwaway server, when
# PostgreSQL 15 is installed and no server is named already.
pg=()
if [ -z "${ZE23_TEST_PG:-}" ] && [ -x /usr/lib/postgresql/15/bin/initdb ]; then
  pg=(scripts/pg-test.sh)
fi
# The window thread's stall with a silenced server needs a server of its own;
# the stand's figures come last, on the simulated clock.
exec "${pg[@]}" env QT_QPA_PLATFORM=offscreen bash -c \
  '"$0/bench/ze23-bench" "$@" && "$0/bench/ze23-stall" && "$0/bench/ze23-stand-bench"' "$dir" "$@"
