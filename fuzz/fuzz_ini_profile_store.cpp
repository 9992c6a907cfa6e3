// Any INI text, any sequence of operations: nothing reads or writes out of
// bounds, a value written reads back as written, reading changes nothing, and
// what the store reads always agrees with the text it would write.
//
// Input: byte 0 = number of operations n (mod 24), bytes 1..n = operations
// (low nibble: which one; high nibble: which names and value), the rest = the
// file's text.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "storage/ini_profile_store.h"
#include "storage/memory_file_access.h"

namespace {


const std::string kLong(40, 'L');
const std::string_view kSections[] = {"Settings", "S", "A", "", "Exec_0", kLong, "a]b", "[x"};
const std::string_view kKeys[] = {"Font", "k", "x", "", "left", kLong, "a b", "Format"};
const std::string_view kValues[] = {"", "1", "-2147483648", "%Y\r\n%H", "[S]", "a=b", "x\ny", "0A0B"};
// Text beyond ASCII: one 1252 holds, one no code page but UTF-8 holds, and bytes that are no UTF-8.
const std::string_view kWideValues[] = {"\xC3\xA9t\xC3\xA9", "\xD0\x96\xE6\x97\xA5\xF0\x9F\x98\x80", "\xFF\xFE", "x"};

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string WithCrLf(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\r' || value[i] == '\n') {
      out += "\r\n";
      if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
    } else {
      out += value[i];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t count = std::min<std::size_t>(data[0] % 24, size - 1);
  const std::uint8_t* ops = data + 1;
  MemoryFileAccess files;
  files.Put("fuzz.ini", std::string(reinterpret_cast<const char*>(data + 1 + count), size - 1 - count));

  {
    IniProfileStore store("fuzz.ini", files);
    for (std::size_t i = 0; i < count; ++i) {
      const int op = ops[i] & 0x0F;
      const std::string_view section = kSections[(ops[i] >> 4) & 7];
      const std::string_view key = kKeys[((ops[i] >> 4) + i) & 7];
      const std::string_view value = kValues[(ops[i] >> 5) & 7];
      const bool wasDirty = store.dirty();
      std::vector<std::string> names;
      std::vector<std::uint8_t> bytes{0xEE};
      std::array<std::uint8_t, 4> binary{};
      char buffer[6];
      switch (op) {
        case 0: store.EnumSections(names); break;
        case 1: store.DeleteSection(section); break;
        case 2: store.EnumKeys(section, names); break;
        case 3: store.DeleteKey(section, key); break;
        case 4: store.GetInt(section, key, 7); break;
        case 5: store.GetFloat(section, key, 7.0f); break;
        case 6: store.GetString(section, key, value); break;
        case 7: {
          std::memset(buffer, '#', sizeof buffer);
          const std::size_t n = store.GetStringToBuffer(section, key, value, buffer, 4);
          Check(n < 4 && buffer[n] == '\0' && buffer[4] == '#' && buffer[5] == '#');
          break;
        }
        case 8: store.GetBinary(section, key, binary.data(), binary.data(), binary.size()); break;
        case 9: {
          const std::size_t n = store.GetBinaryCopy(section, key, bytes, nullptr, 0);
          Check(n == 0 ? bytes.size() == 1 && bytes[0] == 0xEE : n == bytes.size());
          break;
        }
        case 10:
          if (store.WriteInt(section, key, static_cast<std::int32_t>(ops[i]) - 128))
            Check(store.GetInt(section, key, 999) == static_cast<std::int32_t>(ops[i]) - 128);
          break;
        case 11:
          if (store.WriteFloat(section, key, ops[i] / 8.0f))
            Check(store.GetFloat(section, key, -1.0f) == ops[i] / 8.0f);
          break;
        case 12:
          if (store.WriteString(section, key, value)) Check(store.GetString(section, key, "?") == WithCrLf(value));
          break;
        case 13: {
          const std::string_view wide = kWideValues[(ops[i] >> 5) & 3];
          const bool utf8Before = store.codePage() == CodePage::kUtf8;
          if (store.WriteString(section, key, wide)) {
            Check(store.GetString(section, key, "?") == wide);
          } else {
            // Refused only for bytes that are no UTF-8, or a file that could not become UTF-8.
            Check(wide == "\xFF\xFE" || !utf8Before);
          }
          break;
        }
        default: {
          const std::uint8_t in[3] = {ops[i], 0x00, 0xFF};
          std::uint8_t out[3] = {};
          if (store.WriteBinary(section, key, in, 3))
            Check(store.GetBinary(section, key, out, nullptr, 3) && std::memcmp(in, out, 3) == 0);
          break;
        }
      }
      // Reading never marks the text as changed.
      if (op != 1 && op != 3 && op < 10) Check(store.dirty() == wasDirty);
    }
    // The index agrees with the text: a store made from the text as it would
    // be written reads every value and name alike.
    MemoryFileAccess copy;
    copy.Put("copy.ini", store.text());
    IniProfileStore fresh("copy.ini", copy);
    Check(fresh.IsForeignText() == store.IsForeignText());
    // Unless the changes made a legacy file valid UTF-8 (a file is taken for what it looks like).
    const bool sameEncoding = store.codePage() == fresh.codePage() || store.codePage() == 0 || fresh.codePage() == 0;
    std::vector<std::string> names, freshNames;
    store.EnumSections(names);
    fresh.EnumSections(freshNames);
    Check(!sameEncoding || names == freshNames);
    for (const std::string_view section : kSections) {
      if (!sameEncoding) break;
      names.clear();
      freshNames.clear();
      const bool found = store.EnumKeys(section, names);
      Check(found == fresh.EnumKeys(section, freshNames));
      Check(names == freshNames);
      if (!found) continue;
      for (const std::string_view key : kKeys) {
        Check(store.GetString(section, key, "\x01") == fresh.GetString(section, key, "\x01"));
        Check(store.GetInt(section, key, -99) == fresh.GetInt(section, key, -99));
      }
    }
    store.Flush();
  }
  // Whatever was written reads again from the saved text.
  IniProfileStore again("fuzz.ini", files);
  std::vector<std::string> names;
  again.EnumSections(names);
  for (const std::string& name : names) {
    std::vector<std::string> keys;
    Check(again.EnumKeys(name, keys));
  }
  return 0;
}
