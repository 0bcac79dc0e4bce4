#!/usr/bin/env bash
# Line coverage of the library reached by the fuzz targets' corpora: the seeds in
# fuzz/corpus/TARGET/ and whatever fuzz/run.sh left in build/fuzz/fuzz-corpus/TARGET/.
# Builds the targets once more without sanitizers, with clang's source-based coverage, in
# build/fuzz-coverage, replays each corpus and prints llvm-cov's per-file report of src/.
#
#   fuzz/coverage.sh [TARGET...]      (default: every fuzz/*_fuzz.cpp)
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
build="$source_dir/build/fuzz-coverage"
profdata=$(command -v llvm-profdata-14 || command -v llvm-profdata)
cov=$(command -v llvm-cov-14 || command -v llvm-cov)

flags="-fsanitize=fuzzer-no-link -fprofile-instr-generate -fcoverage-mapping"
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" \
    -DQIRVALE_BUILD_TESTS=OFF -DQIRVALE_BUILD_TOOLS=OFF -DQIRVALE_BUILD_FUZZ=ON >/dev/null
cmake --build "$build" -j 2 >/dev/null

targets=("$@")
if ((${#targets[@]} == 0)); then
    for source in "$source_dir"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
for target in "${targets[@]}"; do
    profiles="$build/profiles/$target"
    rm -rf "$profiles"
    mkdir -p "$profiles" "$source_dir/build/fuzz/fuzz-corpus/$target"
    LLVM_PROFILE_FILE="$profiles/%p.profraw" "$build/fuzz/$target" -runs=0 \
        "$source_dir/fuzz/corpus/$target" "$source_dir/build/fuzz/fuzz-corpus/$target" \
        >"$profiles/replay.log" 2>&1
    "$profdata" merge -sparse "$profiles"/*.profraw -o "$profiles/merged.profdata"
    echo "== $target ($(cat "$source_dir/fuzz/corpus/$target"/* "$source_dir/build/fuzz/fuzz-corpus/$target"/* 2>/dev/null | wc -c) corpus bytes)"
    "$cov" report "$build/fuzz/$target" -instr-profile="$profiles/merged.profdata" \
        -ignore-filename-regex='(/usr/|/fuzz/)' | sed "s|$source_dir/||"
done
