#!/usr/bin/env bash
# Throughput of the command-line tool on a 64 MB file against the library's own rate, in one
# run on one machine: `qirvale encrypt/decrypt` per mode, `qirvale mac` and `qirvale hash`
# timed (best of three), beside symmetric_bench's many-block rate per mode (16 KiB per call)
# and its hash rate on 1 MiB. Both sides count processor time (user + system), as Google
# Benchmark does, so that other load on a shared machine does not distort the ratio.
#
#   cmake --preset bench && cmake --build --preset bench && bench/tool_throughput.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build/bench; it must hold tools/qirvale and bench/symmetric_bench.
set -euo pipefail

build=${1:-build/bench}
tool=$build/tools/qirvale
library_bench=$build/bench/symmetric_bench
for program in "$tool" "$library_bench"; do
  [[ -x $program ]] || { echo "missing $program: build the bench preset first" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
size=$((64 * 1000 * 1000))
head -c "$size" /dev/urandom >"$work/data"
head -c 32 /dev/urandom >"$work/key"
iv=0123456789abcdef

# The library's rates in MB/s (10^6 bytes), by benchmark name.
declare -A library
while IFS=, read -r name rate; do
  library[$name]=$(awk -v r="$rate" 'BEGIN { printf "%.1f", r / 1e6 }')
done < <("$library_bench" --benchmark_filter='CipherBlocks/|Hash/bytes:1048576' \
           --benchmark_format=csv 2>/dev/null |
         awk -F, 'NR > 1 { gsub(/"/, "", $1); print $1 "," $6 }')

# Best processor time (user + system) of three runs of a command, in seconds.
best_time() {
  local best="" TIMEFORMAT='%3U %3S' times
  for _ in 1 2 3; do
    times=$({ time "$@" >/dev/null; } 2>&1)
    best=$(awk -v t="$times" -v b="$best" \
      'BEGIN { split(t, f, " "); s = f[1] + f[2]; if (b == "" || s < b) b = s; printf "%.3f", b }')
  done
  echo "$best"
}

printf '%-26s %10s %12s %7s\n' command "tool MB/s" "library MB/s" ratio
report() {  # label, library benchmark name, command...
  local label=$1 name=$2
  shift 2
  local seconds rate
  seconds=$(best_time "$@")
  rate=$(awk -v n="$size" -v t="$seconds" 'BEGIN { printf "%.1f", n / t / 1e6 }')
  printf '%-26s %10s %12s %7s\n' "$label" "$rate" "${library[$name]:-?}" \
    "$(awk -v a="$rate" -v b="${library[$name]:-0}" 'BEGIN { if (b > 0) printf "%.2f", a / b }')"
}

"$tool" encrypt --key "$work/key" --mode cfb --iv $iv --out "$work/data.cfb" "$work/data"
report "encrypt --mode ecb" CipherBlocks/mode:0 \
  "$tool" encrypt --key "$work/key" --mode ecb --out "$work/out" "$work/data"
report "encrypt --mode ctr" CipherBlocks/mode:1 \
  "$tool" encrypt --key "$work/key" --mode ctr --iv $iv --out "$work/out" "$work/data"
report "encrypt --mode cfb" CipherBlocks/mode:2 \
  "$tool" encrypt --key "$work/key" --mode cfb --iv $iv --out "$work/out" "$work/data"
report "decrypt --mode cfb" CipherBlocks/mode:4 \
  "$tool" decrypt --key "$work/key" --mode cfb --iv $iv --out "$work/out" "$work/data.cfb"
report "mac" CipherBlocks/mode:3 "$tool" mac --key "$work/key" "$work/data"
report "hash" Hash/bytes:1048576 "$tool" hash "$work/data"
