#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless:
#   1. the test suite;
#   2. the same suite built with AddressSanitizer (leaks included) and UBSan;
#   3. each fuzz target for a short while (clang's libFuzzer);
#   4. a short soak of the main window against every virtual instrument.
# With --quick only the first step runs.
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
[ "${1:-}" = "--quick" ] && quick=1

scripts/install-deps.sh
scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ../scripts/pg-test.sh ctest --output-on-failure -j2)
[ "$quick" -eq 1 ] && exit 0

echo "== Test suite with AddressSanitizer and UBSan"
scripts/build.sh build-asan -DZE23_SANITIZE=ON
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)

echo "== Fuzz targets, a short run each"
scripts/fuzz.sh 60

echo "== Soak, one simulated hour per instrument kind"
scripts/soak.sh 1
