#include "timesync/time_adjust_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "storage/ini_profile_store.h"
#include "storage/profile_store.h"
#include "storage/scratch_dir.h"

namespace {

// A store in memory that records which operations were used, in order.
class RecordingStore : public ProfileStore {
 public:
  std::map<std::string, std::string> strings;  // "Section/Key" -> value
  std::map<std::string, std::int32_t> ints;
  std::vector<std::string> log;

  bool EnumSections(std::vector<std::string>&) override { return false; }
  bool DeleteSection(std::string_view) override { return false; }
  bool EnumKeys(std::string_view, std::vector<std::string>&) override { return false; }
  bool DeleteKey(std::string_view, std::string_view) override { return false; }
  std::int32_t GetInt(std::string_view s, std::string_view k, std::int32_t fallback) override {
    log.push_back("GetInt " + Name(s, k));
    auto it = ints.find(Name(s, k));
    return it == ints.end() ? fallback : it->second;
  }
  float GetFloat(std::string_view, std::string_view, float fallback) override { return fallback; }
  std::string GetString(std::string_view s, std::string_view k, std::string_view fallback) override {
    log.push_back("GetString " + Name(s, k));
    auto it = strings.find(Name(s, k));
    return it == strings.end() ? std::string(fallback) : it->second;
  }
  std::size_t GetStringToBuffer(std::string_view, std::string_view, std::string_view, char*, std::size_t) override {
    return 0;
  }
  bool GetBinary(std::string_view, std::string_view, void*, const void*, std::size_t) override { return false; }
  std::size_t GetBinaryCopy(std::string_view, std::string_view, std::vector<std::uint8_t>&, const void*,
                            std::size_t) override {
    return 0;
  }
  bool WriteInt(std::string_view s, std::string_view k, std::int32_t v) override {
    log.push_back("WriteInt " + Name(s, k));
    ints[Name(s, k)] = v;
    return true;
  }
  bool WriteFloat(std::string_view, std::string_view, float) override { return false; }
  bool WriteString(std::string_view s, std::string_view k, std::string_view v) override {
    log.push_back("WriteString " + Name(s, k));
    strings[Name(s, k)] = std::string(v);
    return true;
  }
  bool WriteBinary(std::string_view, std::string_view, const void*, std::size_t) override { return false; }

 private:
  static std::string Name(std::string_view s, std::string_view k) { return std::string(s) + "/" + std::string(k); }
};

TEST(TimeAdjustSettings, DefaultsToThePublicPoolOnPort123) {
  const TimeAdjustSettings settings;
  EXPECT_EQ(settings.server, "pool.ntp.org");
  EXPECT_EQ(settings.port, "123");
  EXPECT_EQ(settings.timeoutMs, 5000);
  EXPECT_EQ(settings.retries, 3);
}

TEST(TimeAdjustSettings, TransfersFourKeysOfAdjustInOrder) {
  RecordingStore store;
  TimeAdjustSettings saved;
  saved.server = "192.168.0.1";
  saved.port = "ntp";
  saved.timeoutMs = 800;
  saved.retries = 10;
  EXPECT_TRUE(TransferTimeAdjustSettings(store, saved, Transfer::Save));
  EXPECT_EQ(store.log, (std::vector<std::string>{"WriteString Adjust/Server", "WriteString Adjust/Port",
                                                 "WriteInt Adjust/TimeOut", "WriteInt Adjust/Retry"}));
  store.log.clear();
  TimeAdjustSettings loaded;
  EXPECT_TRUE(TransferTimeAdjustSettings(store, loaded, Transfer::Load));
  EXPECT_EQ(store.log, (std::vector<std::string>{"GetString Adjust/Server", "GetString Adjust/Port",
                                                 "GetInt Adjust/TimeOut", "GetInt Adjust/Retry"}));
  EXPECT_EQ(loaded, saved);
}

TEST(TimeAdjustSettings, MissingKeysKeepTheCurrentValues) {
  RecordingStore store;
  store.ints["Adjust/Retry"] = 7;
  TimeAdjustSettings settings;
  settings.server = "time.example";
  EXPECT_TRUE(TransferTimeAdjustSettings(store, settings, Transfer::Load));
  EXPECT_EQ(settings.server, "time.example");
  EXPECT_EQ(settings.port, "123");
  EXPECT_EQ(settings.timeoutMs, 5000);
  EXPECT_EQ(settings.retries, 7);
}

TEST(TimeAdjustSettings, StoredCountsOutsideTheDialogsRangeKeepTheCurrentValues) {
  struct Case {
    std::int32_t timeoutMs, retries;  // as stored
    std::int32_t wantTimeoutMs, wantRetries;
  } cases[] = {
      {500, 1, 500, 1},                 // the lowest the dialog takes
      {10000, 10, 10000, 10},           // the highest
      {499, 0, 5000, 3},                // just below
      {10001, 11, 5000, 3},             // just above
      {-1, -1, 5000, 3},
      {2147483647, 2147483647, 5000, 3},  // a hand edit that would wait for ever
  };
  for (const Case& c : cases) {
    RecordingStore store;
    store.ints["Adjust/TimeOut"] = c.timeoutMs;
    store.ints["Adjust/Retry"] = c.retries;
    TimeAdjustSettings settings;
    EXPECT_TRUE(TransferTimeAdjustSettings(store, settings, Transfer::Load));
    EXPECT_EQ(settings.timeoutMs, c.wantTimeoutMs) << c.timeoutMs;
    EXPECT_EQ(settings.retries, c.wantRetries) << c.retries;
  }
}

TEST(TimeAdjustSettingsIni, SavesSectionAdjustAndReadsItBack) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ScratchDir::Write(file, "[Settings]\r\nFormat=%H:%M\r\n");
  TimeAdjustSettings saved;
  saved.server = "ntp.example.org";
  saved.port = "1123";
  saved.timeoutMs = 2500;
  saved.retries = 4;
  {
    IniProfileStore store(file);
    EXPECT_TRUE(TransferTimeAdjustSettings(store, saved, Transfer::Save));
    store.Flush();
  }
  const std::string text = ScratchDir::Read(file);
  EXPECT_NE(text.find("[Settings]\r\nFormat=%H:%M\r\n"), std::string::npos) << "other sections stay: " << text;
  for (const char* line : {"[Adjust]\r\n", "Server=ntp.example.org\r\n", "Port=1123\r\n", "TimeOut=2500\r\n",
                           "Retry=4\r\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << " missing from:\n" << text;

  TimeAdjustSettings loaded;
  IniProfileStore store(file);
  EXPECT_TRUE(TransferTimeAdjustSettings(store, loaded, Transfer::Load));
  EXPECT_EQ(loaded, saved);
}

TEST(TimeAdjustSettingsIni, HandEditedValuesLoadAsWritten) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  // A server name longer than any buffer, a service name as the port, no Retry line.
  const std::string longName(5000, 'a');
  ScratchDir::Write(file, "[Adjust]\r\nServer=" + longName + "\r\nPort=ntp\r\nTimeOut=800\r\n");
  TimeAdjustSettings settings;
  IniProfileStore store(file);
  EXPECT_TRUE(TransferTimeAdjustSettings(store, settings, Transfer::Load));
  EXPECT_EQ(settings.server, longName);
  EXPECT_EQ(settings.port, "ntp");
  EXPECT_EQ(settings.timeoutMs, 800);
  EXPECT_EQ(settings.retries, 3);
}

}  // namespace
