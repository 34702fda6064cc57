#!/usr/bin/env bash
# Runs one fuzz target of a clang build (TARVIK_FUZZ) until it has executed
# a given number of inputs with no failure, in runs of at most 500,000 inputs
# on a corpus carried from run to run: a fuzzer process that has run for an
# hour executed inputs several times slower than a fresh one on the same
# corpus. Stops at the first failure, keeping its input and log.
#
# Usage: fuzz-campaign.sh <build-dir> <target> <executions> <work-dir> [libFuzzer args...]
# The work folder keeps the grown corpus (<target>-corpus, started from the
# repository's), the last run's log, what a run found (<target>-crash-...,
# <target>-timeout-...) and a line per run in summary; a later call with the
# same folder carries on from the count there.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
target="$2"
goal="$3"
work="$4"
shift 4
extra=("$@")

export QT_QPA_PLATFORM=offscreen
# Allocation stack traces off: about a third faster, and every fault is
# still found and reported where it happens.
export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=0:detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

executable="$build/fuzz/fuzz_$target"
[ -x "$executable" ] || { echo "$executable: not built (configure with clang)" >&2; exit 2; }
mkdir -p "$work"
work="$(cd "$work" && pwd)"
corpus="$work/$target-corpus"
[ -d "$corpus" ] || cp -r "$root/fuzz/corpus/$target" "$corpus"
summary="$work/summary"

executed() {
    awk -v t="$target" '$1 == t && $2 == "passed" { s += $3 } END { print s + 0 }' "$summary" 2>/dev/null || echo 0
}

total="$(executed)"
while [ "$total" -lt "$goal" ]; do
    runs=$((goal - total < 500000 ? goal - total : 500000))
    log="$work/$target.log"
    started="$(date +%s)"
    status=0
    # A long time-out: the runs may share the machine with builds.
    "$executable" -runs="$runs" -timeout=120 -print_final_stats=1 \
        -artifact_prefix="$work/$target-" "${extra[@]}" "$corpus" >"$log" 2>&1 || status=$?
    count="$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)"
    seconds=$(($(date +%s) - started))
    # A run that ends without its count would otherwise repeat for ever.
    if [ "$status" -eq 0 ] && [ "$count" -eq 0 ]; then
        status=1
    fi
    if [ "$status" -ne 0 ]; then
        echo "$target failed $count ${seconds}s $(date -u +%FT%TZ)" >>"$summary"
        cp "$log" "$work/$target-failed-$(date +%s).log"
        echo "fuzz_$target: FAILED after $total inputs (log and input in $work)" >&2
        exit 1
    fi
    echo "$target passed $count ${seconds}s $(date -u +%FT%TZ)" >>"$summary"
    total=$((total + count))
done
echo "fuzz_$target: $total inputs, no failure"
