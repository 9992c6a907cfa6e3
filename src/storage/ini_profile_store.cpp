#include "storage/ini_profile_store.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "storage/file_replacement.h"
#include "storage/profile_text.h"

namespace {

bool ValidSectionName(std::string_view name) { return name.find_first_of("\r\n") == std::string_view::npos; }

// A key line is found by "\n" key "=" and a line starting with "[" ends a section.
bool ValidKeyName(std::string_view name) {
  return name.find_first_of("\r\n=") == std::string_view::npos && (name.empty() || name.front() != '[');
}

std::string EncodeLineBreaks(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\r' || c == '\n') {
      out += IniProfileStore::kLineBreakMark;
      if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::string DecodeLineBreaks(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    if (c == IniProfileStore::kLineBreakMark) out += "\r\n";
    else out += c;
  }
  return out;
}

}  // namespace

IniProfileStore::IniProfileStore(std::string path, FileAccess& files) : IniProfileStore(std::move(path), {}, files) {}

IniProfileStore::IniProfileStore(std::string path, std::string fallbackPath, FileAccess& files)
    : path_(std::move(path)), fallbackPath_(std::move(fallbackPath)), files_(files) {
  // Settings that once had to move to the fallback place are found there first.
  if (!fallbackPath_.empty() && files_.KindOf(fallbackPath_) == FileAccess::Kind::File) {
    path_ = fallbackPath_;
    fallbackPath_.clear();
  }
  if (path_.empty()) return;
  FileError error;
  switch (files_.ReadAll(path_, text_, error)) {
    case FileAccess::ReadResult::Ok:
      break;
    case FileAccess::ReadResult::Missing:
      text_.clear();
      break;
    case FileAccess::ReadResult::Failed:
      text_.clear();
      readFailed_ = true;
      readError_ = error.message;
      break;
  }
  // The text ends at the first zero byte.
  if (const auto zero = text_.find('\0'); zero != npos) text_.resize(zero);
}

IniProfileStore::~IniProfileStore() { Flush(); }

bool IniProfileStore::Flush() { return Save().ok(); }

const IniProfileStore::SaveOutcome& IniProfileStore::Save() {
  using Status = SaveOutcome::Status;
  lastSave_ = SaveOutcome{Status::Ok, path_, {}};
  if (!dirty_ || path_.empty()) return lastSave_;
  auto failed = [&](Status status, std::string reason) -> const SaveOutcome& {
    lastSave_.status = status;
    lastSave_.reason = std::move(reason);
    return lastSave_;
  };
  if (readFailed_) return failed(Status::Failed, readError_);
  // Under Wine a rename replaces even a read-only file: the attribute is looked at first.
  if (files_.IsReadOnly(path_)) return failed(Status::ReadOnly, {});
  FileError error;
  if (text_.empty()) {
    if (!files_.Remove(path_, error) && files_.KindOf(path_) != FileAccess::Kind::Missing)  // nothing to delete is fine
      return failed(Status::Failed, error.message);
    dirty_ = false;
    return lastSave_;
  }
  FileReplacement replacement(files_, path_);
  if (replacement.Begin(error)) {
    if (!replacement.Write(text_.data(), text_.size(), error) || !replacement.Commit(error))
      return failed(Status::Failed, error.message);
    dirty_ = false;
    return lastSave_;
  }
  // No temporary file in that folder; the file itself may still be writable (a permission
  // given for the file alone).
  if (files_.KindOf(path_) == FileAccess::Kind::File) {
    FileError inPlace;
    if (auto file = files_.OpenExisting(path_, inPlace)) {
      if (file->Write(text_.data(), text_.size(), inPlace) && file->Commit(inPlace)) {
        dirty_ = false;
        return lastSave_;
      }
      return failed(Status::Failed, inPlace.message);
    }
    if (!inPlace.denied) return failed(Status::Failed, inPlace.message);
  }
  // The folder will not take the settings at all: they move to the fallback place for good.
  if (!error.denied || fallbackPath_.empty()) return failed(Status::Failed, error.message);
  const std::string fallback = std::exchange(fallbackPath_, std::string());
  FileError elsewhere;
  const std::string folder = files_.FolderOf(fallback);
  if ((!folder.empty() && !files_.CreateFolders(folder, elsewhere)) ||
      !FileReplacement::Replace(files_, fallback, text_, elsewhere)) {
    lastSave_.path = fallback;
    return failed(Status::Failed, elsewhere.message);
  }
  path_ = fallback;
  lastSave_.path = fallback;
  dirty_ = false;
  return lastSave_;
}

