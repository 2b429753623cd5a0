#!/usr/bin/env bash
# Runs the fuzzers for longer than the test command does: scripts/fuzz.sh [seconds] [fuzzer...]
# (default 600 seconds each, every fuzzer). Builds the fuzz preset first. Each fuzzer keeps the corpus it
# grows in build/fuzz-corpus/<fuzzer>/ between runs and starts from it and its seeds in fuzz/; inputs that
# fail land in build/fuzz-corpus/<fuzzer>-failures/. FUZZ_JOBS fuzzers run at once (default 1).
# Ends with one line per fuzzer: its outcome, executions and coverage.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift $(($# > 0 ? 1 : 0))
jobs=${FUZZ_JOBS:-1}
corpora=$PWD/build/fuzz-corpus

cmake --preset fuzz >/dev/null && nice -n 10 cmake --build --preset fuzz -j "$(nproc)" || exit 1

# Undefined behaviour stops a run as a crash does; the skin fuzzer's Qt needs no display.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen

declare -A program=() seeds=()
names=()
while IFS=$'\t' read -r name binary seed; do
    [ -n "$name" ] || continue
    program[$name]=$binary
    seeds[$name]=$seed
    names+=("$name")
done <build/fuzz/fuzzers.txt
if [ $# -gt 0 ]; then
    for name in "$@"; do
        [ -n "${program[$name]:-}" ] || { echo "No fuzzer named $name; there are: ${names[*]}" >&2; exit 1; }
    done
    names=("$@")
fi

run() {
    local name=$1
    mkdir -p "$corpora/$name" "$corpora/$name-failures"
    nice -n 10 "${program[$name]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$corpora/$name-failures/" \
        "$corpora/$name" "${seeds[$name]}" >"$corpora/$name.log" 2>&1
}

for name in "${names[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n
    done
    echo "Fuzzing $name for $seconds s (log: build/fuzz-corpus/$name.log)"
    run "$name" &
done
wait

echo
echo "==== Fuzzers ===="
status=0
for name in "${names[@]}"; do
    log=$corpora/$name.log
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    coverage=$(grep -E '^#[0-9]+.*(DONE|cov:)' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+')
    if grep -qE '^==[0-9]+==ERROR|^SUMMARY: |deadly signal|Test unit written' "$log"; then
        outcome=FAILED
        status=1
    else
        outcome=passed
    fi
    printf '%-26s %-7s executions %-10s %s\n' "$name" "$outcome" "${runs:-?}" "${coverage:-}"
done
exit $status
