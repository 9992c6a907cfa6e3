// A folder of its own for each test, under the current directory (tests run
// from the build folder), emptied when the test starts.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    path_ = std::filesystem::path("storage_scratch") / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }

  // Kept after a failing test for a look; removed otherwise.
  ~ScratchDir() {
    if (testing::Test::HasFailure()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    std::filesystem::remove(path_.parent_path(), ec);  // only when no other test's folder is left
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string File(std::string_view name) const { return (path_ / std::string(name)).string(); }
  const std::filesystem::path& path() const { return path_; }

  static void Write(const std::string& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  static std::string Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static bool Exists(const std::string& file) { return std::filesystem::exists(file); }

  // Puts the file's modification time an hour back, so that any later write shows.
  static std::filesystem::file_time_type AgeByAnHour(const std::string& file) {
    const auto old = std::filesystem::last_write_time(file) - std::chrono::hours(1);
    std::filesystem::last_write_time(file, old);
    return std::filesystem::last_write_time(file);
  }

 private:
  std::filesystem::path path_;
};
