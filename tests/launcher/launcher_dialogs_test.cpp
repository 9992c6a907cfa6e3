// The add and key dialogs and the removal flow, driven through their real windows.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <filesystem>

#include "launcher/encoding_key_dialog.h"
#include "launcher/file_encoding.h"
#include "launcher/launcher_add_encode_dialog.h"
#include "launcher/restore_encoded_item.h"
#include "storage/win32_file_access.h"
#include "launcher_test_files.h"
#include "resource.h"
#include "ui_script.h"
#include "win/ansi_code_page.h"
#include "win/wide_text.h"

namespace {

constexpr char kAdd[] = "Add";
constexpr char kKeyTitle[] = "Input an encoding key";
constexpr char kRestoreQuestion[] = "Is an encoding file restored?";

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

TEST(LauncherAddDialogs, ProposeTheNameOfAPresetPath) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {"C:\\Tools\\app.exe", "app"},
      {"C:\\Data\\archive.tar.gz", "archive.tar"},
      {"C:\\Data\\README", "README"},
      {"C:\\my.dir\\README", "README"},
      {"plain.txt", "plain"},
  };
  for (const auto& c : cases) {
    for (bool encodeVariant : {false, true}) {
      std::string seenName, seenPath;
      UiScript script({UiScript::OnDialog(kAdd, [&](HWND w) {
        seenName = UiScript::Text(w, IDC_LAUNCHER_ADD_NAME);
        seenPath = UiScript::Text(w, IDC_LAUNCHER_ADD_PATH);
        UiScript::Click(w, IDOK);
      })});
      LauncherAddEncodeDialog withEncode;
      LauncherAddDialog plain;
      LauncherAddDialog& dialog = encodeVariant ? withEncode : plain;
      dialog.path = c.path;
      ASSERT_EQ(dialog.DoModal(), IDOK);
      EXPECT_EQ(seenName, c.name) << c.path;
      EXPECT_EQ(seenPath, c.path);
      EXPECT_EQ(dialog.name, c.name);
      EXPECT_EQ(dialog.path, c.path);
    }
  }
}

TEST(LauncherAddDialogs, EmptyFieldsComeBackEmptyAndCancelReportsCancel) {
  LauncherAddEncodeDialog dialog;
  {
    UiScript script({UiScript::OnDialog(kAdd, [](HWND w) { UiScript::Click(w, IDOK); })});
    ASSERT_EQ(dialog.DoModal(), IDOK);
  }
  EXPECT_EQ(dialog.path, "");
  EXPECT_EQ(dialog.name, "");
  EXPECT_EQ(dialog.key, "");
  EXPECT_EQ(dialog.encode, 0);
  LauncherAddDialog plain;
  UiScript script({UiScript::OnDialog(kAdd, [](HWND w) {
    ::SetDlgItemTextA(w, IDC_LAUNCHER_ADD_NAME, "typed");
    UiScript::Click(w, IDCANCEL);
  })});
  EXPECT_EQ(plain.DoModal(), IDCANCEL);
  EXPECT_EQ(plain.name, "");
}

TEST(LauncherAddEncodeDialog, EncodeTogglesTheKeyFieldAndKeepsItsText) {
  struct Seen {
    bool labelAtStart = true, keyAtStart = true, afterTick = false, afterClear = true;
    std::string keyText;
    LONG keyStyle = 0;
    std::string note;
  } seen;
  UiScript script({
      UiScript::OnDialog(kAdd, [&](HWND w) {
        seen.labelAtStart = Enabled(w, IDC_LAUNCHER_ADD_KEY_LABEL);
        seen.keyAtStart = Enabled(w, IDC_LAUNCHER_ADD_KEY);
        seen.keyStyle = ::GetWindowLongA(::GetDlgItem(w, IDC_LAUNCHER_ADD_KEY), GWL_STYLE);
        seen.note = UiScript::Text(w, IDC_LAUNCHER_ADD_NOTE);
        ::SendDlgItemMessageA(w, IDC_LAUNCHER_ADD_ENCODE, BM_CLICK, 0, 0);
        seen.afterTick = Enabled(w, IDC_LAUNCHER_ADD_KEY) && Enabled(w, IDC_LAUNCHER_ADD_KEY_LABEL);
        ::SetDlgItemTextA(w, IDC_LAUNCHER_ADD_KEY, "secret");
        ::SendDlgItemMessageA(w, IDC_LAUNCHER_ADD_ENCODE, BM_CLICK, 0, 0);
        seen.afterClear = Enabled(w, IDC_LAUNCHER_ADD_KEY) || Enabled(w, IDC_LAUNCHER_ADD_KEY_LABEL);
        seen.keyText = UiScript::Text(w, IDC_LAUNCHER_ADD_KEY);
        ::SendDlgItemMessageA(w, IDC_LAUNCHER_ADD_ENCODE, BM_CLICK, 0, 0);
        UiScript::Click(w, IDOK);
      }),
  });
  LauncherAddEncodeDialog dialog;
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_FALSE(seen.labelAtStart);
  EXPECT_FALSE(seen.keyAtStart);
  EXPECT_TRUE(seen.afterTick);
  EXPECT_FALSE(seen.afterClear);
  EXPECT_EQ(seen.keyText, "secret");
  EXPECT_NE(seen.keyStyle & ES_PASSWORD, 0) << "the add dialog hides the key, as the key dialog does";
  EXPECT_NE(seen.note.find("deletes the original file"), std::string::npos) << seen.note;
  EXPECT_EQ(dialog.encode, 1);
  EXPECT_EQ(dialog.key, "secret");
}

