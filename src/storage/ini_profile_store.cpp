#include "storage/ini_profile_store.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "storage/file_replacement.h"
#include "storage/profile_text.h"

namespace {

bool HasLineBreak(std::string_view text) {
  for (const char c : text)
    if (c == '\r' || c == '\n') return true;
  return false;
}

bool ValidSectionName(std::string_view name) { return !HasLineBreak(name); }

// A key line starts with its name and "="; a line starting with "[" (after
// spaces or tabs, for a header) starts a new block instead.
bool ValidKeyName(std::string_view name) {
  std::size_t first = 0;
  while (first < name.size() && (name[first] == ' ' || name[first] == '\t')) ++first;
  if (first < name.size() && name[first] == '[') return false;
  for (const char c : name)
    if (c == '\r' || c == '\n' || c == '=') return false;
  return true;
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

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The encoding a file's bytes were written in; null while they are ASCII only.
const CodePage* EncodingOf(std::string_view bytes, const CodePage& system, const CodePage& legacy) {
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) return &CodePage::Utf8();
  if (CodePage::IsAscii(bytes)) return nullptr;
  // Written before the system's code page became UTF-8.
  if (system.Id() == CodePage::kUtf8 && !CodePage::IsUtf8(bytes)) return &legacy;
  return &system;
}

}  // namespace

#ifndef _WIN32
const CodePage& IniProfileStore::SystemCodePage() { return CodePage::Utf8(); }

const CodePage& IniProfileStore::LegacyCodePage() {
  static const std::unique_ptr<CodePage> page = CodePage::Native(1252);
  return page ? *page : CodePage::Utf8();
}
#endif

IniProfileStore::IniProfileStore(std::string path, FileAccess& files, const CodePage& system,
                                 const CodePage& legacy)
    : IniProfileStore(std::move(path), {}, files, system, legacy) {}

IniProfileStore::IniProfileStore(std::string path, std::string fallbackPath, FileAccess& files,
                                 const CodePage& system, const CodePage& legacy)
    : path_(std::move(path)), fallbackPath_(std::move(fallbackPath)), files_(files) {
  // A copy with its own file keeps to it: the fallback place is shared by every copy of the
  // program, so it holds only the settings of a copy whose folder has none and takes none.
  if (!fallbackPath_.empty()) {
    if (files_.KindOf(path_) != FileAccess::Kind::Missing) {
      fallbackPath_.clear();
    } else if (files_.KindOf(fallbackPath_) == FileAccess::Kind::File) {
      // Whatever keeps a new file out of the folder (no permission, a medium that cannot be
      // written), it takes none.
      FileReplacement probe(files_, path_);  // abandoned at once: nothing stays behind
      FileError refused;
      if (!probe.Begin(refused)) {
        path_ = fallbackPath_;
        fallbackPath_.clear();
      }
    }
  }
  if (path_.empty()) return;
  std::string text;
  FileError error;
  switch (files_.ReadAll(path_, text, error)) {
    case FileAccess::ReadResult::Ok:
      break;
    case FileAccess::ReadResult::Missing:
      text.clear();
      break;
    case FileAccess::ReadResult::Failed:
      text.clear();
      readFailed_ = true;
      readError_ = error.message;
      break;
  }
  page_ = EncodingOf(text, system, legacy);
  stored_ = text;
  ini_->Load(std::move(text));  // every byte, whatever it holds
}

bool IniProfileStore::Encode(std::string_view text, std::string& bytes) const {
  if (CodePage::IsAscii(text)) {
    bytes.assign(text);
    return true;
  }
  return page_ != nullptr && page_->FromUtf8(text, bytes);
}

bool IniProfileStore::Decode(std::string_view bytes, std::string& text) const {
  if (CodePage::IsAscii(bytes)) {
    text.assign(bytes);
    return true;
  }
  return page_ != nullptr && page_->ToUtf8(bytes, text);
}

