// A scratch folder per test under the current directory, emptied at the start.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

inline std::string ScratchDir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string leaf = std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : leaf) {
    if (c == '/') c = '_';
  }
  const std::string name = "launcher_scratch/" + leaf;
  std::filesystem::remove_all(name);
  std::filesystem::create_directories(name);
  std::string dir = std::filesystem::absolute(name).string();
  if (dir.back() != '/' && dir.back() != '\\') dir += std::filesystem::path::preferred_separator;
  return dir;
}

inline std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(gen());
  return v;
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Names of everything in dir, sorted.
inline std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Lengths for checking the CRC-32 methods: every length up to 300 (the table alone below 64
// bytes, then the first fold and each 16-byte step after it) and each side of the later 64-byte
// folding rounds.
inline std::vector<std::size_t> Crc32TestLengths() {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 300; ++n) lengths.push_back(n);
  for (std::size_t base : {std::size_t{320}, std::size_t{512}, std::size_t{1024}, std::size_t{4096}, std::size_t{65536}}) {
    for (std::size_t n = base - 17; n <= base + 17; ++n) lengths.push_back(n);
  }
  return lengths;
}
