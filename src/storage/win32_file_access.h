// FileAccess through the Win32 file functions with narrow (ANSI) paths, as the program's own
// paths come from GetModuleFileNameA: what the clock and velta-cli.exe use on Windows.
#pragma once

#include "storage/file_access.h"

class Win32FileAccess : public FileAccess {
 public:
  Kind KindOf(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;
  std::unique_ptr<File> OpenRead(const std::string& path, FileError& error) override;
  std::unique_ptr<File> CreateNew(const std::string& path, FileError& error) override;
  std::unique_ptr<File> OpenExisting(const std::string& path, FileError& error) override;
  bool Move(const std::string& from, const std::string& to, bool replace, FileError& error) override;
  bool Remove(const std::string& path, FileError& error) override;
  bool CreateFolders(const std::string& path, FileError& error) override;
  // Volume serial number and file index (GetFileInformationByHandle).
  bool IdentityOf(const std::string& path, FileIdentity& identity) override;
  bool StampOf(const std::string& path, FileStamp& stamp) override;
  // Opening it without sharing fails with a sharing or lock violation.
  bool OpenElsewhere(const std::string& path) override;
  std::string ResolveLinks(const std::string& path) override;
  // Knows the two-byte characters of the user's code page, whose second byte can be a backslash.

  // One shared instance; it holds no state.
  static Win32FileAccess& Instance();
  // The error for a Win32 error code, with the system's message in the user's language.
  static FileError ErrorFor(unsigned long code);
};
