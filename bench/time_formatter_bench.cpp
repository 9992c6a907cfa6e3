// Expansion of the default clock format and of a countdown format, beside
// the C runtime's strftime of the same format as the baseline.
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <string>

#include "face/time_formatter.h"
#include "face/tick_countdown.h"

namespace {

std::tm Moment() {
  std::tm t{};
  t.tm_year = 126; t.tm_mon = 11; t.tm_mday = 10; t.tm_hour = 9; t.tm_min = 5; t.tm_sec = 7;
  t.tm_wday = 4; t.tm_yday = 343;
  return t;
}

constexpr const char* kDefault = "%Y/%m/%d (%a) %H:%M";

void BM_StrftimeBaseline(benchmark::State& state) {
  const std::tm t = Moment();
  char buffer[128];
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::strftime(buffer, sizeof buffer, kDefault, &t));
  }
}
BENCHMARK(BM_StrftimeBaseline);

void BM_ExpandDefault(benchmark::State& state) {
  const std::tm t = Moment();
  for (auto _ : state) {
    std::string text = TimeFormatter::Expand(kDefault, t, false, nullptr, 0);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetLabel("vs:BM_StrftimeBaseline");
}
BENCHMARK(BM_ExpandDefault);

void BM_ExpandCountdown(benchmark::State& state) {
  const std::tm t = Moment();
  TickCountdown countdown{300000, 0};
  for (auto _ : state) {
    std::string text = TimeFormatter::Expand("Remaining %Q minutes and %q seconds !", t, true, &countdown, 174500);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetLabel("vs:BM_StrftimeBaseline");
}
BENCHMARK(BM_ExpandCountdown);

// A long multi-line format: the cost per byte, against copying the same number of bytes.
void BM_ExpandLong(benchmark::State& state) {
  const std::tm t = Moment();
  std::string format;
  while (format.size() < 2000) format += "%Y-%m-%d %H:%M:%S\r\n";
  for (auto _ : state) {
    std::string text = TimeFormatter::FormatCalendar(format, t);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * format.size()));
  state.SetLabel("vs:BM_MemcpyBaseline");
}
BENCHMARK(BM_ExpandLong);

void BM_MemcpyBaseline(benchmark::State& state) {
  std::string source(2000, 'x');
  std::string target(2000, '\0');
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_MemcpyBaseline);

}  // namespace
