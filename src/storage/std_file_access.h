// FileAccess through the C runtime's file descriptors and std::filesystem: the native
// builds, velta-cli and the core tests (on Windows through the C runtime's own functions).
#pragma once

#include "storage/file_access.h"

class StdFileAccess : public FileAccess {
 public:
  Kind KindOf(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;
  std::unique_ptr<File> OpenRead(const std::string& path, FileError& error) override;
  std::unique_ptr<File> CreateNew(const std::string& path, FileError& error) override;
  std::unique_ptr<File> OpenExisting(const std::string& path, FileError& error) override;
  bool Move(const std::string& from, const std::string& to, bool replace, FileError& error) override;
  bool Remove(const std::string& path, FileError& error) override;
  bool CreateFolders(const std::string& path, FileError& error) override;
  // Device and inode; on Windows the C runtime tells no file index, so there none is had.
  bool IdentityOf(const std::string& path, FileIdentity& identity) override;
  bool StampOf(const std::string& path, FileStamp& stamp) override;
  std::string ResolveLinks(const std::string& path) override;

  // One shared instance; it holds no state.
  static StdFileAccess& Instance();
  // The error for errno value `code`.
  static FileError ErrorFor(int code);
};
