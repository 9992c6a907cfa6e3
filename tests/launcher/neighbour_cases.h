// Every operation that replaces a user's file, in a folder that holds its target X beside
// X.new, X.old, X.tmp and other files: afterwards every file but X is byte for byte as it was
// and no file has been added but X. With a write that fails half way (a full disk) the
// operation fails and X is as it was too. Run with each system's own file functions.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "launcher/crc32.h"
#include "launcher/file_encoding.h"
#include "launcher/md5.h"
#include "launcher_test_files.h"
#include "storage/faulty_files.h"
#include "storage/ini_profile_store.h"

namespace neighbours {

using Snapshot = std::map<std::string, std::vector<std::uint8_t>>;

inline Snapshot Take(const std::string& folder) {
  Snapshot files;
  for (const std::string& name : Listing(folder)) files[name] = ReadBytes(folder + name);
  return files;
}

struct Operation {
  const char* what;
  std::string target;                           // file name of X in the folder
  std::function<bool(FileAccess&)> run;         // true when the operation succeeded
  std::function<void()> checkResult;            // X after a success
  bool succeeds;                                // without a failure injected
  long long failAfter;                          // bytes written before the injected failure
};

inline void RunNeighbourCases(FileAccess& real) {
  const std::string dir = ScratchDir();
  const std::string sep(1, std::filesystem::path::preferred_separator);
  const std::string key = "neighbour key";
  // A failure half way comes after part of the file was written.
  const auto plain = RandomBytes((1u << 20) + 1234, 21);
  const auto changed = RandomBytes((1u << 20) + 99, 22);
  const char kIni[] = "[Settings]\r\nFormat=%H:%M\r\nOption=8\r\n\r\n[Adjust]\r\nServer=pool.example.org\r\n";
  char crcName[32];
  std::snprintf(crcName, sizeof crcName, "Report%08X.QZD", static_cast<unsigned>(Crc32(plain.data(), plain.size())));

  for (const bool failing : {false, true}) {
    int index = 0;
    std::vector<Operation> operations;
    std::string folder;
    auto encodedOf = [&](const std::vector<std::uint8_t>& content, const std::string& name) {
      // An encoded file made beforehand, of `content` stored as folder + report.doc.
      WriteBytes(folder + "report.doc", content);
      EXPECT_TRUE(EncodeFile(folder + "report.doc", folder + name, key, real));
    };
    const std::vector<std::function<Operation()>> make = {
        [&] {
          WriteBytes(folder + "Velta.ini", std::vector<std::uint8_t>(std::begin(kIni), std::end(kIni) - 1));
          return Operation{"settings save", "Velta.ini",
                           [&](FileAccess& files) {
                             IniProfileStore store(folder + "Velta.ini", files);
                             store.WriteString("Settings", "Format", "%Y/%m/%d %H:%M:%S");
                             return store.Save().ok();
                           },
                           [&] {
                             IniProfileStore store(folder + "Velta.ini", real);
                             EXPECT_EQ(store.GetString("Settings", "Format", ""), "%Y/%m/%d %H:%M:%S");
                             EXPECT_EQ(store.GetString("Adjust", "Server", ""), "pool.example.org");
                           },
                           true, 40};
        },
        [&] {
          WriteBytes(folder + "report.doc", plain);
          return Operation{"encode", crcName,
                           [&](FileAccess& files) {
                             return EncodeNewFile(folder + "report.doc", {folder}, "Report", key, files).ok();
                           },
                           [&] {
                             EncodedFileInfo info;
                             ASSERT_TRUE(InspectEncodedFile(folder + crcName, key, info, true, real).ok());
                             EXPECT_EQ(info.digest, Md5Hex(plain.data(), plain.size()));
                             EXPECT_EQ(info.storedPath, folder + "report.doc");
                           },
                           true, static_cast<long long>(plain.size() / 2)};
        },
        [&] {
          encodedOf(plain, "Report00000001.QZD");
          WriteBytes(folder + "report.doc", changed);  // what the program left when it ended
          return Operation{"re-encode after a run", "Report00000001.QZD",
                           [&](FileAccess& files) {
                             return EncodeFileTo(folder + "report.doc", folder + "Report00000001.QZD", key, files).ok();
                           },
                           [&] {
                             EncodedFileInfo info;
                             ASSERT_TRUE(InspectEncodedFile(folder + "Report00000001.QZD", key, info, true, real).ok());
                             EXPECT_EQ(info.digest, Md5Hex(changed.data(), changed.size()));
                           },
                           true, static_cast<long long>(changed.size() / 2)};
        },
        [&] {
          encodedOf(plain, "Report00000002.QZD");
          WriteBytes(folder + "report.doc", {'o', 'l', 'd'});  // a file where the original was
          return Operation{"restore", "report.doc",
                           [&](FileAccess& files) {
                             return DecodeEncodedFile(folder + "Report00000002.QZD", key, {}, files).ok();
                           },
                           [&] { EXPECT_EQ(ReadBytes(folder + "report.doc"), plain); },
                           true, static_cast<long long>(plain.size() / 2)};
        },
        [&] {
          encodedOf(plain, "Report00000003.QZD");
          WriteBytes(folder + "report.doc", {'o', 'l', 'd'});
          return Operation{"decode with a wrong key", "report.doc",
                           [&](FileAccess& files) {
                             return DecodeEncodedFile(folder + "Report00000003.QZD", "wrong key", {}, files).ok();
                           },
                           [] {}, false, static_cast<long long>(plain.size() / 2)};
        },
    };
    for (const auto& setUp : make) {
      folder = dir + std::to_string(failing) + "_" + std::to_string(index++) + sep;
      std::filesystem::create_directories(folder);
      const Operation op = setUp();
      const std::string label = std::string(op.what) + (failing ? ", failing half way" : "");
      for (const char* suffix : {".new", ".old", ".tmp"})
        WriteBytes(folder + op.target + suffix, RandomBytes(100, static_cast<unsigned>(suffix[1])));
      WriteBytes(folder + "other.txt", {'o', 't', 'h', 'e', 'r'});
      WriteBytes(folder + "~vt00000000.tmp", {'n', 'o', 't', ' ', 'o', 'u', 'r', 's'});
      const Snapshot before = Take(folder);

      FaultyFiles files(real);
      if (failing) files.writeFailsAfter = op.failAfter;
      const bool ok = op.run(files);
      EXPECT_EQ(ok, op.succeeds && !failing) << label;

      Snapshot after = Take(folder);
      Snapshot expected = before;
      if (ok) {
        op.checkResult();
        expected[op.target] = after[op.target];
      }
      for (const auto& [name, bytes] : after) {
        const auto old = expected.find(name);
        if (old == expected.end()) {
          ADD_FAILURE() << label << ": a file was added: " << name;
        } else if (old->second != bytes) {
          ADD_FAILURE() << label << ": " << name << " changed";
        }
      }
      for (const auto& [name, bytes] : expected) {
        if (!after.count(name)) ADD_FAILURE() << label << ": " << name << " is gone";
      }
    }
  }
}

}  // namespace neighbours
