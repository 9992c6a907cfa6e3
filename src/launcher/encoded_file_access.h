// The few file operations the launcher's encoded files need, behind one interface so that a
// test can make a write fail half way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class EncodedFileAccess {
 public:
  virtual ~EncodedFileAccess() = default;
  virtual bool ReadAll(const std::string& path, std::vector<std::uint8_t>& out);
  // Creates or truncates path, writes the bytes and flushes them to the disk.
  virtual bool WriteAll(const std::string& path, const std::uint8_t* data, std::size_t size);
  // Moves from onto to, replacing what is at to.
  virtual bool Replace(const std::string& from, const std::string& to);
  virtual bool Remove(const std::string& path);
  virtual bool Exists(const std::string& path);
};

EncodedFileAccess& DefaultEncodedFileAccess();
