#!/usr/bin/env bash
# Builds the release package and checks what it installs:
#   scripts/check-package.sh         install into a staging folder, validate the desktop entry and
#                                    the AppStream data, build the .deb with CPack and look into it:
#                                    its names, dependencies, hardening (hardening-check) and lintian.
#   scripts/check-package.sh --qt6   the same built against Qt 6.
# The package ends up in build-package/ (build-package-qt6/ for Qt 6).
set -euo pipefail
cd "$(dirname "$0")/.."

qt6=OFF
build_dir=build-package
packages=scripts/packages.txt
case "${1:-}" in
--qt6)
    qt6=ON
    build_dir=build-package-qt6
    packages=scripts/packages-qt6.txt
    ;;
"") ;;
*)
    echo "usage: $0 [--qt6]" >&2
    exit 2
    ;;
esac

fail() {
    echo "check-package: $*" >&2
    exit 1
}

# Fails unless the binary has every hardening feature. Two that hardening-check cannot see on
# Debian 12 are then looked for in another way:
# - Control-flow protection: the C library's start files carry no IBT/SHSTK marking, so the linker
#   leaves it off every program. The code's own protection is seen instead: -fcf-protection puts
#   an endbr64 at every function that may be called indirectly, more of them than returns.
# - Fortify: only calls whose buffer size the compiler knows, and cannot prove large enough,
#   become checked ones. This program's C library calls all come from C++ containers or have
#   sizes proven safe, so even a fortified build may show none. Then a probe with a call that
#   fortify must check is compiled with the program's own flags, which must check it.
probe_fortify() {
    local flags probe=$build_dir/fortify-probe
    flags=$(grep -E '"command": .* -c [^ ]*/app/main\.cpp"' "$build_dir/compile_commands.json" | tr ' ' '\n' |
        grep -E '^-(O|D_FORTIFY_SOURCE|U_FORTIFY_SOURCE|f|std=)' | tr '\n' ' ' || true)
    printf '#include <cstring>\nchar buffer[8];\nvoid fill(const char* from, std::size_t n) { std::memcpy(buffer, from, n); }\n' \
        >"$probe.cpp"
    # shellcheck disable=SC2086
    c++ $flags -c "$probe.cpp" -o "$probe.o"
    nm -u "$probe.o" | grep -q '__memcpy_chk' || fail "the program's compile flags ($flags) do not fortify"
    echo "check-package: the program's compile flags fortify: $flags"
}

check_hardening() {
    local binary=$1 report skip=()
    report=$(hardening-check --verbose "$binary") || true
    if grep -q 'Control flow integrity: no' <<<"$report" &&
        ! readelf -n "$(g++ -print-file-name=Scrt1.o)" | grep -q 'x86 feature: IBT, SHSTK'; then
        local disassembly endbr returns
        disassembly=$(objdump -d --no-show-raw-insn "$binary")
        endbr=$(grep -c endbr64 <<<"$disassembly" || true)
        returns=$(grep -cP '\tret' <<<"$disassembly" || true)
        echo "check-package: no control-flow marking from the start files; $endbr endbr64 for $returns returns"
        [ "$endbr" -gt "$returns" ] || fail "the binary is not built with control-flow protection"
        skip+=(--nocfprotection)
    fi
    if grep -q 'Fortify Source functions: no, only unprotected functions found' <<<"$report"; then
        probe_fortify
        skip+=(--nofortify)
    fi
    hardening-check "${skip[@]}" "$binary" || fail "$binary lacks a hardening feature"
}

scripts/ensure-packages.sh $(grep -v '^#' "$packages") desktop-file-utils appstream dpkg-dev file devscripts lintian

app_id=com.orvane.ParlonaControl
stage=$build_dir/stage
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DPARLONA_WERROR=ON \
    -DPARLONA_DEBIAN_FLAGS=ON -DPARLONA_QT6="$qt6" -DPARLONA_BUILD_TESTS=OFF -DPARLONA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
rm -rf "$stage"
DESTDIR="$PWD/$stage" cmake --install "$build_dir" >/dev/null

