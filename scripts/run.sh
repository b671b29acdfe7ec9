#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool with the virtual
# instruments in its device list. Extra arguments go to the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/src/ze23-setup --simulate "$@"