bool IniProfileStore::BecomeUtf8() {
  std::string text(kUtf8Mark);
  std::string converted;
  if (!Decode(ini_->Render(), converted)) return false;
  text += converted;
  auto utf8 = std::make_unique<IniText>();
  utf8->Load(std::move(text));
  ini_ = std::move(utf8);
  page_ = &CodePage::Utf8();
  dirty_ = true;
  return true;
}

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
  const std::string& text = this->text();
  // Values written as they were leave the file alone: no temporary file, no flush, no rename,
  // the same modification time (a synchronised folder sees nothing to do).
  if (text == stored_) {
    dirty_ = false;
    return lastSave_;
  }
  // Under Wine a rename replaces even a read-only file: the attribute is looked at first.
  if (files_.IsReadOnly(path_)) return failed(Status::ReadOnly, {});
  FileError error;
  // A settings file that is a symbolic link keeps being one: its target gets the new text.
  const std::string target = files_.ResolveLinks(path_);
  // Nothing left: the file goes; behind a link the target is emptied instead, as removing the
  // link would leave the old settings in the file it names.
  if (text.empty() && target == path_) {
    if (!files_.Remove(path_, error) && files_.KindOf(path_) != FileAccess::Kind::Missing)  // nothing to delete is fine
      return failed(Status::Failed, error.message);
    stored_ = text;
    dirty_ = false;
    return lastSave_;
  }
  FileReplacement replacement(files_, target);
  if (replacement.Begin(error)) {
    if (!replacement.Write(text.data(), text.size(), error) || !replacement.Commit(error))
      return failed(Status::Failed, error.message);
    stored_ = text;
    dirty_ = false;
    return lastSave_;
  }
  // No temporary file in that folder; the file itself may still be writable (a permission
  // given for the file alone).
  if (files_.KindOf(target) == FileAccess::Kind::File) {
    FileError inPlace;
    if (auto file = files_.OpenExisting(target, inPlace)) {
      if (file->Write(text.data(), text.size(), inPlace) && file->Commit(inPlace)) {
        stored_ = text;
        dirty_ = false;
        return lastSave_;
      }
      return failed(Status::Failed, inPlace.message);
    }
    if (!inPlace.denied) return failed(Status::Failed, inPlace.message);
  }
  // The folder will not take the settings at all: they move to the fallback place, where this
  // copy finds them as long as its folder has no settings file of its own. One it has but
  // cannot write is told as a failure: saving elsewhere would be read by no one.
  if (!error.denied || fallbackPath_.empty() || files_.KindOf(path_) != FileAccess::Kind::Missing)
    return failed(Status::Failed, error.message);
  const std::string fallback = std::exchange(fallbackPath_, std::string());
  FileError elsewhere;
  const std::string folder = files_.FolderOf(fallback);
  if ((!folder.empty() && !files_.CreateFolders(folder, elsewhere)) ||
      !FileReplacement::Replace(files_, fallback, text, elsewhere)) {
    lastSave_.path = fallback;
    return failed(Status::Failed, elsewhere.message);
  }
  path_ = fallback;
  lastSave_.path = fallback;
  stored_ = text;
  dirty_ = false;
  return lastSave_;
}

namespace {

// The names as UTF-8, leaving out any that are no text of the file's encoding (no name given
// back could find them).
template <class Decoder>
void AppendDecoded(const std::vector<std::string>& bytes, std::vector<std::string>& names, Decoder decode) {
  std::string name;
  for (const std::string& b : bytes)
    if (decode(b, name)) names.push_back(name);
}

}  // namespace

bool IniProfileStore::EnumSections(std::vector<std::string>& names) {
  std::vector<std::string> bytes;
  ini_->SectionNames(bytes);
  AppendDecoded(bytes, names, [this](const std::string& b, std::string& n) { return Decode(b, n); });
  return true;
}

bool IniProfileStore::DeleteSection(std::string_view section) {
  std::string s;
  if (ValidSectionName(section) && Encode(section, s) && ini_->RemoveSection(s)) dirty_ = true;
  return true;
}

bool IniProfileStore::EnumKeys(std::string_view section, std::vector<std::string>& names) {
  std::string s;
  std::vector<std::string> bytes;
  if (!ValidSectionName(section) || !Encode(section, s) || !ini_->KeyNames(s, bytes)) return false;
  AppendDecoded(bytes, names, [this](const std::string& b, std::string& n) { return Decode(b, n); });
  return true;
}

bool IniProfileStore::DeleteKey(std::string_view section, std::string_view key) {
  std::string s, k;
  if (!ValidSectionName(section) || !ValidKeyName(key) || !Encode(section, s) || !Encode(key, k) ||
      !ini_->RemoveKey(s, k))
    return false;
  dirty_ = true;
  return true;
}

