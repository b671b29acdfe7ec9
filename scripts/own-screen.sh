# Sourced by the measuring scripts: a screen of their own (Xvfb, 1366×768)
# and a home of their own for the program's files, both gone at exit
# (with the program in $app, when the script started one).
work=$(mktemp -d)
trap 'kill ${app:-} "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
display=:$((70 + RANDOM % 100))
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
  XDG_RUNTIME_DIR=$work/run QT_ACCESSIBILITY=0 NO_AT_BRIDGE=1
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
