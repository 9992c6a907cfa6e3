// The message that tells the user, once per run, that the settings were not saved.
#include "storage/settings_save_message.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/ui_script.h"
#include "resource.h"

namespace {

using Status = IniProfileStore::SaveOutcome::Status;

// A string of the string table in one language, as UTF-16 (blocks of 16 counted strings).
std::wstring StringIn(UINT id, LANGID language) {
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_STRING),
                                  MAKEINTRESOURCEA(id / 16 + 1), language);
  if (found == nullptr) return {};
  const auto* p = static_cast<const WCHAR*>(::LockResource(::LoadResource(module, found)));
  for (UINT i = 0; i < id % 16; ++i) p += 1 + *p;
  return std::wstring(p + 1, *p);
}

TEST(SettingsSaveMessage, NamesTheFileAndTheSystemsReason) {
  const IniProfileStore::SaveOutcome failed{Status::Failed, "C:\\Program Files\\Velta\\Velta.ini", "Access denied"};
  EXPECT_EQ(SettingsSaveMessage::Text(failed),
            "The settings could not be saved to C:\\Program Files\\Velta\\Velta.ini.\n\nAccess denied");
  const IniProfileStore::SaveOutcome readOnly{Status::ReadOnly, "D:\\Velta\\Velta.ini", ""};
  EXPECT_EQ(SettingsSaveMessage::Text(readOnly),
            "The settings file D:\\Velta\\Velta.ini is read-only, so changed settings are not saved.");
  EXPECT_EQ(SettingsSaveMessage::Text(IniProfileStore::SaveOutcome{}), "");
  // The Japanese set has both texts, with the same places for the file and the reason.
  for (UINT id : {IDS_SETTINGS_NOT_SAVED, IDS_SETTINGS_READ_ONLY}) {
    const std::wstring japanese = StringIn(id, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_FALSE(japanese.empty()) << id;
    EXPECT_NE(japanese, StringIn(id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US))) << id;
    EXPECT_NE(japanese.find(L"%1"), std::wstring::npos) << id;
    if (id == IDS_SETTINGS_NOT_SAVED) {
      EXPECT_NE(japanese.find(L"%2"), std::wstring::npos);
    }
  }
}

TEST(SettingsSaveMessage, IsShownOncePerRun) {
  SettingsSaveMessage messages;
  EXPECT_FALSE(messages.ShowOnce(IniProfileStore::SaveOutcome{}, nullptr)) << "nothing to tell";
  const IniProfileStore::SaveOutcome failed{Status::Failed, "C:\\x\\Velta.ini", "The disk is full"};
  std::string seen;
  {
    UiScript script({UiScript::OnMessageBox("could not be saved", IDOK, &seen)});
    EXPECT_TRUE(messages.ShowOnce(failed, nullptr));
    EXPECT_TRUE(script.Done());
  }
  EXPECT_NE(seen.find("The disk is full"), std::string::npos) << seen;
  // The next failing save of the same run says nothing (no box to answer: this returns at once).
  EXPECT_FALSE(messages.ShowOnce(failed, nullptr));
  EXPECT_FALSE(messages.ShowOnce(IniProfileStore::SaveOutcome{Status::ReadOnly, "C:\\x", ""}, nullptr));
}

// Once the session ends nothing may wait for the user: not even the first failure is shown.
TEST(SettingsSaveMessage, ASilencedRunShowsNothing) {
  SettingsSaveMessage messages;
  messages.Silence();
  EXPECT_FALSE(messages.ShowOnce(IniProfileStore::SaveOutcome{Status::Failed, "C:\\x\\Velta.ini", "gone"}, nullptr));
  EXPECT_FALSE(messages.ShowForeignTextOnce("C:\\x\\Velta.ini", nullptr));
}

}  // namespace
