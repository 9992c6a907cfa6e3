// Encoding and decoding whole 256 MiB files as the launcher does, next to what any program
// must do at least for the same file: the system's md5sum of it plus a copy of it flushed to
// the disk, measured in the same run (files page-cached). And how much memory encoding and
// decoding such a file take at their peak: a few chunks, whatever the file's size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "launcher/file_encoding.h"

namespace {

constexpr std::size_t kFileSize = 256u << 20;
const char kKey[] = "benchmark key";

std::string TempDir() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/";
}

// The 256 MiB source, written once per run and removed at its end.
const std::string& Source() {
  static const std::string path = [] {
    const std::string p = TempDir() + "velta_bench_256MiB.bin";
    // Removed by name: the string itself is gone by the time exit handlers run.
    static char name[4096];
    std::snprintf(name, sizeof name, "%s", p.c_str());
    std::atexit([] { std::remove(name); });
    std::FILE* f = std::fopen(p.c_str(), "wb");
    std::mt19937_64 gen(7);
    std::vector<std::uint64_t> block(1u << 17);
    for (std::size_t done = 0; done < kFileSize; done += block.size() * 8) {
      for (auto& v : block) v = gen();
      std::fwrite(block.data(), 8, block.size(), f);
    }
    std::fclose(f);
    return p;
  }();
  return path;
}

void CopyWithFsync(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char> buffer(kEncodedChunkSize);
  ssize_t got;
  while ((got = ::read(in, buffer.data(), buffer.size())) > 0) {
    if (::write(out, buffer.data(), static_cast<std::size_t>(got)) != got) std::abort();
  }
  ::fsync(out);
  ::close(out);
  ::close(in);
}

void BM_Md5sumAndCopyWithFsync256MiB(benchmark::State& state) {
  const std::string& source = Source();
  const std::string copy = TempDir() + "velta_bench_copy.bin";
  for (auto _ : state) {
    if (std::system(("md5sum '" + source + "' >/dev/null").c_str()) != 0) state.SkipWithError("md5sum failed");
    CopyWithFsync(source, copy);
  }
  std::remove(copy.c_str());
}

void BM_EncodeFile256MiB(benchmark::State& state) {
  const std::string& source = Source();
  const std::string dest = TempDir() + "velta_bench_256MiB.QZD";
  for (auto _ : state) {
    if (!EncodeFile(source, dest, kKey)) state.SkipWithError("EncodeFile failed");
  }
  std::remove(dest.c_str());
  state.SetLabel("vs:BM_Md5sumAndCopyWithFsync256MiB/iterations:3/real_time");
}

void BM_DecodeFile256MiB(benchmark::State& state) {
  const std::string dest = TempDir() + "velta_bench_256MiB.QZD";
  if (!EncodeFile(Source(), dest, kKey)) state.SkipWithError("EncodeFile failed");
  const std::string restored = TempDir() + "velta_bench_restored.bin";
  for (auto _ : state) {
    std::string path;
    if (!DecodeFile(dest, kKey, path, StdFileAccess::Instance(), restored)) state.SkipWithError("DecodeFile failed");
  }
  std::remove(restored.c_str());
  std::remove(dest.c_str());
  state.SetLabel("vs:BM_Md5sumAndCopyWithFsync256MiB/iterations:3/real_time");
}

// The same three jobs taken in turn, so that each sees the machine as busy as the others do
// (other programs on a shared machine move separate runs by far more than the difference
// looked for): the ratios of their summed times.
void BM_EncodeAndDecodeInTurnWithMd5sumAndCopy256MiB(benchmark::State& state) {
  const std::string& source = Source();
  const std::string copy = TempDir() + "velta_bench_copy.bin";
  const std::string dest = TempDir() + "velta_bench_turn.QZD";
  const std::string restored = TempDir() + "velta_bench_turn.bin";
  using Clock = std::chrono::steady_clock;
  Clock::duration spent[3]{};  // baseline, encoding, decoding
  const auto job = [&](int which) {
    const auto start = Clock::now();
    std::string path;
    switch (which) {
      case 0:
        if (std::system(("md5sum '" + source + "' >/dev/null").c_str()) != 0) state.SkipWithError("md5sum failed");
        CopyWithFsync(source, copy);
        break;
      case 1:
        if (!EncodeFile(source, dest, kKey)) state.SkipWithError("EncodeFile failed");
        break;
      default:
        if (!DecodeFile(dest, kKey, path, StdFileAccess::Instance(), restored)) state.SkipWithError("DecodeFile failed");
    }
    spent[which] += Clock::now() - start;
  };
  if (!EncodeFile(source, dest, kKey)) state.SkipWithError("EncodeFile failed");
  int turn = 0;
  for (auto _ : state) {
    // Each job comes first, second and third in turn: none always follows the disk work of another.
    for (int k = 0; k < 3; ++k) job((turn + k) % 3);
    ++turn;
  }
  const auto baseline = static_cast<double>(spent[0].count());
  state.counters["encode_x_baseline"] = static_cast<double>(spent[1].count()) / baseline;
  state.counters["decode_x_baseline"] = static_cast<double>(spent[2].count()) / baseline;
  for (const std::string& f : {copy, dest, restored}) std::remove(f.c_str());
}

// A line "Name:  N kB" of /proc/self/status, in KiB.
long StatusKiB(const char* name) {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long value = -1;
  const std::size_t length = std::strlen(name);
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, name, length) == 0 && line[length] == ':') value = std::atol(line + length + 1);
  }
  std::fclose(f);
  return value;
}

// How far the resident memory of this process rises above where it was while `work` runs, in
// MiB: the peak is reset to the present first (writing 5 to /proc/self/clear_refs), so what
// the process held before (the other benchmarks' buffers) does not count. Large blocks are
// mapped afresh for each allocation and unmapped when freed, so that memory an earlier
// benchmark freed cannot hide what this work takes.
template <typename Work>
double PeakRiseMiB(Work&& work) {
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  malloc_trim(0);
  std::FILE* clear = std::fopen("/proc/self/clear_refs", "w");
  if (!clear) return -1;
  std::fputs("5", clear);
  std::fclose(clear);
  const long before = StatusKiB("VmRSS");
  if (!work()) return -1;
  const long peak = StatusKiB("VmHWM");
  return before < 0 || peak < 0 ? -1 : static_cast<double>(peak - before) / 1024.0;
}

void BM_PeakMemoryOfEncodeAndDecode256MiB(benchmark::State& state) {
  const std::string dest = TempDir() + "velta_bench_peak.QZD";
  const std::string restored = TempDir() + "velta_bench_peak.bin";
  double encode = 0, decode = 0;
  for (auto _ : state) {
    encode = PeakRiseMiB([&] { return EncodeFile(Source(), dest, kKey); });
    decode = PeakRiseMiB([&] {
      std::string path;
      return DecodeFile(dest, kKey, path, StdFileAccess::Instance(), restored);
    });
  }
  std::remove(dest.c_str());
  std::remove(restored.c_str());
  if (encode < 0 || decode < 0) state.SkipWithError("no peak to be read");
  state.counters["encode_peak_MiB"] = encode;
  state.counters["decode_peak_MiB"] = decode;
}

BENCHMARK(BM_Md5sumAndCopyWithFsync256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_EncodeFile256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DecodeFile256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_EncodeAndDecodeInTurnWithMd5sumAndCopy256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(6);
BENCHMARK(BM_PeakMemoryOfEncodeAndDecode256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
