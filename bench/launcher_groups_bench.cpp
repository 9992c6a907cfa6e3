// The launcher's groups loaded from and saved to the settings text, at 10 and
// at 100 groups of 1000 items (the most a file can hold): each larger case is
// reported as a ratio to the case with a tenth of the items, so that 10 x the
// items costing about 10 x the time shows that load and save grow with the
// file, not with its square. The settings text lives in memory here; the clock
// loads and saves it through the same store.
#include <benchmark/benchmark.h>

#include <string>

#include "launcher/launcher_groups.h"
#include "storage/ini_profile_store.h"
#include "storage/memory_file_access.h"

namespace {


LauncherGroups Groups(int groups) {
  LauncherGroups all(static_cast<std::size_t>(groups));
  for (int i = 0; i < groups; ++i) {
    for (int j = 0; j < kMaxLauncherGroupItems; ++j) {
      LauncherItem item;
      item.path = "C:\\Program Files\\Application " + std::to_string(j) + "\\app.exe";
      item.name = "Application " + std::to_string(i) + "." + std::to_string(j);
      item.encoded = j % 2;
      all[static_cast<std::size_t>(i)].push_back(item);
    }
  }
  return all;
}

// The file as the clock leaves it after saving `groups` full groups.
const std::string& SavedText(int groups) {
  static std::string texts[2];
  std::string& text = texts[groups > 10 ? 1 : 0];
  if (text.empty()) {
    MemoryFileAccess files;
    LauncherGroups all = Groups(groups);
    {
      IniProfileStore store("bench.ini", files);
      TransferLauncher(store, "Exec", Transfer::Save, all);
      store.Flush();
    }
    text = files.Get("bench.ini");
  }
  return text;
}

void Compare(benchmark::State& state, const char* name) {
  if (state.range(0) > 10) state.SetLabel(std::string("vs:") + name + "/10");
  state.counters["bytes"] = static_cast<double>(SavedText(static_cast<int>(state.range(0))).size());
}

// The clock's start: read the file, load every group.
void BM_LauncherIniLoad(benchmark::State& state) {
  MemoryFileAccess files;
  files.Put("bench.ini", SavedText(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    LauncherGroups groups;
    IniProfileStore store("bench.ini", files);
    TransferLauncher(store, "Exec", Transfer::Load, groups);
    benchmark::DoNotOptimize(groups.data());
  }
  Compare(state, "BM_LauncherIniLoad");
}

// Every later save: the same items written over the file that holds them.
void BM_LauncherIniSave(benchmark::State& state) {
  MemoryFileAccess files;
  files.Put("bench.ini", SavedText(static_cast<int>(state.range(0))));
  LauncherGroups groups = Groups(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    IniProfileStore store("bench.ini", files);
    TransferLauncher(store, "Exec", Transfer::Save, groups);
    if (!store.Flush()) state.SkipWithError("save failed");
  }
  Compare(state, "BM_LauncherIniSave");
}

// The first save, into a file that has no launcher yet: every section and key is new.
void BM_LauncherIniFirstSave(benchmark::State& state) {
  MemoryFileAccess files;
  LauncherGroups groups = Groups(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    files.Put("bench.ini", "");
    IniProfileStore store("bench.ini", files);
    TransferLauncher(store, "Exec", Transfer::Save, groups);
    if (!store.Flush()) state.SkipWithError("save failed");
  }
  Compare(state, "BM_LauncherIniFirstSave");
}

BENCHMARK(BM_LauncherIniLoad)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LauncherIniSave)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LauncherIniFirstSave)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
