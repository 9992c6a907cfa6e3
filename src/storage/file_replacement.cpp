#include "storage/file_replacement.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <utility>

#include "win/code_page.h"

FileReplacement::FileReplacement(FileAccess& files, std::string target) : files_(files), target_(std::move(target)) {}

FileReplacement::~FileReplacement() { Abandon(); }

std::string FileReplacement::RandomName() {
  // random_device alone where it is good; mixed with a counter and the clock where it may repeat.
  static std::atomic<std::uint32_t> counter{0};
  std::uint32_t value = 0;
  try {
    std::random_device device;
    value = device();
  } catch (...) {
  }
  const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  value ^= static_cast<std::uint32_t>(now * 2654435761u);
  value += counter.fetch_add(0x9E3779B9u);
  char name[20];
  std::snprintf(name, sizeof name, "~vt%08X.tmp", static_cast<unsigned>(value));
  return name;
}

std::string FileReplacement::TemporaryName(const std::string& folder, const std::string& target) {
  std::string name = RandomName();
  // A target that fits the 259 characters of a path gets a temporary file that fits as well:
  // in a folder near that length, "~" and as many of the random digits as there is room for.
  const std::size_t folderUnits = CodePage::Utf8ToUtf16(folder).size();
  if (folderUnits + name.size() <= kMaxPathLength || CodePage::Utf8ToUtf16(target).size() > kMaxPathLength) return name;
  const std::size_t room = kMaxPathLength > folderUnits ? kMaxPathLength - folderUnits : 0;
  if (room < 2) return {};
  return "~" + name.substr(3, std::min<std::size_t>(8, room - 1));
}

bool FileReplacement::Begin(FileError& error) {
  Abandon();
  const std::string folder = files_.FolderOf(target_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = TemporaryName(folder, target_);
    if (name.empty()) {
      error = FileError::Unknown("the folder's path leaves no room for a temporary file");
      return false;
    }
    const std::string candidate = folder + name;
    error = FileError{};
    file_ = files_.CreateNew(candidate, error);
    if (file_) {
      temporary_ = candidate;
      return true;
    }
    // Only a name that is in use is worth another try.
    if (files_.KindOf(candidate) == FileAccess::Kind::Missing) return false;
  }
  return false;
}

bool FileReplacement::Write(const void* data, std::size_t size, FileError& error) {
  if (!file_) {
    error = FileError::Unknown("no temporary file");
    return false;
  }
  if (size == 0 || file_->Write(data, size, error)) return true;
  Abandon();
  return false;
}

bool FileReplacement::Finish(FileError& error) {
  if (!file_) {
    if (error.code == 0) error = FileError::Unknown("no temporary file");
    Abandon();
    return false;
  }
  const bool ok = file_->Commit(error);
  file_.reset();
  if (!ok) Abandon();
  return ok;
}

bool FileReplacement::Commit(FileError& error) {
  if (!Finish(error)) return false;
  if (!files_.MoveRetrying(temporary_, target_, true, error)) {
    Abandon();
    return false;
  }
  temporary_.clear();
  return true;
}

void FileReplacement::Abandon() {
  file_.reset();
  if (temporary_.empty()) return;
  FileError ignored;
  files_.Remove(temporary_, ignored);
  temporary_.clear();
}

bool FileReplacement::Replace(FileAccess& files, const std::string& target, std::string_view content,
                              FileError& error) {
  FileReplacement replacement(files, target);
  return replacement.Begin(error) && replacement.Write(content.data(), content.size(), error) &&
         replacement.Commit(error);
}
