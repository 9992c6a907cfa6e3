#include "storage/registry_profile_store.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "storage/app_profile.h"
#include "storage/profile_text.h"
#include "win/string_table.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"

namespace {

// Opens an existing key; an empty handle when it is not there.
RegKeyHandle OpenKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, WideText::From(path).c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return RegKeyHandle();
  return RegKeyHandle(key);
}

// Opens the key, creating it when it is not there yet.
RegKeyHandle OpenOrCreateKey(HKEY root, const std::string& path) {
  if (RegKeyHandle key = OpenKey(root, path)) return key;
  HKEY key = nullptr;
  if (::RegCreateKeyExW(root, WideText::From(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return RegKeyHandle();
  return RegKeyHandle(key);
}

struct Query {
  LONG status;
  DWORD type;
  DWORD size;  // bytes delivered, or needed when status is ERROR_MORE_DATA
};

Query QueryValue(HKEY key, std::string_view name, void* buffer, std::size_t capacity) {
  const std::wstring value = WideText::From(name);
  Query q{};
  q.size = static_cast<DWORD>(capacity);
  q.status = ::RegQueryValueExW(key, value.c_str(), nullptr, &q.type, static_cast<BYTE*>(buffer), &q.size);
  return q;
}

// A REG_SZ value as delivered: the characters up to the first terminator (a stored string
// need not have one).
std::wstring_view WideOf(const std::vector<wchar_t>& buffer, DWORD size) {
  const std::size_t n = std::min<std::size_t>(size / sizeof(wchar_t), buffer.size());
  const wchar_t* end = std::find(buffer.data(), buffer.data() + n, L'\0');
  return std::wstring_view(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
}

// The text cut to fit `size` bytes with its terminator, before a character, never inside one.
std::size_t CopyBounded(std::string_view text, char* buffer, std::size_t size) {
  std::size_t n = std::min(text.size(), size - 1);
  if (n < text.size())
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n;
}

}  // namespace

RegistryProfileStore::RegistryProfileStore(std::string_view basePath, HKEY root)
    : basePath_(basePath.empty() ? DefaultBasePath() : std::string(basePath)), root_(root) {}

std::string RegistryProfileStore::DefaultBasePath() {
  return AppProfile::KeyPath();
}

std::string RegistryProfileStore::KeyPath(std::string_view section) const {
  if (section.empty()) return basePath_;
  std::string path = basePath_;
  path += '\\';
  path += section;
  return path;
}

bool RegistryProfileStore::EnumSections(std::vector<std::string>& names) {
  RegKeyHandle key = OpenKey(root_, basePath_);
  if (!key) return false;
  bool any = false;
  // Key names have at most 255 characters.
  std::vector<wchar_t> name(256);
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    if (::RegEnumKeyExW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.push_back(WideText::ToUtf8(std::wstring_view(name.data(), length)));
    any = true;
  }
  return any;
}

bool RegistryProfileStore::DeleteSection(std::string_view section) {
  // An empty name would make RegDeleteKeyW delete the application key itself.
  if (section.empty()) return false;
  if (RegKeyHandle key = OpenKey(root_, basePath_)) ::RegDeleteKeyW(key.get(), WideText::From(section).c_str());
  return false;  // callers learn nothing from the result
}

bool RegistryProfileStore::EnumKeys(std::string_view, std::vector<std::string>&) { return true; }

bool RegistryProfileStore::DeleteKey(std::string_view, std::string_view) { return true; }

std::int32_t RegistryProfileStore::GetInt(std::string_view section, std::string_view key, std::int32_t fallback) {
  RegKeyHandle k = OpenKey(root_, KeyPath(section));
  if (!k) return fallback;
  DWORD value = 0;
  const Query q = QueryValue(k.get(), key, &value, sizeof value);
  if (q.status != ERROR_SUCCESS || q.type != REG_DWORD || q.size != sizeof value) return fallback;
  return static_cast<std::int32_t>(value);
}

float RegistryProfileStore::GetFloat(std::string_view section, std::string_view key, float fallback) {
  RegKeyHandle k = OpenKey(root_, KeyPath(section));
  if (!k) return fallback;
  std::vector<wchar_t> text(kMaxFloatText + 1, L'\0');
  const Query q = QueryValue(k.get(), key, text.data(), kMaxFloatText * sizeof(wchar_t));
  if (q.status != ERROR_SUCCESS || q.type != REG_SZ) return fallback;
  return ProfileText::ParseFloat(WideText::ToUtf8(WideOf(text, q.size)));
}

std::string RegistryProfileStore::GetString(std::string_view section, std::string_view key,
                                            std::string_view fallback) {
  RegKeyHandle k = OpenKey(root_, KeyPath(section));
  if (!k) return std::string(fallback);
  // Room for the longest string, its terminator and one more character, so
  // that a stored string without terminator that is one too long shows.
  std::vector<wchar_t> text(kMaxString + 2, L'\0');
  const Query q = QueryValue(k.get(), key, text.data(), text.size() * sizeof(wchar_t));
  const std::wstring_view value = WideOf(text, q.size);
  if (q.status != ERROR_SUCCESS || q.type != REG_SZ || value.size() > kMaxString)
    return std::string(fallback.substr(0, kMaxString));
  return WideText::ToUtf8(value);
}

std::size_t RegistryProfileStore::GetStringToBuffer(std::string_view section, std::string_view key,
                                                    std::string_view fallback, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  std::size_t placed = CopyBounded(fallback, buffer, size);
  RegKeyHandle k = OpenKey(root_, KeyPath(section));
  if (!k) return placed;
  // Every UTF-16 unit takes at least one byte of UTF-8: a value longer than twice the buffer is
  // refused as before, a shorter one cut to fit.
  std::vector<wchar_t> scratch(2 * size + 1, L'\0');
  const Query q = QueryValue(k.get(), key, scratch.data(), 2 * size * sizeof(wchar_t));
  if (q.status == ERROR_SUCCESS && q.type == REG_SZ)
    placed = CopyBounded(WideText::ToUtf8(WideOf(scratch, q.size)), buffer, size);
  return placed;
}

bool RegistryProfileStore::GetBinary(std::string_view section, std::string_view key, void* destination,
                                     const void* fallback, std::size_t size) {
  RegKeyHandle k = OpenKey(root_, KeyPath(section));
  if (!k) return false;
  std::vector<std::uint8_t> scratch(std::max<std::size_t>(size, 1));
  const Query q = QueryValue(k.get(), key, scratch.data(), size);
  if (q.status == ERROR_SUCCESS && q.type == REG_BINARY && q.size == size) {
    if (size != 0) std::memcpy(destination, scratch.data(), size);
    return true;
  }
  // The fallback may be the destination itself.
  if (size != 0 && fallback != nullptr && fallback != destination) std::memmove(destination, fallback, size);
  return false;
}

std::size_t RegistryProfileStore::GetBinaryCopy(std::string_view section, std::string_view key,
                                                std::vector<std::uint8_t>& out, const void* fallback,
                                                std::size_t fallbackSize) {
  RegKeyHandle k = OpenKey(root_, KeyPath(section));
  if (!k) return 0;
  std::vector<std::uint8_t> buffer(std::max<std::size_t>(fallbackSize, 1));
  Query q = QueryValue(k.get(), key, buffer.data(), buffer.size());
  if (q.type == REG_BINARY && q.status == ERROR_MORE_DATA) {
    buffer.resize(q.size);
    q = QueryValue(k.get(), key, buffer.data(), buffer.size());
  }
  if (q.status == ERROR_SUCCESS && q.type == REG_BINARY) {
    if (q.size == 0) return 0;
    buffer.resize(q.size);
    out = std::move(buffer);
    return out.size();
  }
  if (fallbackSize == 0 || fallback == nullptr) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(fallback);
  out.assign(bytes, bytes + fallbackSize);
  return fallbackSize;
}

bool RegistryProfileStore::Write(std::string_view section, std::string_view key, DWORD type, const void* data,
                                 std::size_t size) {
  RegKeyHandle k = OpenOrCreateKey(root_, KeyPath(section));
  if (!k) return false;
  return ::RegSetValueExW(k.get(), WideText::From(key).c_str(), 0, type, static_cast<const BYTE*>(data),
                          static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

// Stored as wide text with its terminator, as a REG_SZ value should be.
bool RegistryProfileStore::WriteText(std::string_view section, std::string_view key, std::string_view text) {
  const std::wstring wide = WideText::From(text);
  return Write(section, key, REG_SZ, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

bool RegistryProfileStore::WriteInt(std::string_view section, std::string_view key, std::int32_t value) {
  const DWORD stored = static_cast<DWORD>(value);
  return Write(section, key, REG_DWORD, &stored, sizeof stored);
}

bool RegistryProfileStore::WriteFloat(std::string_view section, std::string_view key, float value) {
  return WriteText(section, key, ProfileText::FormatFloat(value));
}

bool RegistryProfileStore::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  return WriteText(section, key, value);
}

bool RegistryProfileStore::WriteBinary(std::string_view section, std::string_view key, const void* data,
                                       std::size_t size) {
  return Write(section, key, REG_BINARY, data, size);
}
