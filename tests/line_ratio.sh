#!/usr/bin/env bash
# Test code (tests/, tools/tests/, fuzz/) against library code (src/, include/, tools/), in
# non-blank lines of the files git knows. Build files (CMakeLists.txt) count; data files
# (vectors and cases), corpora and Markdown count on neither side. With --check, exits 1 when
# the ratio is above the limit.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=0.40

files() {
  git ls-files --cached --others --exclude-standard -- "$@" |
    awk '!/(^|\/)corpus\// && !/\.(json|jsonl|vec|md)$/ && (!/\.txt$/ || /(^|\/)CMakeLists\.txt$/)'
}
count() {  # files that git still lists but are deleted count as empty
  while IFS= read -r f; do [[ ! -f "$f" ]] || grep -v '^[[:space:]]*$' "$f" || :; done | wc -l
}

code=$(files src include tools | grep -v '^tools/tests/' | count)
tests=$(files tests tools/tests fuzz | count)
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.3f", t / c }')
printf 'code %d lines, tests %d lines: ratio %s (limit %s)\n' "$code" "$tests" "$ratio" "$limit"
for dir in tests tools/tests fuzz; do printf "  %-12s %6d\n" "$dir" "$(files "$dir" | count)"; done
if [[ ${1:-} == --check ]] && awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r > l) }'; then
  echo "tests exceed ${limit} of the code" >&2
  exit 1
fi