TEST(EncodingKeyDialog, HidesTheTypedKey) {
  LONG style = 0;
  UiScript script({UiScript::OnDialog(kKeyTitle, [&](HWND w) {
    style = ::GetWindowLongA(::GetDlgItem(w, IDC_ENCODING_KEY), GWL_STYLE);
    ::SetDlgItemTextA(w, IDC_ENCODING_KEY, "p@ss word");
    UiScript::Click(w, IDOK);
  })});
  EncodingKeyDialog dialog;
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_NE(style & ES_PASSWORD, 0);
  EXPECT_EQ(dialog.key, "p@ss word");
}

// Names and paths in any script go through the dialogs whole, and the name proposed for them
// keeps every character.
TEST(LauncherAddDialogs, KeepPathsAndNamesInAnyScript) {
  const std::string name = "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\x89 \xD0\x9C\xD0\xB8\xD1\x80";  // 日本 🎉 Мир
  const std::string path = "C:\\\xE3\x83\xBD\xE3\x83\xBD\\" + name + ".txt";  // a folder "ソソ" ("\x83\x5C" twice in Shift-JIS)
  std::string shownName, shownPath;
  UiScript script({UiScript::OnDialog(kAdd, [&](HWND w) {
    shownName = WideText::OfWindow(::GetDlgItem(w, IDC_LAUNCHER_ADD_NAME));
    shownPath = WideText::OfWindow(::GetDlgItem(w, IDC_LAUNCHER_ADD_PATH));
    UiScript::Click(w, IDOK);
  })});
  LauncherAddEncodeDialog dialog;
  dialog.path = path;
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(shownName, name);
  EXPECT_EQ(shownPath, path);
  EXPECT_EQ(dialog.name, name);
  EXPECT_EQ(dialog.path, path);
}

// A key is taken in the system's code page, as earlier builds took it; a key with a character
// the code page lacks is refused with a message and the dialog stays until another is given.
TEST(EncodingKeyDialog, TakesTheKeyInTheCodePageAndRefusesACharacterItLacks) {
  const std::string emojiKey = "key \xF0\x9F\x94\x91";
  const std::string accented = "p\xC3\xA4ss";  // "päss": in code page 1252, not in 932
  std::string expected;
  const bool accentedFits = AnsiCodePage::System().FromUtf8(accented, expected);
  std::string refusal;
  UiScript script({
      UiScript::OnDialog(kKeyTitle, [&](HWND w) {
        WideText::SetWindow(::GetDlgItem(w, IDC_ENCODING_KEY), emojiKey);
        UiScript::Click(w, IDOK);
      }),
      UiScript::OnMessageBox("code page", IDOK, &refusal),
      UiScript::OnDialog(kKeyTitle, [&](HWND w) {
        WideText::SetWindow(::GetDlgItem(w, IDC_ENCODING_KEY), accentedFits ? accented : "plain");
        UiScript::Click(w, IDOK);
      }),
  });
  EncodingKeyDialog dialog;
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(script.Done());
  EXPECT_NE(refusal.find("code page"), std::string::npos) << refusal;
  EXPECT_EQ(dialog.key, accentedFits ? expected : std::string("plain"));
  if (AnsiCodePage::System().Id() == 1252) {
    EXPECT_EQ(dialog.key, "p\xE4ss") << "the bytes earlier builds used";
  }

  // The add dialog refuses such a key the same way, and only when it is to encode.
  std::string addRefusal;
  UiScript add({
      UiScript::OnDialog(kAdd, [&](HWND w) {
        ::SendDlgItemMessageW(w, IDC_LAUNCHER_ADD_ENCODE, BM_CLICK, 0, 0);
        WideText::SetWindow(::GetDlgItem(w, IDC_LAUNCHER_ADD_KEY), emojiKey);
        UiScript::Click(w, IDOK);
      }),
      UiScript::OnMessageBox("code page", IDOK, &addRefusal),
      UiScript::OnDialog(kAdd, [&](HWND w) {
        ::SendDlgItemMessageW(w, IDC_LAUNCHER_ADD_ENCODE, BM_CLICK, 0, 0);
        UiScript::Click(w, IDOK);
      }),
  });
  LauncherAddEncodeDialog addDialog;
  ASSERT_EQ(addDialog.DoModal(), IDOK);
  EXPECT_TRUE(add.Done());
  EXPECT_FALSE(addRefusal.empty());
  EXPECT_EQ(addDialog.encode, 0);
  EXPECT_EQ(addDialog.key, "");
}

