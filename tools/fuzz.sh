#!/usr/bin/env bash
# Runs one fuzz target for a while: ./tools/fuzz.sh time_formatter 60
set -eu
cd "$(dirname "$0")/.."
name=${1:?fuzz target name, e.g. time_formatter}
seconds=${2:-60}
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVELTA_SANITIZE=ON -DVELTA_FUZZ=ON -DVELTA_BENCH=OFF >/dev/null
cmake --build build/fuzz --target "fuzz_$name" >/dev/null
mkdir -p "build/fuzz/corpus-$name"
exec "build/fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" "build/fuzz/corpus-$name" "fuzz/corpus/$name"
