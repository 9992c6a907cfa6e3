// Loading and saving a full settings file: the clock's block, the two
// QuickTimer blocks, "Adjust" and a full launcher (10 groups of 20 items, one
// section per item), the way the clock window does it at every save. Beside a
// copy of the same bytes (in memory) and a plain write-and-rename of them (on
// disk) as baselines.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "storage/ini_profile_store.h"
#include "storage/file_replacement.h"
#include "storage/memory_file_access.h"
#include "storage/std_file_access.h"

namespace {

// The settings file in memory, so that only the store's own work is measured.
using MemoryFiles = MemoryFileAccess;

std::string Name(const char* base, int i) { return std::string(base) + "_" + std::to_string(i); }
std::string Name(const char* base, int i, int j) { return Name(base, i) + "_" + std::to_string(j); }

void TransferFace(ProfileStore& store, const char* section, bool load) {
  std::array<std::uint8_t, 60> font{};
  std::string format = "%Y/%m/%d (%a) %H:%M";
  if (load) {
    store.GetBinary(section, "Font", font.data(), font.data(), font.size());
    for (const char* key : {"ForeColor", "BackColor", "FlagDT", "left", "top", "right", "bottom", "Option"})
      benchmark::DoNotOptimize(store.GetInt(section, key, 0));
    benchmark::DoNotOptimize(store.GetString(section, "Format", format));
  } else {
    store.WriteBinary(section, "Font", font.data(), font.size());
    std::int32_t v = 0;
    for (const char* key : {"ForeColor", "BackColor", "FlagDT", "left", "top", "right", "bottom", "Option"})
      store.WriteInt(section, key, v++ * 100);
    store.WriteString(section, "Format", format);
  }
}

// Everything the clock window and its QuickTimer windows keep in the file.
void TransferAll(ProfileStore& store, bool load) {
  TransferFace(store, "Settings", load);
  TransferFace(store, "QuickTimerDlg", load);
  TransferFace(store, "QuickTimerMsg", load);
  if (load) {
    benchmark::DoNotOptimize(store.GetString("Adjust", "Server", ""));
    for (const char* key : {"Port", "TimeOut", "Retry"}) benchmark::DoNotOptimize(store.GetInt("Adjust", key, 0));
    const int groups = store.GetInt("Exec", "Num", 10);
    for (int i = 0; i < groups; ++i) {
      benchmark::DoNotOptimize(store.GetString("Exec", Name("Name", i), ""));
      const int items = store.GetInt(Name("Exec", i), "Num", 0);
      for (int j = 0; j < items; ++j) {
        const std::string section = Name("Exec", i, j);
        benchmark::DoNotOptimize(store.GetString(section, "Path", ""));
        benchmark::DoNotOptimize(store.GetString(section, "Name", ""));
        benchmark::DoNotOptimize(store.GetInt(section, "Pass", 0));
      }
    }
  } else {
    store.WriteString("Adjust", "Server", "ntp.example.org");
    store.WriteInt("Adjust", "Port", 123);
    store.WriteInt("Adjust", "TimeOut", 3000);
    store.WriteInt("Adjust", "Retry", 3);
    store.WriteInt("Exec", "Num", 10);
    for (int i = 0; i < 10; ++i) store.WriteString("Exec", Name("Name", i), "Group " + std::to_string(i));
    for (int i = 0; i < 10; ++i) {
      store.WriteInt(Name("Exec", i), "Num", 20);
      for (int j = 0; j < 20; ++j) {
        const std::string section = Name("Exec", i, j);
        store.WriteString(section, "Path", "C:\\Program Files\\Application " + std::to_string(j) + "\\app.exe");
        store.WriteString(section, "Name", "Application " + std::to_string(j));
        store.WriteInt(section, "Pass", j % 2);
      }
    }
  }
}

const std::string& FullFile() {
  static const std::string text = [] {
    MemoryFiles files;
    IniProfileStore store("bench.ini", files);
    TransferAll(store, false);
    store.Flush();
    return files.Get("bench.ini");
  }();
  return text;
}

void BM_IniTextMemcpyBaseline(benchmark::State& state) {
  const std::string& text = FullFile();
  std::vector<char> copy(text.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), text.data(), text.size());
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_IniTextMemcpyBaseline);

void BM_IniLoadAll(benchmark::State& state) {
  MemoryFiles files;
  files.Put("bench.ini", FullFile());
  for (auto _ : state) {
    IniProfileStore store("bench.ini", files);
    TransferAll(store, true);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FullFile().size()));
  state.SetLabel("vs:BM_IniTextMemcpyBaseline");
}
BENCHMARK(BM_IniLoadAll);

void BM_IniSaveAll(benchmark::State& state) {
  MemoryFiles files;
  files.Put("bench.ini", FullFile());
  for (auto _ : state) {
    IniProfileStore store("bench.ini", files);
    TransferAll(store, false);
    if (!store.Flush()) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FullFile().size()));
  state.SetLabel("vs:BM_IniTextMemcpyBaseline");
}
BENCHMARK(BM_IniSaveAll);

// On disk: a plain write of the same bytes to a temporary file, flushed to the
// disk as the store does, and a rename.
void BM_DiskWriteRenameBaseline(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() / "velta_bench_base.ini").string();
  const std::string& text = FullFile();
  for (auto _ : state) {
    std::FILE* f = std::fopen((path + ".tmp").c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fflush(f);
    ::fsync(::fileno(f));
    std::fclose(f);
    std::filesystem::rename(path + ".tmp", path);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_DiskWriteRenameBaseline);

void BM_IniSaveAllOnDisk(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() / "velta_bench.ini").string();
  FileError error;
  FileReplacement::Replace(StdFileAccess::Instance(), path, FullFile(), error);
  for (auto _ : state) {
    IniProfileStore store(path);
    TransferAll(store, false);
    if (!store.Flush()) state.SkipWithError("save failed");
  }
  std::filesystem::remove(path);
  state.SetLabel("vs:BM_DiskWriteRenameBaseline");
}
BENCHMARK(BM_IniSaveAllOnDisk);

}  // namespace