TEST(LauncherAddDialogs, BrowsingReplacesATypedName) {
  const std::string dir = ScratchDir();
  const std::string chosen = dir + "chosen.file.exe";
  WriteBytes(chosen, {'M', 'Z'});
  std::string nameAfter, pathAfter;
  bool sawFileDialog = false;
  UiScript script({
      UiScript::OnDialog(kAdd, [](HWND w) {
        ::SetDlgItemTextA(w, IDC_LAUNCHER_ADD_NAME, "typed by the user");
        UiScript::Click(w, IDC_LAUNCHER_ADD_BROWSE);
      }),
      [&](HWND w) {  // the common open-file dialog: type the path into its file name box
        if (UiScript::Title(w) == kAdd || !::GetDlgItem(w, IDOK)) return false;
        HWND nameBox = ::GetDlgItem(w, cmb13);
        if (!nameBox) nameBox = ::GetDlgItem(w, edt1);
        if (!nameBox) return false;
        sawFileDialog = true;
        ::SetWindowTextA(nameBox, chosen.c_str());
        UiScript::Click(w, IDOK);
        return true;
      },
      UiScript::OnDialog(kAdd, [&](HWND w) {
        nameAfter = UiScript::Text(w, IDC_LAUNCHER_ADD_NAME);
        pathAfter = UiScript::Text(w, IDC_LAUNCHER_ADD_PATH);
        UiScript::Click(w, IDOK);
      }),
  });
  LauncherAddDialog dialog;
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(sawFileDialog);
  EXPECT_EQ(std::filesystem::path(pathAfter).filename().string(), "chosen.file.exe") << pathAfter;
  EXPECT_EQ(nameAfter, "chosen.file");
  EXPECT_EQ(dialog.name, "chosen.file");
}

// Cancel keeps the item; No removes it and keeps its file; Yes restores with the right key,
// keeps everything with a wrong one, and removes the item but keeps the file when the key
// dialog is cancelled.
TEST(RestoreEncodedItem, FollowsTheAnswers) {
  struct Case {
    const char* what;
    int answer;
    const char* key;  // nullptr: cancel the key dialog
    bool removed, encodedStays, originalBack;
    bool userFileThere = false;  // a file of the user's at the stored path: kept, and told
    const char* told = nullptr;  // a failure the user is told of: part of the message
  };
  const Case cases[] = {
      {"Yes, a file of the user's at the stored path", IDYES, "right", false, true, false, true},
      {"Cancel", IDCANCEL, nullptr, false, true, false},
      {"No", IDNO, nullptr, true, true, false},
      {"Yes, right key", IDYES, "right", true, false, true},
      {"Yes, wrong key", IDYES, "wrong", false, true, false, false, "The key is wrong"},
      {"Yes, key dialog cancelled", IDYES, nullptr, true, true, false},
  };
  for (const Case& c : cases) {
    const std::string dir = ScratchDir();
    const auto content = RandomBytes(3000, 8);
    WriteBytes(dir + "doc.txt", content);
    ASSERT_TRUE(EncodeFile(dir + "doc.txt", dir + "Doc.QZD", "right"));
    std::filesystem::remove(dir + "doc.txt");
    LauncherItem item;
    item.path = dir + "Doc.QZD";
    item.name = "Doc";
    item.encoded = 1;
    if (c.userFileThere) WriteBytes(dir + "doc.txt", {'m', 'i', 'n', 'e'});
    std::string question;
    std::vector<UiScript::Step> steps{UiScript::OnMessageBox(kRestoreQuestion, c.answer, &question)};
    if (c.answer == IDYES) {
      steps.push_back(UiScript::OnDialog(kKeyTitle, [&](HWND w) {
        if (c.key) ::SetDlgItemTextA(w, IDC_ENCODING_KEY, c.key);
        UiScript::Click(w, c.key ? IDOK : IDCANCEL);
      }));
    }
    if (c.userFileThere) steps.push_back(UiScript::OnMessageBox("is there already", IDOK));
    if (c.told) steps.push_back(UiScript::OnMessageBox(c.told, IDOK));
    UiScript script(steps);
    EXPECT_EQ(RestoreEncodedItem(item, nullptr, Win32FileAccess::Instance()), c.removed) << c.what;
    EXPECT_TRUE(script.Done()) << c.what;
    EXPECT_EQ(question, "Is an encoding file restored? ") << c.what;
    EXPECT_EQ(Exists(dir + "Doc.QZD"), c.encodedStays) << c.what;
    EXPECT_EQ(Exists(dir + "doc.txt"), c.originalBack || c.userFileThere) << c.what;
    if (c.userFileThere) EXPECT_EQ(ReadBytes(dir + "doc.txt"), (std::vector<std::uint8_t>{'m', 'i', 'n', 'e'})) << c.what;
    if (c.originalBack) {
      EXPECT_EQ(ReadBytes(dir + "doc.txt"), content);
    }
  }
}

}  // namespace
