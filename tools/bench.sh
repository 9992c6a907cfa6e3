#!/usr/bin/env bash
# Builds and runs the benchmarks (Release, native); extra arguments go to Google Benchmark.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native --target velta_bench >/dev/null
exec build/native/bench/velta_bench "$@"
