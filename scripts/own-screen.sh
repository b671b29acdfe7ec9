# Sourced by the measuring scripts: a screen of their own (Xvfb, 1366×768),
# a session bus of their own as every desktop has (without one, the first
# widget with an accessible name would have the accessibility bridge start a
# bus of its own on every start), and a home of their own for the program's
# files, all gone at exit (with the program in $app, when the script started
# one).
work=$(mktemp -d)
trap 'kill ${app:-} "${xvfb:-}" ${bus:-} 2>/dev/null || true; rm -rf "$work"' EXIT
display=:$((70 + RANDOM % 100))
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r bus; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS
export DISPLAY=$display XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
  XDG_RUNTIME_DIR=$work/run QT_ACCESSIBILITY=0 NO_AT_BRIDGE=1
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
