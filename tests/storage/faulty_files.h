// The real file functions with chosen steps made to fail the way a full disk, a missing
// permission or another program holding a file makes them fail.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "storage/file_access.h"

class FaultyFiles : public FileAccess {
 public:
  explicit FaultyFiles(FileAccess& real) : real_(real) {}

  // Writing fails once this many bytes have been written in all (the part before is written,
  // as on a disk that filled up half way); -1: never.
  long long writeFailsAfter = -1;
  // Reading fails once this many bytes have been read in all; -1: never.
  long long readFailsAfter = -1;
  // Moves fail: this many times with a passing error (another program holds the file), and
  // then for good when moveFailsForGood.
  int movesHeldFor = 0;
  bool moveFailsForGood = false;
  // New files are refused (no permission) in folders whose path starts with this text.
  std::string deniedFolder;
  // Writing over existing files is refused (no permission).
  bool existingDenied = false;
  // Each read takes this long, as from a slow disk or network share.
  int readPauseMs = 0;
  // Called after each write that went through, with the bytes written in all so far.
  std::function<void(long long)> afterWrite;
  int movesTried = 0;
  int pauses = 0;

  Kind KindOf(const std::string& path) override { return real_.KindOf(path); }
  bool IsReadOnly(const std::string& path) override { return real_.IsReadOnly(path); }
  std::unique_ptr<File> OpenRead(const std::string& path, FileError& error) override {
    auto file = real_.OpenRead(path, error);
    return file ? std::make_unique<Faulty>(*this, std::move(file)) : nullptr;
  }
  std::unique_ptr<File> CreateNew(const std::string& path, FileError& error) override {
    if (!deniedFolder.empty() && path.rfind(deniedFolder, 0) == 0) {
      error = Denied();
      return nullptr;
    }
    auto file = real_.CreateNew(path, error);
    return file ? std::make_unique<Faulty>(*this, std::move(file)) : nullptr;
  }
  std::unique_ptr<File> OpenExisting(const std::string& path, FileError& error) override {
    if (existingDenied) {
      error = Denied();
      return nullptr;
    }
    auto file = real_.OpenExisting(path, error);
    return file ? std::make_unique<Faulty>(*this, std::move(file)) : nullptr;
  }
  bool Move(const std::string& from, const std::string& to, bool replace, FileError& error) override {
    ++movesTried;
    if (movesHeldFor > 0) {
      --movesHeldFor;
      error = FileError{32, "held by another program", false, true};
      return false;
    }
    if (moveFailsForGood) {
      error = FileError{5, "refused", false, false};
      return false;
    }
    return real_.Move(from, to, replace, error);
  }
  bool Remove(const std::string& path, FileError& error) override { return real_.Remove(path, error); }
  bool CreateFolders(const std::string& path, FileError& error) override {
    if (!deniedFolder.empty() && path.rfind(deniedFolder, 0) == 0 && real_.KindOf(path) == Kind::Missing) {
      error = Denied();
      return false;
    }
    return real_.CreateFolders(path, error);
  }
  std::string FolderOf(const std::string& path) override { return real_.FolderOf(path); }
  bool IdentityOf(const std::string& path, FileIdentity& identity) override { return real_.IdentityOf(path, identity); }
  bool StampOf(const std::string& path, FileStamp& stamp) override { return real_.StampOf(path, stamp); }
  bool OpenElsewhere(const std::string& path) override { return real_.OpenElsewhere(path); }
  void Pause(int) override { ++pauses; }

  static FileError Denied() { return FileError{13, "permission denied", true, false}; }

 private:
  class Faulty : public File {
   public:
    Faulty(FaultyFiles& owner, std::unique_ptr<File> real) : owner_(owner), real_(std::move(real)) {}
    bool Read(void* buffer, std::size_t size, std::size_t& got, FileError& error) override {
      if (owner_.readPauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(owner_.readPauseMs));
      if (owner_.readFailsAfter >= 0) {
        const long long room = owner_.readFailsAfter - owner_.read_;
        if (room <= 0) {
          error = FileError{5, "input/output error", false, false};
          return false;
        }
        size = std::min<std::size_t>(size, static_cast<std::size_t>(room));
      }
      if (!real_->Read(buffer, size, got, error)) return false;
      owner_.read_ += static_cast<long long>(got);
      return true;
    }
    bool Write(const void* data, std::size_t size, FileError& error) override {
      if (owner_.writeFailsAfter >= 0 && owner_.written_ + static_cast<long long>(size) > owner_.writeFailsAfter) {
        const long long part = owner_.writeFailsAfter - owner_.written_;
        if (part > 0) real_->Write(data, static_cast<std::size_t>(part), error);
        owner_.written_ = owner_.writeFailsAfter;
        error = FileError{28, "no space left on device", false, false};
        return false;
      }
      owner_.written_ += static_cast<long long>(size);
      if (!real_->Write(data, size, error)) return false;
      if (owner_.afterWrite) owner_.afterWrite(owner_.written_);
      return true;
    }
    bool Size(std::uint64_t& size, FileError& error) override { return real_->Size(size, error); }
    bool Seek(std::uint64_t offset, FileError& error) override { return real_->Seek(offset, error); }
    bool Commit(FileError& error) override { return real_->Commit(error); }

   private:
    FaultyFiles& owner_;
    std::unique_ptr<File> real_;
  };

  FileAccess& real_;
  long long written_ = 0;
  long long read_ = 0;
};
