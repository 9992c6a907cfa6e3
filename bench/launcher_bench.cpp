// Encoded launcher files: transform, MD5 and CRC-32 throughput next to memcpy, OpenSSL's MD5
// and zlib's crc32 on the same buffer in the same run; EncodeFile of 64 MiB next to md5sum of
// that file.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "launcher/crc32.h"
#include "launcher/file_encoding.h"
#include "launcher/keyed_block_transform.h"
#include "launcher/md5.h"

namespace {

constexpr std::size_t kBig = 256u << 20;
constexpr std::size_t kFile = 64u << 20;

const std::vector<std::uint8_t>& Data(std::size_t size) {
  static std::vector<std::uint8_t> data;
  if (data.size() < size) {
    data.resize(size);
    std::mt19937_64 gen(1);
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
      const std::uint64_t v = gen();
      std::memcpy(&data[i], &v, 8);
    }
  }
  return data;
}

std::string TempFile(const char* name, std::size_t size) {
  const char* dir = std::getenv("TMPDIR");
  std::string path = std::string(dir ? dir : "/tmp") + "/velta_bench_" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(Data(size).data(), 1, size, f);
  std::fclose(f);
  return path;
}

void RunShell(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::abort();
}

void BM_Memcpy(benchmark::State& state) {
  const auto& src = Data(kBig);
  std::vector<std::uint8_t> dst(kBig);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), kBig);
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBig));
}

void BM_KeyedBlockTransform(benchmark::State& state) {
  std::vector<std::uint8_t> buf = Data(kBig);
  for (auto _ : state) {
    KeyedBlockTransform(buf.data(), buf.size(), "benchmark key", true);
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetLabel("vs:BM_Memcpy/real_time");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBig));
}

// As a streaming encoder calls it: 1 MiB chunks of the same buffer, one schedule for all.
void BM_KeyedBlockTransformChunked(benchmark::State& state) {
  std::vector<std::uint8_t> buf = Data(kBig);
  constexpr std::size_t kChunk = 1u << 20;
  for (auto _ : state) {
    const KeySchedule schedule("benchmark key");
    for (std::size_t at = 0; at < kBig; at += kChunk) {
      KeyedBlockTransformChunk(buf.data() + at, std::min(kChunk, kBig - at), at, kBig, schedule, true);
    }
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetLabel("vs:BM_Memcpy/real_time");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBig));
}

// The portable 64-bit words, as processors without the vector methods run it.
void BM_KeyedBlockTransformWords(benchmark::State& state) {
  std::vector<std::uint8_t> buf = Data(kBig);
  const KeySchedule schedule("benchmark key");
  for (auto _ : state) {
    KeyedBlockTransformBlocksWith(KeyedTransformMethod::kWords, buf.data(), TransformedBlockCount(kBig), 0, schedule, true);
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetLabel("vs:BM_Memcpy/real_time");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBig));
}

void BM_Md5Hex(benchmark::State& state) {
  const auto& data = Data(kBig);
  for (auto _ : state) benchmark::DoNotOptimize(Md5Hex(data.data(), kBig));
  state.SetLabel("vs:BM_OpenSslMd5/min_time:2.000/real_time");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBig));
}

void BM_OpenSslMd5(benchmark::State& state) {
  const auto& data = Data(kBig);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  for (auto _ : state) {
    if (!EVP_Digest(data.data(), kBig, digest, &size, EVP_md5(), nullptr)) state.SkipWithError("EVP_Digest failed");
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBig));
}

void BM_Crc32(benchmark::State& state) {
  const auto& data = Data(kBig);
  for (auto _ : state) benchmark::DoNotOptimize(Crc32(data.data(), kBig));
  state.SetLabel("vs:BM_ZlibCrc32/real_time");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBig));
}

// The table alone, as processors without carry-less multiplication run it.
void BM_Crc32Table(benchmark::State& state) {
  const auto& data = Data(kBig);
  for (auto _ : state) benchmark::DoNotOptimize(Crc32UpdateWith(Crc32Method::kTable, 0xFFFFFFFFu, data.data(), kBig));
  state.SetLabel("vs:BM_ZlibCrc32/real_time");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBig));
}

void BM_ZlibCrc32(benchmark::State& state) {
  const auto& data = Data(kBig);
  for (auto _ : state) benchmark::DoNotOptimize(crc32(0L, data.data(), static_cast<uInt>(kBig)));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBig));
}

void BM_FileCrc32(benchmark::State& state) {
  const std::string path = TempFile("crc", kBig);
  for (auto _ : state) benchmark::DoNotOptimize(FileCrc32(path));
  state.SetLabel("vs:BM_ZlibCrc32/real_time");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBig));
  std::remove(path.c_str());
}

void BM_EncodeFile64MiB(benchmark::State& state) {
  const std::string path = TempFile("encode_src", kFile);
  const std::string dest = path + ".QZD";
  for (auto _ : state) {
    if (!EncodeFile(path, dest, "benchmark key")) state.SkipWithError("EncodeFile failed");
  }
  state.SetLabel("vs:BM_Md5sumOfFile64MiB/real_time");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFile));
  std::remove(path.c_str());
  std::remove(dest.c_str());
}

void BM_Md5sumOfFile64MiB(benchmark::State& state) {
  const std::string path = TempFile("md5_src", kFile);
  for (auto _ : state) RunShell("md5sum '" + path + "' >/dev/null");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFile));
  std::remove(path.c_str());
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeyedBlockTransform)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeyedBlockTransformChunked)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeyedBlockTransformWords)->Unit(benchmark::kMillisecond)->UseRealTime();
// A few passes each (one takes about half a second), so that one busy moment on a shared machine
// does not decide the ratio.
BENCHMARK(BM_Md5Hex)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_OpenSslMd5)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Crc32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Crc32Table)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZlibCrc32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileCrc32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EncodeFile64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Md5sumOfFile64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