# One reverse-DNS id names the desktop entry, the icon and the AppStream data; the command keeps
# its plain name.
desktop=$stage/usr/share/applications/$app_id.desktop
metainfo=$stage/usr/share/metainfo/$app_id.metainfo.xml
for expected in usr/bin/parlona-control "${desktop#"$stage"/}" "${metainfo#"$stage"/}" \
    usr/share/icons/hicolor/scalable/apps/$app_id.svg usr/share/icons/hicolor/48x48/apps/$app_id.png \
    usr/lib/udev/rules.d/60-parlona-hybrid.rules usr/lib/systemd/user/parlona-control.service \
    usr/share/doc/parlona-control/copyright; do
    [ -e "$stage/$expected" ] || fail "$expected is not installed"
done
desktop-file-validate "$desktop"
appstreamcli validate --no-net --explain "$metainfo"
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry's icon is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the AppStream data does not launch $app_id.desktop"
grep -q "<icon type=\"stock\">$app_id</icon>" "$metainfo" || fail "the AppStream data does not name the icon $app_id"
for key in 'Name\[nl\]' 'GenericName\[nl\]' 'Comment\[nl\]'; do
    grep -q "^$key=" "$desktop" || fail "the desktop entry has no $key"
done
for tag in name summary; do
    grep -q "<$tag xml:lang=\"nl\">" "$metainfo" || fail "the AppStream data has no Dutch $tag"
done
# The remote control's interface, with the arguments named.
interface=$stage/usr/share/dbus-1/interfaces/$app_id.xml
[ -e "$interface" ] || fail "the D-Bus interface description is not installed"
grep -q '<interface name="com.orvane.ParlonaControl.Hybrid">' "$interface" &&
    grep -q '<arg name="number" type="s" direction="in"/>' "$interface" ||
    fail "the D-Bus interface description lacks the interface or Dial's named argument"
# The program reaches the hybrid through hidraw only: the rule opens nothing else.
rule=$stage/usr/lib/udev/rules.d/60-parlona-hybrid.rules
if grep -v '^#' "$rule" | grep -v 'SUBSYSTEM=="hidraw"' | grep -q .; then
    fail "the udev rule opens more than the hidraw node"
fi
# The user service restarts the program after a crash and starts it with the session.
service=$stage/usr/lib/systemd/user/parlona-control.service
grep -qx 'Restart=on-failure' "$service" && grep -qx 'WantedBy=graphical-session.target' "$service" &&
    grep -qx 'ExecStart=/usr/bin/parlona-control --minimized' "$service" ||
    fail "the user service does not restart on failure or start with the session"
"$stage/usr/bin/parlona-control" --version

(cd "$build_dir" && rm -f parlona-control_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build_dir"/parlona-control_*.deb)
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
dpkg-deb --contents "$deb"
# The dependencies come from the libraries the program links, the plugins from the Qt it was
# built with.
if [ "$qt6" = ON ]; then
    qt=(libqt6widgets6 libqt6sql6-sqlite libqt6multimedia6) other=libqt5 translations=qt6-translations-l10n
else
    qt=(libqt5widgets5 libqt5sql5-sqlite libqt5multimedia5-plugins) other=libqt6 translations=qttranslations5-l10n
fi
depends=$(dpkg-deb --field "$deb" Depends)
# The screening page's HTTP library.
for package in "${qt[@]}" libcpp-httplib0.11; do
    grep -q "\b$package\b" <<<"$depends" || fail "the package does not depend on $package"
done
! grep -q "$other" <<<"$depends" || fail "the package depends on the other Qt: $depends"
dpkg-deb --field "$deb" Recommends | grep -q "\b$translations\b" || fail "the package does not recommend $translations"

# Every hardening feature, checked on the binary as packaged (stripped).
unpacked=$build_dir/unpacked
rm -rf "$unpacked"
dpkg-deb --extract "$deb" "$unpacked"
check_hardening "$unpacked/usr/bin/parlona-control"
# Errors and warnings fail; the tags kept on purpose are overridden in the package, with the reason.
lintian --fail-on error,warning --display-info --show-overrides "$deb" || fail "lintian finds fault with $deb"
echo "check-package: $deb is fine"
