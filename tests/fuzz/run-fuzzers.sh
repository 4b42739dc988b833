#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz) and runs each for a while on a copy of
# its seed corpus, so that a run never grows the corpus in the tree.
#   tests/fuzz/run-fuzzers.sh                        every target for 20 s
#   tests/fuzz/run-fuzzers.sh 600 frame payload      fuzz_frame and fuzz_payload for 600 s each
# Set FUZZ_SKIP_BUILD=1 to run what is built already (runs side by side, for instance).
# Fails when a target crashes or breaks an invariant; the input that did it is kept in
# build-fuzz/artifacts/ and the target's log in build-fuzz/fuzz-runs/. Prints the executions of
# every target.
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=${1:-20}
if [ $# -gt 0 ]; then shift; fi
build_dir=build-fuzz

if [ "${FUZZ_SKIP_BUILD:-0}" != 1 ]; then
    CXX=clang++ cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARLONA_FUZZ=ON \
        -DPARLONA_WERROR=ON >/dev/null
    cmake --build "$build_dir" -j"$(nproc)"
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in tests/fuzz/fuzz_*.cpp; do
        name=$(basename "$source" .cpp)
        targets+=("${name#fuzz_}")
    done
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

runs="$build_dir/fuzz-runs"
artifacts="$build_dir/artifacts"
mkdir -p "$runs" "$artifacts"
failed=0
for target in "${targets[@]}"; do
    corpus="$runs/$target"
    log="$runs/$target.log"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp tests/fuzz/corpus/"$target"/* "$corpus"/
    if "$build_dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" "$corpus" >"$log" 2>&1; then
        result="no crash"
    else
        result="FAILED (log: $log)"
        failed=1
        grep -E -A 30 "ERROR|runtime error|invariant broken|deadly signal" "$log" | head -n 60 || true
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    echo "fuzz_$target: ${executions:-?} executions in $seconds s (${rate:-?}/s), $result"
done
exit $failed
