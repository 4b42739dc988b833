#!/bin/bash
# What the program costs, side by side with a bare Qt program running one 1 ms timer:
#   - connected to a virtual hybrid, idle;
#   - connected, in a call placed with --dial (the virtual hybrid answers it after a few seconds,
#     and its levels move the meters);
#   - no unit, auto-connect on;
#   - the reference, bench_bare_timer.
# Each case is measured in turn in every round, so that the reference sees the same load as the
# program; the ratios to it are what counts. CPU is the scheduler's run time of all threads
# (/proc/PID/task/*/schedstat) as a share of one core, wake-ups the voluntary and non-voluntary
# context switches of all threads (/proc/PID/task/*/status), per second.
#
#   bench/cpu-in-a-call.sh [--quick] [--window S] [--rounds N] [--build DIR] [--display :N]
#   (defaults: 20 s windows, 3 rounds, build directory "build", display :61;
#    --quick: 5 s windows, 1 round)
#
# Runs the program under Xvfb without GL, with a session bus and a home of its own.
set -eu

window=20
rounds=3
build=build
display=:61
while [ $# -gt 0 ]; do
    case $1 in
    --quick) window=5 rounds=1 ;;
    --window) window=$2 && shift ;;
    --rounds) rounds=$2 && shift ;;
    --build) build=$2 && shift ;;
    --display) display=$2 && shift ;;
    *) echo "usage: $0 [--quick] [--window S] [--rounds N] [--build DIR] [--display :N]" >&2 && exit 2 ;;
    esac
    shift
done

program=$build/src/parlona-control
reference=$build/bench/bench_bare_timer
for file in "$program" "$reference"; do
    [ -x "$file" ] || { echo "$file is missing: build the program and the benchmarks first" >&2 && exit 2; }
done
for tool in Xvfb dbus-daemon; do
    command -v $tool >/dev/null || { echo "$tool is missing" >&2 && exit 2; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1600x1100x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
sleep 1
# A display still held by another run would leave the program without one.
kill -0 "${pids[0]}" 2>/dev/null || { echo "Xvfb did not start on $display: $(cat "$work/xvfb.log")" >&2 && exit 1; }
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$work/bus" 4>"$work/bus.pid"
pids+=("$(cat "$work/bus.pid")")
export DBUS_SESSION_BUS_ADDRESS
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
export DISPLAY=$display QT_XCB_GL_INTEGRATION=none QT_QPA_PLATFORM=xcb
unset QT_LOGGING_RULES

# A home of its own for every start, auto-connect on.
fresh_home() {
    home=$work/home.$RANDOM
    mkdir -p "$home/config/Orvane" "$home/data" "$home/runtime"
    chmod 700 "$home/runtime"
    printf '[General]\nAutoConnect=true\n' >"$home/config/Orvane/Parlona Control.conf"
    echo "$home"
}

start() { # start LOG COMMAND...: starts it in a fresh home, the pid in $started
    local log=$1 home
    shift
    home=$(fresh_home)
    env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
        "$@" >"$log" 2>&1 &
    started=$!
    pids+=($started)
}

stop() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

status_is() { # status_is KEY VALUE
    "$program" --status 2>/dev/null | grep -qx "$1: $2"
}

wait_for() { # wait_for KEY VALUE SECONDS
    local i
    for i in $(seq $(($3 * 10))); do
        status_is "$1" "$2" && return 0
        sleep 0.1
    done
    echo "timed out waiting for $1: $2" >&2
    return 1
}

sample() { # run time (ns), context switches, time (s)
    local pid=$1
    echo "$(cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s }')" \
        "$(cat /proc/"$pid"/task/*/status 2>/dev/null \
            | awk '/^(non)?voluntary_ctxt_switches/ { s += $2 } END { print s }')" \
        "$(date +%s.%N)"
}

measure() { # measure PID: prints "cpu% wakeups/s" over one window
    local before after
    before=$(sample "$1")
    sleep "$window"
    after=$(sample "$1")
    echo "$before $after" | awk '{ s = $6 - $3; printf "%.3f %.0f\n", ($4 - $1) / 1e9 / s * 100, ($5 - $2) / s }'
}

results=$work/results
: >"$results"
note() { # note ROUND CASE "cpu wakeups"
    echo "$1 $2 $3" >>"$results"
    printf 'round %d  %-10s  cpu %7.3f %%  %6s wake-ups/s\n' "$1" "$2" $3 >&2
}

for round in $(seq "$rounds"); do
    start "$work/reference.log" "$reference"
    sleep 1
    note "$round" reference "$(measure "$started")"
    stop "$started"

    start "$work/connected.log" "$program" --virtual-hybrid
    wait_for sim ready 30
    sleep 3
    note "$round" idle "$(measure "$started")"
    "$program" --dial 0612345678 >/dev/null
    wait_for call active 30
    sleep 1
    note "$round" call "$(measure "$started")"
    status_is call active || echo "round $round: the call ended during the window" >&2
    "$program" --hangup >/dev/null || true
    stop "$started"

    start "$work/nounit.log" "$program"
    wait_for connected no 30
    sleep 3
    note "$round" nounit "$(measure "$started")"
    stop "$started"
done

echo
echo "$window s windows, $rounds rounds, load average $(cut -d' ' -f1-3 /proc/loadavg)"
awk '
    function sorted(list, n,    i, j, t) {
        for (i = 2; i <= n; i++)
            for (j = i; j > 1 && list[j - 1] > list[j]; j--) { t = list[j]; list[j] = list[j - 1]; list[j - 1] = t }
    }
    { cpu[$2, ++n[$2]] = $3; wake[$2, n[$2]] = $4; ref[$1] = ($2 == "reference") ? $3 : ref[$1]; round[$2, n[$2]] = $1 }
    END {
        split("idle call nounit reference", order, " ")
        label["idle"] = "connected to the virtual hybrid, idle"
        label["call"] = "connected, in a call (meters moving)"
        label["nounit"] = "no unit, auto-connect on"
        label["reference"] = "bare Qt program, one 1 ms timer"
        printf "| %-38s | %-26s | %-10s | %-21s |\n", "case", "CPU % min / median / max", "wake-ups/s", "x reference (median)"
        printf "|%s|%s|%s|%s|\n", "----------------------------------------", "----------------------------", "------------", "-----------------------"
        for (k = 1; k <= 4; k++) {
            c = order[k]; m = n[c]
            for (i = 1; i <= m; i++) { a[i] = cpu[c, i]; w[i] = wake[c, i]; r[i] = ref[round[c, i]] > 0 ? cpu[c, i] / ref[round[c, i]] : 0 }
            sorted(a, m); sorted(w, m); sorted(r, m)
            mid = int((m + 1) / 2)
            printf "| %-38s | %7.3f / %7.3f / %7.3f | %10.0f | %20.3fx |\n", label[c], a[1], a[mid], a[m], w[mid], r[mid]
        }
    }' "$results"
