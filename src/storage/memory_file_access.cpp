#include "storage/memory_file_access.h"

#include <algorithm>
#include <cstring>

namespace {

FileError MemoryError(int code, const char* text, bool denied = false) { return FileError{code, text, denied, false}; }

}  // namespace

class MemoryFileAccess::MemoryFile : public FileAccess::File {
 public:
  MemoryFile(MemoryFileAccess& owner, std::string path, std::string content, bool writable)
      : owner_(owner), path_(std::move(path)), content_(std::move(content)), writable_(writable) {}

  bool Read(void* buffer, std::size_t size, std::size_t& got, FileError&) override {
    got = position_ < content_.size() ? std::min(size, content_.size() - position_) : 0;
    if (got > 0) std::memcpy(buffer, content_.data() + position_, got);
    position_ += got;
    return true;
  }
  bool Write(const void* data, std::size_t size, FileError& error) override {
    if (!writable_) {
      error = MemoryError(9, "not open for writing");
      return false;
    }
    if (content_.size() < position_ + size) content_.resize(position_ + size);
    std::memcpy(content_.data() + position_, data, size);
    position_ += size;
    return true;
  }
  bool Size(std::uint64_t& size, FileError&) override {
    size = content_.size();
    return true;
  }
  bool Seek(std::uint64_t offset, FileError&) override {
    position_ = static_cast<std::size_t>(offset);
    return true;
  }
  bool Commit(FileError&) override {
    if (writable_) {
      content_.resize(position_);
      owner_.Store(path_, std::move(content_));
    }
    writable_ = false;
    return true;
  }

 private:
  MemoryFileAccess& owner_;
  std::string path_;
  std::string content_;
  bool writable_;
  std::size_t position_ = 0;
};

FileAccess::Kind MemoryFileAccess::KindOf(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (files_.count(path)) return Kind::File;
  return folders_.count(path) ? Kind::Directory : Kind::Missing;
}

bool MemoryFileAccess::IsReadOnly(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return files_.count(path) && readOnly_.count(path);
}

std::unique_ptr<FileAccess::File> MemoryFileAccess::OpenRead(const std::string& path, FileError& error) {
  std::unique_ptr<FileAccess::File> file;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = files_.find(path);
    if (found == files_.end()) {
      error = MemoryError(2, folders_.count(path) ? "is a folder" : "no such file");
      return nullptr;
    }
    file = std::make_unique<MemoryFile>(*this, path, found->second, false);
  }
  if (onOpenRead) onOpenRead(path);
  return file;
}

std::unique_ptr<FileAccess::File> MemoryFileAccess::CreateNew(const std::string& path, FileError& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (files_.count(path) || folders_.count(path)) {
    error = MemoryError(17, "exists");
    return nullptr;
  }
  files_[path];
  ids_[path] = nextId_++;
  ++writes_[path];
  return std::make_unique<MemoryFile>(*this, path, std::string(), true);
}

std::unique_ptr<FileAccess::File> MemoryFileAccess::OpenExisting(const std::string& path, FileError& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = files_.find(path);
  if (found == files_.end() || readOnly_.count(path)) {
    error = found == files_.end() ? MemoryError(2, "no such file") : MemoryError(13, "read-only", true);
    return nullptr;
  }
  return std::make_unique<MemoryFile>(*this, path, found->second, true);
}

bool MemoryFileAccess::Move(const std::string& from, const std::string& to, bool replace, FileError& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = files_.find(from);
  if (found == files_.end() || folders_.count(to) || (!replace && files_.count(to))) {
    error = MemoryError(found == files_.end() ? 2 : 17, found == files_.end() ? "no such file" : "exists");
    return false;
  }
  std::string content = std::move(found->second);
  files_.erase(found);
  files_[to] = std::move(content);
  readOnly_.erase(to);
  ids_[to] = ids_[from];
  ids_.erase(from);
  writes_[to] = writes_[from] + 1;
  writes_.erase(from);
  return true;
}

bool MemoryFileAccess::Remove(const std::string& path, FileError& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (removeRefused_.count(path) && files_.count(path)) {
    error = MemoryError(13, "access denied", true);
    return false;
  }
  ids_.erase(path);
  writes_.erase(path);
  if (files_.erase(path) == 0) {
    error = MemoryError(2, "no such file");
    return false;
  }
  readOnly_.erase(path);
  return true;
}

bool MemoryFileAccess::CreateFolders(const std::string& path, FileError&) {
  std::lock_guard<std::mutex> lock(mutex_);
  folders_.insert(path);
  return true;
}

std::string MemoryFileAccess::FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void MemoryFileAccess::Put(const std::string& path, std::string content) { Store(path, std::move(content)); }

void MemoryFileAccess::Store(const std::string& path, std::string content) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!files_.count(path)) ids_[path] = nextId_++;
  files_[path] = std::move(content);
  ++writes_[path];
}

bool MemoryFileAccess::IdentityOf(const std::string& path, FileIdentity& identity) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = ids_.find(path);
  if (found == ids_.end() || !files_.count(path)) return false;
  identity = FileIdentity{1, found->second};
  return true;
}

bool MemoryFileAccess::StampOf(const std::string& path, FileStamp& stamp) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = files_.find(path);
  if (found == files_.end()) return false;
  stamp = FileStamp{writes_[path], found->second.size()};
  return true;
}

bool MemoryFileAccess::OpenElsewhere(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return openElsewhere_.count(path) != 0;
}

void MemoryFileAccess::SetOpenElsewhere(const std::string& path, bool held) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (held)
    openElsewhere_.insert(path);
  else
    openElsewhere_.erase(path);
}

void MemoryFileAccess::SetRemoveRefused(const std::string& path, bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (refused)
    removeRefused_.insert(path);
  else
    removeRefused_.erase(path);
}

std::string MemoryFileAccess::Get(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = files_.find(path);
  return found == files_.end() ? std::string() : found->second;
}

bool MemoryFileAccess::Has(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return files_.count(path) != 0;
}

void MemoryFileAccess::SetReadOnly(const std::string& path, bool readOnly) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (readOnly) readOnly_.insert(path);
  else readOnly_.erase(path);
}

std::set<std::string> MemoryFileAccess::Names() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::set<std::string> names;
  for (const auto& [name, content] : files_) names.insert(name);
  return names;
}
