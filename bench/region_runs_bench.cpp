// The run extraction behind a see-through window's shape, on a clock-sized
// picture and on a full-HD one covered with text, against one plain pass that
// compares every pixel with the key colour and does nothing else.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "face/region_runs.h"

namespace {

constexpr std::uint32_t kKey = 0x00000000;  // a black background, as the clock's default

// 5 x 7 glyphs of the characters a clock shows; each row's low five bits, the leftmost bit first.
const std::uint8_t* Glyph(char c) {
  static const std::uint8_t digits[10][7] = {
      {14, 17, 19, 21, 25, 17, 14}, {4, 12, 4, 4, 4, 4, 14},    {14, 17, 1, 2, 4, 8, 31},
      {31, 2, 4, 2, 1, 17, 14},     {2, 6, 10, 18, 31, 2, 2},   {31, 16, 30, 1, 1, 17, 14},
      {6, 8, 16, 30, 17, 17, 14},   {31, 1, 2, 4, 8, 8, 8},     {14, 17, 17, 14, 17, 17, 14},
      {14, 17, 17, 15, 1, 2, 12}};
  static const std::uint8_t slash[7] = {1, 1, 2, 4, 8, 16, 16};
  static const std::uint8_t colon[7] = {0, 12, 12, 0, 12, 12, 0};
  static const std::uint8_t paren[7] = {2, 4, 8, 8, 8, 4, 2};
  static const std::uint8_t letter[7] = {31, 4, 4, 4, 4, 4, 4};
  static const std::uint8_t blank[7] = {};
  if (c >= '0' && c <= '9') return digits[c - '0'];
  if (c == '/') return slash;
  if (c == ':') return colon;
  if (c == '(' || c == ')') return paren;
  if (c == ' ') return blank;
  return letter;
}

struct Picture {
  int width;
  int height;
  std::size_t stride;
  std::vector<std::uint8_t> bits;
};

// White text of `scale`-pixel dots on black, line after line, with anti-aliasing-like grey edges.
Picture Render(int width, int height, int scale, int lines) {
  Picture p{width, height, RegionRuns::Stride(width, 24), {}};
  p.bits.assign(p.stride * static_cast<std::size_t>(height), 0);
  auto set = [&](int x, int y, std::uint8_t v) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    std::uint8_t* px = &p.bits[p.stride * static_cast<std::size_t>(height - 1 - y) + 3 * static_cast<std::size_t>(x)];
    if (px[0] < v) px[0] = px[1] = px[2] = v;
  };
  const std::string text = "2026/12/10 (Thu) 09:05";
  const int advance = 6 * scale;
  const int lineHeight = 9 * scale;
  const int top0 = (height - lines * lineHeight) / 2;
  for (int line = 0; line < lines; ++line) {
    const int top = top0 + line * lineHeight;
    for (int left = (width - static_cast<int>(text.size()) * advance) / 2 % advance, i = 0; left + advance <= width;
         left += advance, ++i) {
      const std::uint8_t* g = Glyph(text[static_cast<std::size_t>(i) % text.size()]);
      for (int gy = 0; gy < 7; ++gy)
        for (int gx = 0; gx < 5; ++gx) {
          if (!(g[gy] & (16 >> gx))) continue;
          for (int dy = 0; dy < scale; ++dy)
            for (int dx = 0; dx < scale; ++dx) set(left + gx * scale + dx, top + gy * scale + dy, 255);
          set(left + gx * scale - 1, top + gy * scale, 96);
          set(left + gx * scale + scale, top + gy * scale + scale - 1, 96);
        }
    }
  }
  return p;
}

const Picture& Clock() {
  static const Picture p = [] {
    // One line of text across a 400 x 200 clock, as the default face shows it.
    Picture clock = Render(400, 200, 3, 1);
    return clock;
  }();
  return p;
}

const Picture& FullHd() {
  static const Picture p = Render(1920, 1080, 4, 28);
  return p;
}

void PlainPass(benchmark::State& state, const Picture& p) {
  for (auto _ : state) {
    std::size_t matching = 0;
    const std::uint8_t* row = p.bits.data();
    for (int y = 0; y < p.height; ++y, row += p.stride)
      for (int x = 0; x < p.width; ++x)
        matching += row[3 * x] == 0 && row[3 * x + 1] == 0 && row[3 * x + 2] == 0;
    benchmark::DoNotOptimize(matching);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * p.bits.size()));
}

void Extract(benchmark::State& state, const Picture& p) {
  RegionRuns runs;
  for (auto _ : state) {
    benchmark::DoNotOptimize(runs.Scan(p.bits, p.width, p.height, p.stride, kKey));
    benchmark::DoNotOptimize(runs.rects().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * p.bits.size()));
  state.counters["runs"] = static_cast<double>(runs.rects().size());
}

void BM_ClockPlainPassBaseline(benchmark::State& state) { PlainPass(state, Clock()); }
BENCHMARK(BM_ClockPlainPassBaseline);

void BM_ClockRegionRuns(benchmark::State& state) {
  Extract(state, Clock());
  state.SetLabel("vs:BM_ClockPlainPassBaseline");
}
BENCHMARK(BM_ClockRegionRuns);

void BM_FullHdPlainPassBaseline(benchmark::State& state) { PlainPass(state, FullHd()); }
BENCHMARK(BM_FullHdPlainPassBaseline);

void BM_FullHdRegionRuns(benchmark::State& state) {
  Extract(state, FullHd());
  state.SetLabel("vs:BM_FullHdPlainPassBaseline");
}
BENCHMARK(BM_FullHdRegionRuns);

}  // namespace
