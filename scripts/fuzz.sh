#!/usr/bin/env bash
# Runs the fuzz targets of a build made with clang (TARVIK_FUZZ), each for a
# while over a copy of its corpus, so that the corpus in the repository is
# not grown by the run. Fails when any target finds a crash, a broken rule,
# a leak or an input that takes longer than the time-out. Two targets run at
# a time; what a target found is kept in <build-dir>/fuzz/runs/.
#
# Usage: fuzz.sh <build-dir> [seconds per target, 15] [extra libFuzzer args...]
# TARVIK_FUZZ_TARGETS="monitor rom_image" picks targets (default: all).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
seconds="${2:-15}"
shift $(($# >= 2 ? 2 : 1))
extra=("$@")

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

targets=(${TARVIK_FUZZ_TARGETS:-$(ls "$root/fuzz/corpus")})
runs="$build/fuzz/runs"
rm -rf "$runs"
mkdir -p "$runs"

# One target: its corpus copied, its findings and log in the runs folder.
fuzz_one() {
    local name="$1"
    local executable="$build/fuzz/fuzz_$name"
    [ -x "$executable" ] || { echo "$executable: not built (configure with clang)" >"$runs/$name.log"; return 1; }
    cp -r "$root/fuzz/corpus/$name" "$runs/$name-corpus"
    "$executable" -max_total_time="$seconds" -timeout=5 -print_final_stats=1 \
        -artifact_prefix="$runs/$name-" "$runs/$name-corpus" "${extra[@]}" >"$runs/$name.log" 2>&1
}

report() {
    local name="$1" status="$2"
    if [ "$status" -eq 0 ]; then
        echo "fuzz_$name: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$runs/$name.log" | grep -o '[0-9]*$') inputs, no failure"
    else
        echo "fuzz_$name: FAILED (log and input in $runs)"
        tail -40 "$runs/$name.log"
    fi
}

failed=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pair=("${targets[@]:i:2}")
    pids=()
    for name in "${pair[@]}"; do
        fuzz_one "$name" &
        pids+=($!)
    done
    for j in "${!pair[@]}"; do
        status=0
        wait "${pids[j]}" || status=$?
        report "${pair[j]}" "$status"
        [ "$status" -eq 0 ] || failed=1
    done
done
exit "$failed"
