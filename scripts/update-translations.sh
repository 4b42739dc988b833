#!/usr/bin/env bash
# Brings translations/parlona_*.ts up to date with the texts in src/: new texts are added as
# unfinished, texts that are gone are dropped. Translate the unfinished ones (Qt Linguist, or
# by hand), then rebuild; the build turns the .ts files into the .qm files the program loads.
set -euo pipefail
cd "$(dirname "$0")/.."

lupdate=""
for candidate in lupdate-qt5 /usr/lib/qt5/bin/lupdate /usr/lib/x86_64-linux-gnu/qt5/bin/lupdate lupdate; do
    if command -v "$candidate" >/dev/null 2>&1; then
        lupdate="$candidate"
        break
    fi
done
if [ -z "$lupdate" ]; then
    echo "error: lupdate not found; install the Debian package qttools5-dev-tools" >&2
    exit 1
fi

shopt -s nullglob
files=(translations/parlona_*.ts)
if [ $# -gt 0 ]; then
    # A new language: scripts/update-translations.sh de  creates translations/parlona_de.ts.
    files=()
    for language in "$@"; do
        files+=("translations/parlona_${language}.ts")
    done
fi
[ ${#files[@]} -gt 0 ] || { echo "error: no translations/parlona_*.ts to update" >&2; exit 1; }

"$lupdate" -no-obsolete -locations relative -extensions cpp,h,ui src -ts "${files[@]}"
