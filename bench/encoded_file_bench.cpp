// Encoding and decoding whole 256 MiB files as the launcher does, next to what any program
// must do at least for the same file: the system's md5sum of it plus a copy of it flushed to
// the disk, measured in the same run (files page-cached). And the peak memory of velta-cli
// encoding and decoding such a file, which holds a few chunks whatever the file's size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "launcher/file_encoding.h"

extern char** environ;

namespace {

constexpr std::size_t kFileSize = 256u << 20;
const char kKey[] = "benchmark key";

std::string TempDir() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/";
}

// The 256 MiB source, written once per run.
const std::string& Source() {
  static const std::string path = [] {
    const std::string p = TempDir() + "velta_bench_256MiB.bin";
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

// Runs velta-cli with the arguments and gives its peak resident memory in MiB (-1 on failure).
double PeakMiBOf(std::vector<std::string> args) {
  args.insert(args.begin(), VELTA_CLI);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, VELTA_CLI, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_PeakMemoryOfEncodeAndDecode256MiB(benchmark::State& state) {
  const std::string folder = TempDir() + "velta_bench_peak/";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  double encode = 0, decode = 0;
  for (auto _ : state) {
    encode = PeakMiBOf({"encode", Source(), "--name", "Peak", "--key", kKey, "--dir", folder});
    std::string encoded;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) encoded = entry.path().string();
    decode = PeakMiBOf({"decode", encoded, "--key", kKey, "--to", folder + "restored.bin"});
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  std::filesystem::remove_all(folder);
  if (encode < 0 || decode < 0) state.SkipWithError("velta-cli failed");
  state.counters["encode_peak_MiB"] = encode;
  state.counters["decode_peak_MiB"] = decode;
}

BENCHMARK(BM_Md5sumAndCopyWithFsync256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_EncodeFile256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DecodeFile256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PeakMemoryOfEncodeAndDecode256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
