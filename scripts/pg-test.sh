#!/usr/bin/env bash
# Runs a command with a throwaway PostgreSQL 15 server: a cluster in a
# temporary folder listening on 127.0.0.1 at a free port, trusting loopback,
# with an empty database ze23test and the journal's roles
# (src/records/journal-roles.sql, as `ze23-cli journal grant` makes them).
# The command works as a bench's technician, and makes the journal as its
# owner:
#   ZE23_TEST_PG=postgresql://ze23_bench@127.0.0.1:PORT/ze23test
#     (a login in ze23_technician: reads and adds, changes nothing)
#   ZE23_TEST_PG_OWNER=postgresql://postgres@127.0.0.1:PORT/ze23test
# and two shell commands (for `sh -c`) that stop the server and start it again
# on the same port, each returning once it is done:
#   ZE23_TEST_PG_STOP, ZE23_TEST_PG_START
# and two that silence it (its processes stopped, connections left open) and
# wake it: ZE23_TEST_PG_SILENCE, ZE23_TEST_PG_WAKE
# The server is stopped and its folder removed however the command ends.
# Usage: scripts/pg-test.sh COMMAND [ARGS...]
set -euo pipefail
bin=/usr/lib/postgresql/15/bin
[ -x "$bin/initdb" ] || { echo "pg-test: нет PostgreSQL 15 ($bin); scripts/install-deps.sh" >&2; exit 1; }

as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  as_owner=(runuser -u postgres --)
fi
dir=$(mktemp -d /tmp/ze23-pg.XXXXXX)
[ ${#as_owner[@]} -eq 0 ] || chown postgres: "$dir"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

stop() {
  "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$dir"
}
trap stop EXIT

"${as_owner[@]}" "$bin/initdb" -D "$dir/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 \
  >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
start=("${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w
       -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off" start)
"${start[@]}" >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
"${as_owner[@]}" "$bin/createdb" -h 127.0.0.1 -p "$port" -U postgres ze23test
roles=$(cd "$(dirname "$0")/.." && pwd)/src/records/journal-roles.sql
"${as_owner[@]}" "$bin/psql" -h 127.0.0.1 -p "$port" -U postgres -d ze23test -q \
  -v ON_ERROR_STOP=1 -c "$(cat "$roles")" -c "CREATE ROLE ze23_bench LOGIN IN ROLE ze23_technician" \
  >/dev/null

export ZE23_TEST_PG="postgresql://ze23_bench@127.0.0.1:$port/ze23test"
export ZE23_TEST_PG_OWNER="postgresql://postgres@127.0.0.1:$port/ze23test"
ZE23_TEST_PG_START="$(printf '%q ' "${start[@]}")>/dev/null"
ZE23_TEST_PG_STOP="$(printf '%q ' "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m fast -w stop)>/dev/null"
# A server silenced as a hung machine would be: its processes stopped, the
# connections left open and the port still taking new ones; and woken again.
signal_server="pid=\$(head -n1 $dir/data/postmaster.pid); kill -SIG \$pid; pkill -SIG -P \$pid"
ZE23_TEST_PG_SILENCE="${signal_server//SIG/STOP}"
ZE23_TEST_PG_WAKE="${signal_server//SIG/CONT}"
export ZE23_TEST_PG_START ZE23_TEST_PG_STOP ZE23_TEST_PG_SILENCE ZE23_TEST_PG_WAKE
"$@"
