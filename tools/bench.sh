#!/usr/bin/env bash
# Builds and runs the benchmarks (Release, native), then prints each one as a
# ratio to the baseline it names in its label ("vs:BM_Baseline"), measured in
# the same run. Extra arguments go to Google Benchmark (e.g. --benchmark_filter=Crc).
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native --target velta_bench >/dev/null
build/native/bench/velta_bench --benchmark_out=build/bench.json --benchmark_out_format=json "$@"
python3 - build/bench.json <<'PY'
import json, sys
runs = [b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("run_type", "iteration") == "iteration"]
by_name = {b["name"]: b for b in runs}
print("\nratios to the baseline of the same run (time per iteration; bytes/s where both report it):")
for b in runs:
    label = b.get("label", "")
    if not label.startswith("vs:"):
        continue
    base = by_name.get(label[3:])
    if base is None:
        continue
    if "bytes_per_second" in b and "bytes_per_second" in base:
        print(f"  {b['name']:<40} {b['bytes_per_second'] / base['bytes_per_second']:8.3f} x the speed of {base['name']}")
    else:
        # Wall-clock time: the work of child processes (md5sum) and of a second thread counts too.
        print(f"  {b['name']:<40} {b['real_time'] / base['real_time']:8.2f} x the time of {base['name']}")
turns = [(b["name"], k, v) for b in runs for k, v in b.items() if "_x_" in k]
if turns:
    print("\nratios of jobs taken in turn within one benchmark (time):")
    for name, key, value in turns:
        job, base = key.split("_x_", 1)
        print(f"  {job:<10} {value:8.2f} x the time of the {base}   ({name})")
peaks = [(b["name"], k, v) for b in runs for k, v in b.items() if k.endswith("_peak_MiB")]
if peaks:
    print("\npeak memory (resident, MiB):")
    for name, key, value in peaks:
        print(f"  {key[:-len('_peak_MiB')]:<10} {value:8.1f} MiB   ({name})")
PY
