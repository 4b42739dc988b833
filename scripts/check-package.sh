#!/usr/bin/env bash
# Builds the release package and checks what it installs:
#   scripts/check-package.sh    install into a staging folder, validate the desktop entry and the
#                               AppStream data, build the .deb with CPack and look into it.
# The package ends up in build-package/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh $(grep -v '^#' scripts/packages.txt) desktop-file-utils appstream dpkg-dev file

build_dir=build-package
stage=$build_dir/stage
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DPARLONA_WERROR=ON \
    -DPARLONA_BUILD_TESTS=OFF -DPARLONA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
rm -rf "$stage"
DESTDIR="$PWD/$stage" cmake --install "$build_dir" >/dev/null

desktop-file-validate "$stage/usr/share/applications/parlona-control.desktop"
appstreamcli validate --no-net --explain "$stage/usr/share/metainfo/com.orvane.ParlonaControl.metainfo.xml"
for expected in usr/bin/parlona-control usr/share/icons/hicolor/scalable/apps/parlona-control.svg \
    usr/share/icons/hicolor/48x48/apps/parlona-control.png usr/lib/udev/rules.d/60-parlona-hybrid.rules \
    usr/share/doc/parlona-control/copyright; do
    [ -e "$stage/$expected" ] || { echo "check-package: $expected is not installed" >&2; exit 1; }
done
"$stage/usr/bin/parlona-control" --version

(cd "$build_dir" && rm -f parlona-control_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build_dir"/parlona-control_*.deb)
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
dpkg-deb --contents "$deb"
# The dependencies come from the libraries the program links.
dpkg-deb --field "$deb" Depends | grep -q 'libqt5widgets5' || { echo "check-package: no Qt dependency" >&2; exit 1; }
echo "check-package: $deb is fine"
