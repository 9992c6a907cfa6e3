// The few file operations the settings file needs, behind one small interface
// so that a write failing half way can be staged in a test.
#pragma once

#include <string>
#include <string_view>

class FileAccess {
 public:
  enum class ReadResult { Ok, Missing, Failed };

  virtual ~FileAccess() = default;

  // The whole content of `path`. Missing: there is no such file; Failed: it
  // exists (or may exist) but could not be read completely.
  virtual ReadResult ReadAll(const std::string& path, std::string& content) = 0;
  // Creates or truncates `path` and writes `content`; true only when every
  // byte was written and the file was closed without error.
  virtual bool WriteAll(const std::string& path, std::string_view content) = 0;
  // Moves `from` over `to` in one step, replacing `to` if it exists.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;

  // Writes `content` to a temporary file beside `path` and then moves it over
  // `path`, so that `path` holds either the old or the new content, never a
  // part of it. On failure the temporary file is removed.
  bool ReplaceContent(const std::string& path, std::string_view content);

  // The temporary file ReplaceContent uses for `path`.
  static std::string TemporaryPathFor(const std::string& path) { return path + ".tmp"; }
};
