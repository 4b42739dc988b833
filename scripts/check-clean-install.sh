#!/usr/bin/env bash
# Installs the package on a clean Debian 12 and starts it as a studio PC would: as the user
# service of a user whose manager runs at boot. Run as root:
#   scripts/check-clean-install.sh build-package/parlona-control_*.deb [folder]
# A minimal Debian 12 is put into folder (default build-clean-install/root) with debootstrap and
# booted with systemd-nspawn. A service in it starts parlona-control.service for the user
# "studio", sends it a remote command and reads the event back from the journal, crashes the
# program to see it started again, stops it, writes what it saw into /root/report.txt and powers
# the machine off. The report is printed; the script fails unless the service ran, its event
# reached the journal with its fields, it came back after the crash and stopped cleanly.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=${1:?usage: $0 PACKAGE.deb [folder]}
root=${2:-build-clean-install/root}
[ "$(id -u)" -eq 0 ] || { echo "check-clean-install: run as root" >&2; exit 2; }
scripts/ensure-packages.sh debootstrap systemd-container

if [ ! -x "$root/usr/bin/apt-get" ]; then
    mkdir -p "$root"
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/root/parlona-control.deb"
# The package with what it depends on, as apt installs it; and a session manager to run it.
systemd-nspawn -q -D "$root" --register=no --keep-unit bash -c '
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq systemd systemd-sysv dbus dbus-user-session procps >/dev/null
    apt-get install -y -qq /root/parlona-control.deb >/dev/null
    id studio >/dev/null 2>&1 || useradd -m -u 1000 studio
    mkdir -p /var/lib/systemd/linger && touch /var/lib/systemd/linger/studio
    mkdir -p /home/studio/.config/environment.d
    # No screen on this machine: the program draws off screen.
    echo QT_QPA_PLATFORM=offscreen >/home/studio/.config/environment.d/50-offscreen.conf
    chown -R studio: /home/studio
    rm -f /root/report.txt'

cat >"$root/usr/local/bin/parlona-install-check" <<'EOF'
#!/bin/bash
# Runs in the booted machine, as root.
as_studio() { runuser -u studio -- env XDG_RUNTIME_DIR=/run/user/1000 DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/1000/bus "$@"; }
exec >/root/report.txt 2>&1
trap 'systemctl poweroff' EXIT
for _ in $(seq 60); do as_studio systemctl --user is-system-running >/dev/null 2>&1 && break; sleep 1; done
echo "== dpkg"; dpkg-query -W parlona-control
echo "== start"; as_studio systemctl --user start parlona-control.service; sleep 5
as_studio systemctl --user show -p ActiveState -p SubState -p MainPID -p NRestarts parlona-control.service
first=$(as_studio systemctl --user show -p MainPID --value parlona-control.service)
# A remote command that the program refuses (no unit is attached here) is an event of the
# journal, with the program's own fields.
echo "== remote"; as_studio parlona-control --hangup || true; sleep 1
as_studio journalctl --user -t parlona-control -o verbose --no-pager PARLONA_EVENT=error |
    grep -E '^ +(PRIORITY|MESSAGE|PARLONA_[A-Z]+)=' | sed 's/^ *//'
echo "== crash $first"; [ "$first" -gt 0 ] && kill -SEGV "$first"; sleep 9
as_studio systemctl --user show -p ActiveState -p SubState -p MainPID -p NRestarts parlona-control.service
echo "== stop"; as_studio systemctl --user stop parlona-control.service; sleep 1
as_studio systemctl --user show -p ActiveState -p Result -p ExecMainStatus parlona-control.service
echo "== journal"; as_studio journalctl --user -t parlona-control --no-pager -o short-monotonic | tail -n 20
echo "== end"
EOF
chmod +x "$root/usr/local/bin/parlona-install-check"
cat >"$root/etc/systemd/system/parlona-install-check.service" <<'EOF'
[Unit]
Description=Start Parlona Control as the studio user's service
After=user@1000.service
Wants=user@1000.service

[Service]
Type=oneshot
ExecStart=/usr/local/bin/parlona-install-check

[Install]
WantedBy=multi-user.target
EOF
ln -sf /etc/systemd/system/parlona-install-check.service \
    "$root/etc/systemd/system/multi-user.target.wants/parlona-install-check.service"

timeout 300 systemd-nspawn -q -D "$root" --register=no --keep-unit -b >/dev/null 2>&1 </dev/null || true
report=$root/root/report.txt
[ -s "$report" ] || { echo "check-clean-install: the machine wrote no report" >&2; exit 1; }
cat "$report"
grep -q '^== end' "$report" || { echo "check-clean-install: the check did not finish" >&2; exit 1; }
states=$(grep -c '^ActiveState=active' "$report" || true)
[ "$states" -eq 2 ] || { echo "check-clean-install: the service did not run, or did not come back after the crash" >&2; exit 1; }
grep -q '^NRestarts=1' "$report" || { echo "check-clean-install: the crash was not followed by one restart" >&2; exit 1; }
grep -q '^Result=success' "$report" || { echo "check-clean-install: the service did not stop cleanly" >&2; exit 1; }
grep -q '^PARLONA_EVENT=error' "$report" && grep -q '^PRIORITY=3' "$report" ||
    { echo "check-clean-install: the program's event did not reach the journal with its fields" >&2; exit 1; }
echo "check-clean-install: installed on a clean Debian 12, ran as the user's service, wrote its events to the journal, restarted after a crash, stopped cleanly"
