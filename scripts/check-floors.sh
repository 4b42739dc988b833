#!/usr/bin/env bash
# Lists which folder of src/ includes headers of which other folder ("gsm->link"), and fails when
# a folder includes from a floor above it. src/core, the vocabulary every subsystem shares, is the
# ground floor and includes from no other folder; src/app, which builds and wires the program, is
# the top floor and no other folder includes from it. The subsystems stand between the two, and
# src/web (the screening page, which serves what the subsystems do) and src/station (the settings
# of a station's shared database server and the secret store for its password) stand above them:
# only src/app includes from either.
set -euo pipefail
cd "$(dirname "$0")/../src"

declare -A home
for header in */*.h; do
    home[$(basename "$header")]=${header%%/*}
done

edges() {
    local file from included to
    for file in */*.h */*.cpp; do
        from=${file%%/*}
        while read -r included; do
            to=${home[$included]:-}
            if [ -n "$to" ] && [ "$to" != "$from" ]; then
                echo "$from->$to"
            fi
        done < <(sed -n 's/^#include "\(.*\)"/\1/p' "$file")
    done | sort -u
}

status=0
while read -r edge; do
    from=${edge%->*}
    to=${edge#*->}
    if [ "$to" = app ] || [ "$from" = core ] || { { [ "$to" = web ] || [ "$to" = station ]; } && [ "$from" != app ]; }; then
        echo "$edge  <- up a floor"
        status=1
    else
        echo "$edge"
    fi
done < <(edges)
exit $status
