#!/usr/bin/env bash
# Two benches, each with its own virtual instruments and its own journal,
# calibrate every kind into one throwaway PostgreSQL journal while the second
# loses the server for a while (its role refused and its connections cut);
# then says what reached the server, what still waits, and verifies it. The
# journal and its roles are made by the owner (ze23-cli journal grant); both
# benches work as technicians, who read and add and change nothing.
# Needs a built tree (scripts/build.sh). Usage: scripts/two-benches.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
if [ -z "${ZE23_TEST_PG:-}" ]; then
  exec scripts/pg-test.sh "$0" "$build"
fi
export QT_QPA_PLATFORM=offscreen
port=${ZE23_TEST_PG##*:}
port=${port%%/*}
sql() { psql -h 127.0.0.1 -p "$port" -U postgres -d ze23test -qtA "$@"; }
waiting() {
  sqlite3 "$1" "SELECT count(*) FROM records r WHERE bench = (SELECT id FROM this_bench) AND
    NOT EXISTS (SELECT 1 FROM sent s WHERE s.bench = r.bench AND s.bench_number = r.bench_number)"
}
work=$(mktemp -d /tmp/ze23-benches.XXXXXX)
"$build/src/cli/ze23-cli" journal grant --records "${ZE23_TEST_PG_OWNER:-$ZE23_TEST_PG}" >/dev/null
sql -c "CREATE ROLE second_bench LOGIN IN ROLE ze23_technician"
"$build/ze23-snapshots" "$work/first" "$ZE23_TEST_PG" "$work/first/own.sqlite" >/dev/null 2>&1 &
first=$!
"$build/ze23-snapshots" "$work/second" "postgresql://second_bench@127.0.0.1:$port/ze23test" \
  "$work/second/own.sqlite" >/dev/null 2>&1 &
second=$!
sleep 8
echo "the second bench loses the server"
sql -c "ALTER ROLE second_bench NOLOGIN" \
    -c "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE usename = 'second_bench'" >/dev/null
sleep 10
echo "while away, the second bench's records waiting: $(waiting "$work/second/own.sqlite")"
sql -c "ALTER ROLE second_bench LOGIN"
echo "the second bench has the server again"
wait "$first" "$second"
echo "waiting at the end: first $(waiting "$work/first/own.sqlite"), second $(waiting "$work/second/own.sqlite")"
echo "on the server, by bench: $(sql -c 'SELECT bench || chr(58) || count(*) FROM records GROUP BY bench' | tr '\n' ' ')"
"$build/src/cli/ze23-cli" records verify --records "$ZE23_TEST_PG"
echo "pictures and certificates: $work"
