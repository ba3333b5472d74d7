#!/usr/bin/env bash
# Builds the fuzz preset if needed and runs every fuzz target (or the ones named) for SECONDS
# each (default 60), after replaying its corpus and kept crash inputs. Prints executions and
# findings per target; exits 1 when any target found something. Findings are kept in
# build/fuzz/findings/<target>/, new corpus inputs in build/fuzz/corpus/<target>/.
# FUZZ_JOBS=N runs N targets at a time (default 1).
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
jobs="${FUZZ_JOBS:-1}"
all_targets=(frame_assembler replies stored_replies record_file instrument_file ini_file
             request_parser cli_arguments)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

echo "== build: preset fuzz"
{ cmake --preset fuzz >/dev/null && cmake --build --preset fuzz; } || {
    echo "fuzz: BUILD FAILED"
    exit 1
}

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

# Runs one target; its summary line goes to build/fuzz/findings/<target>.result.
fuzz_target() {
    local target="$1"
    local program="build/fuzz/fuzz/fuzz_$target"
    local corpus="build/fuzz/corpus/$target"
    local findings="build/fuzz/findings/$target"
    local log="build/fuzz/findings/$target.log"
    mkdir -p "$corpus" "$findings"
    local inputs=("$corpus" "fuzz/corpus/$target")
    [ -d "fuzz/regressions/$target" ] && inputs+=("fuzz/regressions/$target")
    local options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=30
                   -rss_limit_mb=2560 -artifact_prefix="$findings/")
    [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
    local before
    before=$(find "$findings" -type f | wc -l)
    echo "== fuzz: $target for ${seconds}s"
    "$program" "${options[@]}" "${inputs[@]}" >"$log" 2>&1
    local rc=$?
    local runs
    runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$')
    local found=$(( $(find "$findings" -type f | wc -l) - before ))
    if [ "$rc" -ne 0 ] || [ "$found" -gt 0 ]; then
        [ "$found" -gt 0 ] || found=1
        grep -E 'ERROR|fuzz check failed|SUMMARY|Test unit written' "$log" | head -n 5
    fi
    echo "$target: ${runs:-0} executions, $found findings" >"build/fuzz/findings/$target.result"
}

mkdir -p build/fuzz/findings
for target in "${targets[@]}"; do
    rm -f "build/fuzz/findings/$target.result"
    fuzz_target "$target" &
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
done
wait

status=0
echo "== fuzz summary (${seconds}s per target)"
for target in "${targets[@]}"; do
    result="build/fuzz/findings/$target.result"
    line=$(cat "$result" 2>/dev/null || echo "$target: did not run")
    echo "   $line"
    [[ "$line" == *" 0 findings" ]] || status=1
done
exit $status
