#!/usr/bin/env bash
# The caller lookup and the history page's reload at 100,000 contacts, on the SQLite file and on a
# PostgreSQL server of its own, in one table:
#   bench/station-lookup.sh [--build DIR] [--plans] [CONTACTS]
#   (defaults: build directory "build", 100000 contacts; --plans also prints how each engine
#    runs the two statements)
# Builds bench_station_lookup (a RelWithDebInfo build, as ./test makes it) and runs it beside a
# throwaway server started by scripts/with-postgres.sh; without the server's binaries the
# PostgreSQL column says it was skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
arguments=()
while [ $# -gt 0 ]; do
    case $1 in
    --build) build=$2 && shift ;;
    --plans) arguments+=(--plans) ;;
    [0-9]*) arguments+=("$1") ;;
    *) echo "usage: $0 [--build DIR] [--plans] [CONTACTS]" >&2 && exit 2 ;;
    esac
    shift
done

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARLONA_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target bench_station_lookup >/dev/null
scripts/with-postgres.sh "$build/bench/bench_station_lookup" "${arguments[@]}"
