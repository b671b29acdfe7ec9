#!/usr/bin/env bash
# Installs what is missing, builds the program alone (not the tests,
# benchmarks and soak), and starts it with the virtual instruments in its
# device list. Extra arguments go to the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build --target ze23-setup --
exec build/src/ze23-setup --simulate "$@"
