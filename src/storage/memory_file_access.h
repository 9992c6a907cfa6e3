// FileAccess over files held in memory, for tools that drive the store or the encoded-file
// code without a disk: the fuzz targets and the benchmarks. Folders need not be made first.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "storage/file_access.h"

class MemoryFileAccess : public FileAccess {
 public:
  Kind KindOf(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;
  std::unique_ptr<File> OpenRead(const std::string& path, FileError& error) override;
  std::unique_ptr<File> CreateNew(const std::string& path, FileError& error) override;
  std::unique_ptr<File> OpenExisting(const std::string& path, FileError& error) override;
  bool Move(const std::string& from, const std::string& to, bool replace, FileError& error) override;
  bool Remove(const std::string& path, FileError& error) override;
  bool CreateFolders(const std::string& path, FileError& error) override;
  std::string FolderOf(const std::string& path) override;
  void Pause(int) override {}
  // Each file gets a number of its own when it is made; a move takes it along.
  bool IdentityOf(const std::string& path, FileIdentity& identity) override;
  // The number of times the file was written, and its size.
  bool StampOf(const std::string& path, FileStamp& stamp) override;
  bool OpenElsewhere(const std::string& path) override;

  void Put(const std::string& path, std::string content);
  // The content of a file; empty when there is none.
  std::string Get(const std::string& path) const;
  bool Has(const std::string& path) const;
  void SetReadOnly(const std::string& path, bool readOnly);
  // Every file's name, in order.
  std::set<std::string> Names() const;
  // Another program holds the file (OpenElsewhere), or the file cannot be removed (Remove fails, denied).
  void SetOpenElsewhere(const std::string& path, bool held);
  void SetRemoveRefused(const std::string& path, bool refused);
  // Called with the path each time a file is opened for reading, outside the lock: a test
  // changes a file while it is being read there.
  std::function<void(const std::string&)> onOpenRead;

 private:
  class MemoryFile;
  void Store(const std::string& path, std::string content);

  mutable std::mutex mutex_;
  std::map<std::string, std::string> files_;
  std::set<std::string> folders_;
  std::set<std::string> readOnly_;
  std::set<std::string> openElsewhere_;
  std::set<std::string> removeRefused_;
  std::map<std::string, std::uint64_t> ids_;
  std::map<std::string, std::uint64_t> writes_;
  std::uint64_t nextId_ = 1;
};
