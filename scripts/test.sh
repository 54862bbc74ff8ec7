#!/usr/bin/env bash
# Builds the readout and runs every test, headless: in the normal build, and again in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer that halts on the first finding and checks for leaks.
# Prints both test summaries; fails when a test fails or a sanitizer reports anything, in any process.
# `--quick`: the normal build and its tests only, for a change in progress.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

quick=0
case "${1:-}" in
    "") ;;
    --quick) quick=1 ;;
    *)
        echo "usage: bash scripts/test.sh [--quick]" >&2
        exit 2
        ;;
esac

readout_install_missing "${readout_packages[@]}"
readout_ensure_locale
export QT_QPA_PLATFORM=offscreen

build="$READOUT_ROOT/build"
sanitized="$READOUT_ROOT/build-asan"
# Every report of every process, the programs the tests start included, lands here.
reports="$sanitized/sanitizer-reports"

# run_tests BUILD_DIR NAME: runs the build's tests and keeps their output in BUILD_DIR/ctest.log.
run_tests() {
    local status=0
    echo "== Tests, $2"
    ctest --test-dir "$1" -j "$(nproc)" --output-on-failure --timeout 600 2>&1 | tee "$1/ctest.log" || status=$?
    return "$status"
}

# summary NAME SECONDS BUILD_DIR: the build's CTest summary.
summary() {
    echo "-- $1 (build and tests ${2}s)"
    sed -n "/tests passed, /,\$p" "$3/ctest.log"
}

started=$SECONDS
readout_build "$build"
normal_status=0
run_tests "$build" "normal build" || normal_status=$?
normal_seconds=$((SECONDS - started))

if ((quick)); then
    echo
    echo "== Summary (--quick: no sanitizer build)"
    summary "Normal build" "$normal_seconds" "$build"
    exit "$normal_status"
fi

started=$SECONDS
readout_build "$sanitized" -DREADOUT_SANITIZE=ON
rm -rf "$reports"
mkdir -p "$reports"
sanitized_status=0
ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:log_path=$reports/report" \
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/report" \
    run_tests "$sanitized" "sanitizer build" || sanitized_status=$?
sanitized_seconds=$((SECONDS - started))

findings=0
for report in "$reports"/report*; do
    [ -e "$report" ] || continue
    echo "== Sanitizer report $(basename "$report")"
    cat "$report"
    if grep -qE 'ERROR: |runtime error|SUMMARY: ' "$report"; then
        findings=$((findings + 1))
    fi
done

echo
echo "== Summary"
summary "Normal build" "$normal_seconds" "$build"
summary "Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)" "$sanitized_seconds" "$sanitized"
echo "-- Sanitizer findings: $findings"

((normal_status == 0 && sanitized_status == 0 && findings == 0))
