#!/usr/bin/env bash
# Configures and builds the tool (two jobs: the machine has two cores).
# Usage: scripts/build.sh [BUILD_DIR [--target T... --] [CMAKE_OPTIONS...]]
#   (default: build/, everything)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
targets=()
if [ "${1:-}" = "--target" ]; then
  shift
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    targets+=("$1")
    shift
  done
  shift || true
fi
generator=()
command -v ninja >/dev/null && [ ! -f "$dir/CMakeCache.txt" ] && generator=(-G Ninja)
cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j2 ${targets[@]+--target "${targets[@]}"}
