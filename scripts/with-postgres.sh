#!/usr/bin/env bash
# Runs a command beside a PostgreSQL server of its own, for the tests of the station database:
#   scripts/with-postgres.sh COMMAND [ARGUMENTS...]
# The server comes from Debian's postgresql package; without its binaries the command runs alone
# (and those tests say they were skipped). It runs in a temporary folder as an unprivileged user
# (PostgreSQL refuses root, and CI runs as root), on a free port of 127.0.0.1 only, and stops when
# the command ends. The command finds it in PARLONA_TEST_PGHOST, PARLONA_TEST_PGPORT and
# PARLONA_TEST_PGUSER (a superuser without a password, for the tests only).
set -euo pipefail

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
    # CI always runs them.
    [ -z "${PARLONA_REQUIRE_POSTGRES:-}" ] || { echo "with-postgres: no PostgreSQL server binaries" >&2; exit 1; }
    echo "with-postgres: no PostgreSQL server binaries; the station database tests are skipped" >&2
    exec "$@"
fi

owner=$(id -un)
[ "$(id -u)" -ne 0 ] || owner=nobody
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u "$owner" -- "$@"; else "$@"; fi
}
# In the tests' scratch folder, in memory under ./test: a database made per case costs little there.
folder=$(mktemp -d "${TMPDIR:-/tmp}/parlona-postgres-XXXXXX")
chown "$owner" "$folder"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
stop() {
    as_owner "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$folder"
}
trap stop EXIT
as_owner "$bin/initdb" -D "$folder/data" -U parlona --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
# fsync off: the tests are about what the program writes, not about the disk.
as_owner "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $folder -c fsync=off -c max_connections=50" start >/dev/null
export PARLONA_TEST_PGHOST=127.0.0.1 PARLONA_TEST_PGPORT=$port PARLONA_TEST_PGUSER=parlona
"$@"
