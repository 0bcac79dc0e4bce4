#!/usr/bin/env bash
# Throughput of the command-line tool on a 64 MB file against the library's own rate, in one
# run on one machine: `qirvale encrypt/decrypt` per mode, `qirvale mac` and `qirvale hash`
# (best of three runs), beside symmetric_bench's many-block rate per mode (16 KiB per call)
# and its hash rate on 1 MiB.
#
# Two ratios: by elapsed time, which is what a user sees, and by processor time (user +
# system, as Google Benchmark counts it), which other load on a shared machine distorts less.
# Either way the tool also pays the kernel's copying of the file data in and out.
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

# The library's rates in MB/s (10^6 bytes) by benchmark name: by elapsed and processor time.
declare -A library_wall library_cpu
while IFS=, read -r name wall cpu; do
  library_wall[$name]=$wall
  library_cpu[$name]=$cpu
done < <("$library_bench" --benchmark_filter='CipherBlocks/|Hash/bytes:1048576' \
           --benchmark_format=csv 2>/dev/null |
         awk -F, 'NR > 1 { gsub(/"/, "", $1)
                           printf "%s,%.1f,%.1f\n", $1, $6 * $4 / $3 / 1e6, $6 / 1e6 }')

# The best elapsed and the best processor time of three runs of a command, in seconds.
best_times() {
  local wall="" cpu="" TIMEFORMAT='%3R %3U %3S' times
  for _ in 1 2 3; do
    times=$({ time "$@" >/dev/null; } 2>&1)
    read -r wall cpu < <(awk -v t="$times" -v w="$wall" -v c="$cpu" 'BEGIN {
      split(t, f, " "); s = f[2] + f[3]
      if (w == "" || f[1] < w) w = f[1]
      if (c == "" || s < c) c = s
      printf "%.3f %.3f\n", w, c }')
  done
  echo "$wall $cpu"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "?" }'; }
rate() { awk -v n="$size" -v t="$1" 'BEGIN { printf "%.1f", n / t / 1e6 }'; }

printf '%-20s %21s %21s\n' "" "elapsed: tool/library" "processor: tool/library"
report() {  # label, library benchmark name, command...
  local label=$1 name=$2 wall cpu
  shift 2
  read -r wall cpu < <(best_times "$@")
  local tool_wall tool_cpu
  tool_wall=$(rate "$wall")
  tool_cpu=$(rate "$cpu")
  printf '%-20s %8s/%-7s %5s %8s/%-7s %5s\n' "$label" \
    "$tool_wall" "${library_wall[$name]:-?}" "$(ratio "$tool_wall" "${library_wall[$name]:-0}")" \
    "$tool_cpu" "${library_cpu[$name]:-?}" "$(ratio "$tool_cpu" "${library_cpu[$name]:-0}")"
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