std::optional<IniText::Value> IniProfileStore::Find(std::string_view section, std::string_view key) const {
  if (!ValidSectionName(section) || !ValidKeyName(key)) return std::nullopt;
  // Settings names are ASCII: no conversion on the way of every load.
  if (CodePage::IsAscii(section) && CodePage::IsAscii(key)) return ini_->Find(section, key);
  std::string s, k;
  if (!Encode(section, s) || !Encode(key, k)) return std::nullopt;
  return ini_->Find(s, k);
}

std::int32_t IniProfileStore::GetInt(std::string_view section, std::string_view key, std::int32_t fallback) {
  const auto v = Find(section, key);
  return v ? ProfileText::ParseInt(v->text) : fallback;
}

float IniProfileStore::GetFloat(std::string_view section, std::string_view key, float fallback) {
  const auto v = Find(section, key);
  return v ? ProfileText::ParseFloat(v->text) : fallback;
}

std::string IniProfileStore::GetString(std::string_view section, std::string_view key, std::string_view fallback) {
  const auto v = Find(section, key);
  // A last line without a line end is a line like any other (hand-edited files end so).
  if (!v) return std::string(fallback);
  std::string text;
  if (!Decode(v->text, text)) return std::string(fallback);
  if (text.find(kLineBreakMark) == std::string::npos) return text;
  return DecodeLineBreaks(text);
}

std::size_t IniProfileStore::GetStringToBuffer(std::string_view section, std::string_view key,
                                               std::string_view fallback, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const std::string value = GetString(section, key, fallback);
  std::size_t n = std::min(value.size(), size - 1);
  // A cut text ends before a character, never inside one.
  if (n < value.size())
    while (n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80) --n;
  std::memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
  return n;
}

bool IniProfileStore::GetBinary(std::string_view section, std::string_view key, void* destination,
                                const void* fallback, std::size_t size) {
  const auto v = Find(section, key);
  const std::size_t length = v ? v->text.size() : 0;
  if (length != 0 && length / 2 == size && length % 2 == 0) {
    ProfileText::HexDecode(v->text, static_cast<std::uint8_t*>(destination));
    return true;
  }
  // The fallback may be the destination itself.
  if (size != 0 && fallback != nullptr && fallback != destination) std::memmove(destination, fallback, size);
  return false;
}

std::size_t IniProfileStore::GetBinaryCopy(std::string_view section, std::string_view key,
                                           std::vector<std::uint8_t>& out, const void* fallback,
                                           std::size_t fallbackSize) {
  const auto v = Find(section, key);
  const std::size_t length = v ? v->text.size() : 0;
  if (length >= 2 && length % 2 == 0) {
    out.assign(length / 2, 0);
    ProfileText::HexDecode(v->text, out.data());
    return out.size();
  }
  if (fallbackSize == 0 || fallback == nullptr) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(fallback);
  out.assign(bytes, bytes + fallbackSize);
  return fallbackSize;
}

bool IniProfileStore::Write(std::string_view section, std::string_view key, std::string_view value) {
  // Foreign text (UTF-16) is never written: Set refuses it.
  if (!ValidSectionName(section) || !ValidKeyName(key) || ini_->foreign()) return false;
  const auto utf8 = [](std::string_view t) { return CodePage::IsAscii(t) || CodePage::IsUtf8(t); };
  if (!utf8(section) || !utf8(key) || !utf8(value)) return false;
  std::string s, k, v;
  if (!Encode(section, s) || !Encode(key, k) || !Encode(value, v)) {
    // More than the file's code page holds: the whole file becomes UTF-8, which holds it all.
    if (!BecomeUtf8() || !Encode(section, s) || !Encode(key, k) || !Encode(value, v)) return false;
  }
  if (!ini_->Set(s, k, v)) return false;
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
  if (!HasLineBreak(value)) return Write(section, key, value);
  return Write(section, key, EncodeLineBreaks(value));
}

bool IniProfileStore::WriteBinary(std::string_view section, std::string_view key, const void* data,
                                  std::size_t size) {
  return WriteString(section, key, ProfileText::HexEncode(data, size));
}
