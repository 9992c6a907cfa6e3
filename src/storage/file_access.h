// The file operations of the settings store and of the launcher's encoded files, behind one
// interface: the system's own file functions in the program, and a stand-in in a test that
// makes a chosen step fail half way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Why a file operation failed, in the system's own words.
struct FileError {
  int code = 0;          // errno natively, GetLastError() on Windows
  std::string message;   // the system's text for code
  bool denied = false;   // no permission, or a medium that cannot be written: another folder may do
  bool passing = false;  // another program holds the file for a moment: worth trying again

  // What an operation of this interface reports when it did not say more.
  static FileError Unknown(const char* what) { return FileError{-1, what, false, false}; }
};

// Which file a name leads to: the volume and the file's index on it (device and inode
// elsewhere). Two names of one file (short and long, other case, a link) have one identity.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// What tells one content of a file from a later one without reading it.
struct FileStamp {
  std::uint64_t written = 0;  // the last write time in the system's own units
  std::uint64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

class FileAccess {
 public:
  enum class Kind { Missing, File, Directory, Other };
  enum class ReadResult { Ok, Missing, Failed };

  // An open file. Destroying it closes it; what was written is then not known to be on the disk.
  class File {
   public:
    virtual ~File() = default;
    // Up to size bytes from the current position; got is 0 at the end of the file.
    virtual bool Read(void* buffer, std::size_t size, std::size_t& got, FileError& error) = 0;
    // Every byte, or an error.
    virtual bool Write(const void* data, std::size_t size, FileError& error) = 0;
    virtual bool Size(std::uint64_t& size, FileError& error) = 0;
    virtual bool Seek(std::uint64_t offset, FileError& error) = 0;
    // Ends the file at the current position, puts what was written on the disk and closes it.
    virtual bool Commit(FileError& error) = 0;
  };

  virtual ~FileAccess() = default;

  virtual Kind KindOf(const std::string& path) = 0;
  // A file marked read-only: Windows' attribute, or no write permission at all elsewhere.
  virtual bool IsReadOnly(const std::string& path) = 0;
  // An existing file, for reading from its start. A directory is refused.
  virtual std::unique_ptr<File> OpenRead(const std::string& path, FileError& error) = 0;
  // A new file for writing; fails when anything has that name already, so nobody else's file
  // is ever opened (CREATE_NEW, O_EXCL).
  virtual std::unique_ptr<File> CreateNew(const std::string& path, FileError& error) = 0;
  // An existing file, for writing over it from its start; Commit cuts off the rest of the old content.
  virtual std::unique_ptr<File> OpenExisting(const std::string& path, FileError& error) = 0;
  // Renames in one step. With replace a file at `to` is replaced; without, the move fails
  // when anything is at `to`.
  virtual bool Move(const std::string& from, const std::string& to, bool replace, FileError& error) = 0;
  virtual bool Remove(const std::string& path, FileError& error) = 0;
  // Creates a folder and any missing folders above it; true when it exists afterwards.
  virtual bool CreateFolders(const std::string& path, FileError& error) = 0;
  // The folder part of a path, with its trailing separator; empty when the path names none.
  virtual std::string FolderOf(const std::string& path);
  // Waits before a failed step is tried again.
  virtual void Pause(int milliseconds);
  // The identity of the file a path leads to (links followed); false when there is none to
  // be had (a missing file, or a system that tells none).
  virtual bool IdentityOf(const std::string& path, FileIdentity& identity);
  // The file's last write time and size; false when it cannot be had.
  virtual bool StampOf(const std::string& path, FileStamp& stamp);
  // True when another program holds the file so that it cannot be had without sharing.
  virtual bool OpenElsewhere(const std::string& path);

  // True when both names lead to one existing file, decided by its identity, never by the text.
  bool SameFile(const std::string& a, const std::string& b);
  // The file a symbolic link at `path` finally names, so that a replacement goes through the
  // link and leaves it a link; `path` itself when it is no link or names nothing.
  virtual std::string ResolveLinks(const std::string& path);

  // The whole content of `path`. Missing: there is no such file; Failed: it exists (or may
  // exist) but could not be read completely, or is not a file.
  ReadResult ReadAll(const std::string& path, std::string& content, FileError& error);
  ReadResult ReadAll(const std::string& path, std::string& content);
  // Move, tried again a few times while its failure is a passing one (an antivirus or an
  // indexer that holds the file for a moment).
  bool MoveRetrying(const std::string& from, const std::string& to, bool replace, FileError& error);
  // Fills buffer from the file unless the file ends first; got tells how much was read.
  static bool ReadFully(File& file, void* buffer, std::size_t size, std::size_t& got, FileError& error);

  // Pauses of MoveRetrying between its attempts, in milliseconds.
  static constexpr int kRetryPauses[] = {50, 100, 200, 400};
};
