#!/bin/sh
# Samples a running process's CPU and wake-ups over rounds of a fixed window:
#   measure_program.sh PID [WINDOW_S] [ROUNDS]    (defaults: 20 s, 3 rounds)
# CPU is given twice, from utime + stime in /proc/PID/stat (clock ticks, coarse) and from the
# scheduler's run time of every thread (/proc/PID/task/*/schedstat, ns); wake-ups are the
# voluntary context switches of every thread, and of the main thread alone.
set -eu
pid=$1
window=${2:-20}
rounds=${3:-3}
ticks=$(getconf CLK_TCK)

sample() {
    stat=$(cut -d' ' -f14,15 "/proc/$pid/stat" | awk '{ print $1 + $2 }')
    run=$(cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s }')
    all=$(cat /proc/"$pid"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { s += $2 } END { print s }')
    main=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$pid/status")
    echo "$stat $run $all $main $(date +%s.%N)"
}

echo "round  cpu%(stat)  cpu%(schedstat)  wakeups/s(all)  wakeups/s(main)"
i=1
while [ "$i" -le "$rounds" ]; do
    before=$(sample)
    sleep "$window"
    after=$(sample)
    echo "$before $after" | awk -v t="$ticks" -v r="$i" '{
        s = $10 - $5
        printf "%5d  %10.3f  %15.3f  %14.1f  %15.1f\n", r, ($6 - $1) / t / s * 100, ($7 - $2) / 1e9 / s * 100,
            ($8 - $3) / s, ($9 - $4) / s }'
    i=$((i + 1))
done