std::size_t IniProfileStore::FindSection(std::string_view section) const {
  std::string pattern;
  pattern.reserve(section.size() + 3);
  pattern += '[';
  pattern += section;
  pattern += "]\r";
  // Only a header line counts, not the same characters inside a value.
  for (std::size_t at = text_.find(pattern); at != npos; at = text_.find(pattern, at + 1)) {
    if (at == 0 || text_[at - 1] == '\n') return at + pattern.size();
  }
  return npos;
}

IniProfileStore::Value IniProfileStore::ValueAt(std::size_t start) const {
  Value v;
  v.start = start;
  const std::size_t lf = text_.find('\n', start);
  v.terminated = lf != npos;
  v.end = v.terminated ? lf : text_.size();
  if (v.end > start && text_[v.end - 1] == '\r') --v.end;
  return v;
}

IniProfileStore::Value IniProfileStore::FindValue(std::string_view section, std::string_view key) const {
  if (!ValidSectionName(section) || !ValidKeyName(key)) return {};
  const std::size_t at = FindSection(section);
  if (at == npos) return {};
  std::string pattern;
  pattern.reserve(key.size() + 2);
  pattern += '\n';
  pattern += key;
  pattern += '=';
  const std::size_t found = text_.find(pattern, at);
  if (found == npos) return {};
  // A key found beyond the next header belongs to a later section.
  if (text_.find("\n[", at) < found) return {};
  return ValueAt(found + pattern.size());
}

bool IniProfileStore::EnumSections(std::vector<std::string>& names) {
  for (std::size_t line = 0; line < text_.size();) {
    const std::size_t lf = text_.find('\n', line);
    if (lf == npos) break;
    // "[" name "]" CR LF, and a name that can be looked up again
    if (text_[line] == '[' && lf >= line + 3 && text_[lf - 1] == '\r' && text_[lf - 2] == ']') {
      const std::string_view name(text_.data() + line + 1, lf - 2 - (line + 1));
      if (ValidSectionName(name)) names.emplace_back(name);
    }
    line = lf + 1;
  }
  return true;
}

bool IniProfileStore::DeleteSection(std::string_view section) {
  if (!ValidSectionName(section)) return true;
  const std::size_t at = FindSection(section);
  if (at == npos) return true;
  const std::size_t header = at - (section.size() + 3);
  const std::size_t next = text_.find("\n[", at);
  text_.erase(header, next == npos ? npos : next + 1 - header);
  dirty_ = true;
  return true;
}

bool IniProfileStore::EnumKeys(std::string_view section, std::vector<std::string>& names) {
  if (!ValidSectionName(section)) return false;
  const std::size_t at = FindSection(section);
  if (at == npos) return false;
  std::size_t line = (at < text_.size() && text_[at] == '\n') ? at + 1 : at;
  while (line < text_.size() && text_[line] != '[') {
    std::size_t lf = text_.find('\n', line);
    if (lf == npos) lf = text_.size();
    const std::string_view content(text_.data() + line, lf - line);
    if (const auto eq = content.find('='); eq != std::string_view::npos) names.emplace_back(content.substr(0, eq));
    line = lf + 1;
  }
  return true;
}

bool IniProfileStore::DeleteKey(std::string_view section, std::string_view key) {
  const Value v = FindValue(section, key);
  if (v.start == npos) return false;
  const std::size_t first = v.start - key.size() - 1;
  const std::size_t lf = text_.find('\n', v.start);
  text_.erase(first, lf == npos ? npos : lf + 1 - first);
  dirty_ = true;
  return true;
}

std::int32_t IniProfileStore::GetInt(std::string_view section, std::string_view key, std::int32_t fallback) {
  const Value v = FindValue(section, key);
  if (v.start == npos) return fallback;
  return ProfileText::ParseInt(std::string_view(text_).substr(v.start, v.end - v.start));
}

