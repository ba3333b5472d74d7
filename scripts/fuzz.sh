#!/usr/bin/env bash
# Builds the fuzz preset if needed and runs every fuzz target (or the ones named) for SECONDS
# each (default 60), after replaying its corpus and kept crash inputs. Prints executions and
# findings per target; exits 1 when any target found something. Findings are kept in
# build/fuzz/findings/<target>/, new corpus inputs in build/fuzz/corpus/<target>/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
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
status=0
summary=()
for target in "${targets[@]}"; do
    program="build/fuzz/fuzz/fuzz_$target"
    corpus="build/fuzz/corpus/$target"
    findings="build/fuzz/findings/$target"
    log="build/fuzz/findings/$target.log"
    mkdir -p "$corpus" "$findings"
    inputs=("$corpus" "fuzz/corpus/$target")
    [ -d "fuzz/regressions/$target" ] && inputs+=("fuzz/regressions/$target")
    options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=30 -rss_limit_mb=2560
             -artifact_prefix="$findings/")
    [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
    before=$(find "$findings" -type f | wc -l)
    echo "== fuzz: $target for ${seconds}s"
    "$program" "${options[@]}" "${inputs[@]}" >"$log" 2>&1
    rc=$?
    runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$')
    found=$(( $(find "$findings" -type f | wc -l) - before ))
    if [ "$rc" -ne 0 ] || [ "$found" -gt 0 ]; then
        status=1
        [ "$found" -gt 0 ] || found=1
        grep -E 'ERROR|fuzz check failed|SUMMARY|Test unit written' "$log" | head -n 5
    fi
    summary+=("$target: ${runs:-0} executions, $found findings")
done

echo "== fuzz summary (${seconds}s per target)"
for line in "${summary[@]}"; do echo "   $line"; done
exit $status
