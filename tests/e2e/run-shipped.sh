#!/usr/bin/env bash
# Drives the shipped ze23-setup --simulate as a technician would: a screen of
# its own (Xvfb, 1366×768), a session bus with the accessibility bus on it,
# the program with a journal and settings of its own, and the Python driver
# (Debian's python3-pyatspi) pressing its buttons by their texts.
# Usage: tests/e2e/run-shipped.sh PROGRAM DRIVER.py
set -euo pipefail
program=$(realpath "$1")
driver=$(realpath "$2")
here=$(dirname "$driver")
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$work/out" "$work/run"
chmod 700 "$work/run"

# Debian's own Python: pyatspi is installed for it alone.
dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  sleep 1
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$0" --simulate --records "$1/records.sqlite" \
    >"$1/program.log" 2>&1 &
  program=$!
  status=0
  PYTHONPATH="$2" timeout 1700 /usr/bin/python3 "$3" "$1/out" || status=$?
  kill "$program" 2>/dev/null || true
  [ "$status" -eq 0 ] || { echo "The program said:"; tail -n 20 "$1/program.log"; }
  exit "$status"
' "$program" "$work" "$here" "$driver"