float IniProfileStore::GetFloat(std::string_view section, std::string_view key, float fallback) {
  const Value v = FindValue(section, key);
  if (v.start == npos) return fallback;
  return ProfileText::ParseFloat(std::string_view(text_).substr(v.start, v.end - v.start));
}

std::string IniProfileStore::GetString(std::string_view section, std::string_view key, std::string_view fallback) {
  const Value v = FindValue(section, key);
  // A value needs its line end; a last line without one reads as missing.
  if (v.start == npos || !v.terminated) return std::string(fallback);
  return DecodeLineBreaks(std::string_view(text_).substr(v.start, v.end - v.start));
}

std::size_t IniProfileStore::GetStringToBuffer(std::string_view section, std::string_view key,
                                               std::string_view fallback, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const std::string value = GetString(section, key, fallback);
  const std::size_t n = std::min(value.size(), size - 1);
  std::memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
  return n;
}

bool IniProfileStore::GetBinary(std::string_view section, std::string_view key, void* destination,
                                const void* fallback, std::size_t size) {
  const Value v = FindValue(section, key);
  const std::size_t length = (v.start == npos || !v.terminated) ? 0 : v.end - v.start;
  if (length != 0 && length / 2 == size && length % 2 == 0) {
    ProfileText::HexDecode(std::string_view(text_).substr(v.start, length), static_cast<std::uint8_t*>(destination));
    return true;
  }
  // The fallback may be the destination itself.
  if (size != 0 && fallback != nullptr && fallback != destination) std::memmove(destination, fallback, size);
  return false;
}

std::size_t IniProfileStore::GetBinaryCopy(std::string_view section, std::string_view key,
                                           std::vector<std::uint8_t>& out, const void* fallback,
                                           std::size_t fallbackSize) {
  const Value v = FindValue(section, key);
  const std::size_t length = (v.start == npos || !v.terminated) ? 0 : v.end - v.start;
  if (length >= 2 && length % 2 == 0) {
    out.assign(length / 2, 0);
    ProfileText::HexDecode(std::string_view(text_).substr(v.start, length), out.data());
    return out.size();
  }
  if (fallbackSize == 0 || fallback == nullptr) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(fallback);
  out.assign(bytes, bytes + fallbackSize);
  return fallbackSize;
}

bool IniProfileStore::Write(std::string_view section, std::string_view key, std::string_view value) {
  if (!ValidSectionName(section) || !ValidKeyName(key)) return false;
  std::string line;
  line.reserve(key.size() + value.size() + 3);
  line += key;
  line += '=';
  line += value;
  line += "\r\n";
  std::size_t at = FindSection(section);
  if (at == npos && !text_.empty() && text_.back() != '\n') {
    // A hand-edited last line without its line end: end it first, as the
    // header line it may be.
    text_ += text_.back() == '\r' ? "\n" : "\r\n";
    at = FindSection(section);
  }
  if (at == npos) {
    // A new section goes at the end, after an empty line unless it is the first.
    if (!text_.empty()) text_ += "\r\n";
    text_ += '[';
    text_ += section;
    text_ += "]\r\n";
    text_ += line;
  } else if (const Value v = FindValue(section, key); v.start == npos) {
    // A new key becomes the section's first line.
    if (at < text_.size() && text_[at] == '\n') text_.insert(at + 1, line);
    else text_.insert(at, "\n" + line);  // the header's line end was cut short
  } else {
    text_.replace(v.start, v.end - v.start, value);
    if (!v.terminated) text_.replace(v.start + value.size(), npos, "\r\n");
  }
  dirty_ = true;
  return true;
}

bool IniProfileStore::WriteInt(std::string_view section, std::string_view key, std::int32_t value) {
  return Write(section, key, std::to_string(value));
}

bool IniProfileStore::WriteFloat(std::string_view section, std::string_view key, float value) {
  return Write(section, key, ProfileText::FormatFloat(value));
}

bool IniProfileStore::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  return Write(section, key, EncodeLineBreaks(value));
}

bool IniProfileStore::WriteBinary(std::string_view section, std::string_view key, const void* data,
                                  std::size_t size) {
  return WriteString(section, key, ProfileText::HexEncode(data, size));
}
