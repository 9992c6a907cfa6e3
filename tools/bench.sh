#!/usr/bin/env bash
# Builds and runs the benchmarks (Release, native), then prints each one as a
# ratio to the baseline it names in its label ("vs:BM_Baseline"), measured in
# the same run. Extra arguments go to Google Benchmark (e.g. --benchmark_filter=Crc).
# Then times velta-cli crc32 and md5 as whole processes on a page-cached 256 MiB file
# against a plain C program calling zlib's crc32 and `openssl md5`, in turn.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTA_BENCH=ON >/dev/null
cmake --build build/native --target velta_bench velta-cli >/dev/null
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

# Whole processes, start-up included: A and B run in turn (A B A B ...), so a drift of the
# machine's speed moves both; the median of the pairwise ratios is printed.
data=build/bench-data
mkdir -p "$data"
[ -s "$data/256MiB.bin" ] || head -c 268435456 /dev/urandom >"$data/256MiB.bin"
cat "$data/256MiB.bin" >/dev/null  # in the page cache
yardsticks=()
if cc -O2 -o "$data/zlib_crc32_file" bench/zlib_crc32_file.c -lz 2>/dev/null; then
  yardsticks+=("build/native/velta-cli crc32 $data/256MiB.bin|$data/zlib_crc32_file $data/256MiB.bin")
fi
command -v openssl >/dev/null && yardsticks+=("build/native/velta-cli md5 $data/256MiB.bin|openssl md5 $data/256MiB.bin")
python3 - "${yardsticks[@]}" <<'PY'
import resource, statistics, subprocess, sys, time
def run(cmd):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(cmd.split(), stdout=subprocess.DEVNULL, check=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
print("\nwhole processes on a page-cached 256 MiB file (median of 11 pairs, A/B below 1: A is faster):")
for pair in sys.argv[1:]:
    a, b = pair.split("|")
    run(a); run(b)  # warm-up
    walls, cpus = [], []
    for _ in range(11):
        wa, ca = run(a); wb, cb = run(b)
        walls.append(wa / wb); cpus.append(ca / cb)
    print(f"  {a.split()[1]:<6} A/B wall {statistics.median(walls):6.2f}  cpu {statistics.median(cpus):6.2f}   (B: {b.split()[0].split('/')[-1]})")
PY
