#!/usr/bin/env bash
# Renders the application icon packaging/icons/parlona-control.svg into the PNG sizes that
# are installed beside it (icons/<size>/parlona-control.png).
# Needs: rsvg-convert (Debian: librsvg2-bin) and ImageMagick's convert.
set -euo pipefail
icons=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/icons
for size in 16 32 48 64 128 256; do
    mkdir -p "$icons/$size"
    rsvg-convert -w "$size" -h "$size" "$icons/parlona-control.svg" |
        convert - -strip -define png:compression-level=9 "$icons/$size/parlona-control.png"
    echo "icons/$size/parlona-control.png"
done
