#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal build and one with
# AddressSanitizer + UndefinedBehaviorSanitizer; between the two it builds the Debian package
# from the normal build and checks it. Then the test programs that run threads are built and run
# with ThreadSanitizer, and every fuzz target replays its corpus and fuzzes for 20 seconds.
# The tests spend most of their time waiting on sockets and timers, so while one build's tests
# run the next build is compiled beside them at a lower priority; its log is printed when done.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1

jobs=$(nproc)
# Most of the suite's time goes on waiting (the simulator's streams, the protocol's timeouts),
# not on the cores, so ctest runs twice as many tests at once as there are cores.
test_jobs=$((jobs * 2))
export QT_QPA_PLATFORM=offscreen
status=0
summary=()

# Starts building in the background, niced, with its output in build/<name>-build.log:
#   build_beside NAME COMMAND...     and later     finish_build NAME  (fails as the build did)
build_beside() {
    local name="$1"
    shift
    mkdir -p build
    echo "== build: $name, beside the tests (build/$name-build.log)"
    ( renice -n 10 -p "$BASHPID" >/dev/null; "$@" ) >"build/$name-build.log" 2>&1 &
    eval "build_pid_$name=$!"
}
finish_build() {
    local name="$1" pid_var="build_pid_$1"
    wait "${!pid_var}"
    local rc=$?
    echo "== build: $name (printed from build/$name-build.log)"
    cat "build/$name-build.log"
    return $rc
}

build_preset() {
    bash scripts/build.sh "$1"
}
tsan_build() {
    echo "== build: preset tsan (test programs that run threads)"
    cmake --preset tsan >/dev/null && cmake --build build/tsan --target zel_thread_tests
}
fuzz_build() {
    cmake --preset fuzz >/dev/null && cmake --build --preset fuzz
}

run_preset() {
    local preset="$1" built="$2"
    if [ "$built" -ne 0 ]; then
        summary+=("$preset: BUILD FAILED")
        status=1
        return
    fi
    echo "== test: preset $preset"
    local log="build/$preset/ctest.log"
    ctest --preset "$preset" -j "$test_jobs" --output-on-failure 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    [ "$rc" -eq 0 ] || status=1
    summary+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
}

# Only the test programs that run threads, built at -O1 (see the tsan preset).
run_tsan() {
    local built="$1" start=$SECONDS
    if [ "$built" -ne 0 ]; then
        summary+=("tsan: BUILD FAILED")
        status=1
        return
    fi
    echo "== test: preset tsan"
    local log="build/tsan/ctest.log"
    ctest --preset tsan -L threads -j "$test_jobs" --output-on-failure 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    [ "$rc" -eq 0 ] || status=1
    summary+=("tsan: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1) ($((SECONDS - start)) s)")
}

# Every fuzz target over its corpus and kept crash inputs, then 20 s of fuzzing; a finding fails.
run_fuzz() {
    local start=$SECONDS
    local log="build/fuzz-summary.log"
    mkdir -p build
    FUZZ_JOBS="$jobs" bash scripts/fuzz.sh 20 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    [ "$rc" -eq 0 ] || status=1
    while read -r line; do
        summary+=("fuzz: $line")
    done < <(sed -n '/== fuzz summary/,$p' "$log" | tail -n +2)
    [ "$rc" -eq 0 ] || summary+=("fuzz: FAILED")
    summary+=("fuzz: done in $((SECONDS - start)) s")
}

run_package() {
    echo "== test: package"
    if bash scripts/package.sh && bash tests/packaging/check-package.sh build/package/*.deb; then
        summary+=("package: passed")
    else
        summary+=("package: FAILED")
        status=1
    fi
}

build_preset default
built=$?
[ "$built" -ne 0 ] || build_beside asan build_preset asan
run_preset default "$built"
run_package
if [ "$built" -eq 0 ]; then finish_build asan; built=$?; else build_preset asan; built=$?; fi

build_beside tsan tsan_build
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
run_preset asan "$built"
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
finish_build tsan
built=$?

build_beside fuzz fuzz_build
run_tsan "$built"
finish_build fuzz
run_fuzz

echo "== summary"
for line in "${summary[@]}"; do echo "   $line"; done
exit $status
