#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs one of them,
# or each in turn, for the given number of seconds:
#
#   bash scripts/fuzz.sh recordline|inventoryfile|searchfilter|all SECONDS
#
# A fuzzer starts from the seeds in fuzz/corpus/<target> and keeps the inputs
# it adds in build/fuzz/corpus/<target>; an input that crashes, hangs or trips
# a sanitizer or a check is saved in build/fuzz/artifacts/<target>/ and the
# script exits non-zero. PEZZARIUM_FUZZ_BUILD names another build folder.
# The packages it needs: bash scripts/install-deps.sh fuzz
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(recordline inventoryfile searchfilter)
usage() {
    local IFS='|'
    echo "usage: $0 ${targets[*]}|all SECONDS" >&2
    exit 2
}
(($# == 2)) || usage
[[ $2 =~ ^[1-9][0-9]*$ ]] || usage
seconds=$2
if [[ $1 == all ]]; then
    chosen=("${targets[@]}")
else
    [[ " ${targets[*]} " == *" ${1#fuzz_} "* ]] || usage
    chosen=("${1#fuzz_}")
fi

build=${PEZZARIUM_FUZZ_BUILD:-build/fuzz}
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target "${chosen[@]/#/fuzz_}"

for target in "${chosen[@]}"; do
    case $target in
        recordline) dict=fuzz/dict/utf16.dict ;;
        *) dict=fuzz/dict/bytes.dict ;;
    esac
    corpus=$build/corpus/$target
    artifacts=$build/artifacts/$target
    log=$build/logs/$target.log
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    echo "== fuzz_$target for $seconds s (log: $log)"
    # One process, one input at a time; -timeout makes a hang a finding.
    status=0
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -dict="$dict" -artifact_prefix="$artifacts/" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    # The last status line: covered edges and features, inputs in the corpus.
    final=$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*' "$log" | tail -n 1 || true)
    echo "fuzz_$target: ${runs:-?} executions, ${rate:-?} exec/s, ${final:-no status}, exit $status"
    if ((status != 0)); then
        tail -n 60 "$log"
        echo "fuzz_$target found a fault; the input is in $artifacts/" >&2
        exit "$status"
    fi
done
