#!/usr/bin/env bash
# Runs the libFuzzer targets of the fuzz preset and prints, per target, the executions, the
# coverage reached and the corpus size.
#
#   fuzz/run.sh [--seconds N] [--build DIR] [--merge] [TARGET...]
#
#   --seconds N  fuzzing time per target (default 30; the CI's test step)
#   --build DIR  the fuzz build directory (default build/fuzz)
#   --merge      afterwards, add to the seed corpus fuzz/corpus/TARGET/ the inputs found that
#                reach coverage the seeds do not
#   TARGET...    targets to run (default: every *_fuzz executable of the build)
#
# A longer run, for example one hour per target, then keeping what it found:
#
#   cmake --preset fuzz && cmake --build --preset fuzz
#   fuzz/run.sh --seconds 3600 --merge
#
# Each target starts from its seed corpus (read only) and from what earlier runs left in
# DIR/fuzz-corpus/TARGET/. A crash, a sanitizer report, a guard-byte or result-convention
# finding, a call over the target's time bound, or an input running longer than
# QIRVALE_FUZZ_TIMEOUT seconds (default 60) fails the run; the input is kept in
# DIR/fuzz-findings/TARGET/ and the end of the log is shown.
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
seconds=30
build="$source_dir/build/fuzz"
merge=0
targets=()
while (($#)); do
    case "$1" in
        --seconds) seconds="$2"; shift 2 ;;
        --build) build="$2"; shift 2 ;;
        --merge) merge=1; shift ;;
        -h|--help) sed -n '2,24p' "$0"; exit 0 ;;
        *) targets+=("$1"); shift ;;
    esac
done
if ((${#targets[@]} == 0)); then
    for binary in "$build"/fuzz/*_fuzz; do
        [[ -x "$binary" ]] && targets+=("$(basename "$binary")")
    done
fi
if ((${#targets[@]} == 0)); then
    echo "no fuzz targets in $build/fuzz (build the fuzz preset first)" >&2
    exit 2
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
timeout="${QIRVALE_FUZZ_TIMEOUT:-60}"

status=0
for target in "${targets[@]}"; do
    binary="$build/fuzz/$target"
    seeds="$source_dir/fuzz/corpus/$target"
    corpus="$build/fuzz-corpus/$target"
    findings="$build/fuzz-findings/$target"
    log="$build/fuzz-logs/$target.log"
    mkdir -p "$seeds" "$corpus" "$findings" "$(dirname "$log")"
    options=(-max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 -max_len=4096
             -print_final_stats=1 -artifact_prefix="$findings/")
    if "$binary" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1; then
        executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
        speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
        coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' "$log" | tail -n 1 || true)
        printf '%-28s %10s executions (%s/s) in %s s, %s\n' "$target" "${executions:-?}" \
            "${speed:-?}" "$seconds" "${coverage:-no coverage line}"
    else
        status=1
        echo "FINDING in $target (log: $log, input kept in $findings/):"
        grep -n -m 1 -E 'FINDING|ERROR: |runtime error|Timeout|deadly signal' "$log" || true
        tail -n 40 "$log"
        continue
    fi
    if ((merge)); then
        # Adds to the seed corpus the inputs that reach coverage its files do not.
        before=$(ls "$seeds" | wc -l)
        "$binary" -merge=1 -timeout="$timeout" -rss_limit_mb=2048 -max_len=4096 \
            "$seeds" "$corpus" >>"$log" 2>&1
        echo "  seed corpus $seeds: $before -> $(ls "$seeds" | wc -l) inputs"
    fi
done
exit $status
