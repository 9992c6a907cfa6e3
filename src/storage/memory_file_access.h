// FileAccess over files held in memory, for tools that drive the store or the encoded-file
// code without a disk: the fuzz targets and the benchmarks. Folders need not be made first.
#pragma once

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

  void Put(const std::string& path, std::string content);
  // The content of a file; empty when there is none.
  std::string Get(const std::string& path) const;
  bool Has(const std::string& path) const;
  void SetReadOnly(const std::string& path, bool readOnly);
  // Every file's name, in order.
  std::set<std::string> Names() const;

 private:
  class MemoryFile;
  void Store(const std::string& path, std::string content);

  mutable std::mutex mutex_;
  std::map<std::string, std::string> files_;
  std::set<std::string> folders_;
  std::set<std::string> readOnly_;
};
