// "Start at sign-in": a shortcut named VELTA.lnk in the user's Startup folder, the
// same one the installer's StartAtSignIn feature makes. The menu shows it checked
// while the shortcut is there, whoever made it. A copy the installer put in place
// turns the feature on or off through Windows Installer, so msiexec and the menu
// always agree; a zip copy (or one the installer cannot change) makes or deletes
// the shortcut itself, and the uninstall removes it either way.
#pragma once

#include <windows.h>

#include <string>

class SignInStart {
 public:
  // The installer's UpgradeCode (packaging/velta.wxs), the same in every version.
  static constexpr const wchar_t* kUpgradeCode = L"{5E606868-847F-4F0F-A212-EA7849246A82}";
  static constexpr const wchar_t* kFeature = L"StartAtSignIn";
  static constexpr const wchar_t* kShortcutName = L"VELTA.lnk";

  // For this Velta.exe: the user's Startup folder, and the installed product whose
  // folder is this program's (none for a zip copy).
  static SignInStart ForThisProgram();
  // The menu's check: the user's Startup folder holds VELTA.lnk (asks nothing of the installer).
  static bool IsOnForThisUser();
  // `startupFolder` without a trailing backslash; `productCode` empty: not installed.
  SignInStart(std::wstring startupFolder, std::wstring target, std::wstring productCode);

  // The Startup folder holds VELTA.lnk.
  bool IsOn() const;
  // Through the installer when installed, then the shortcut itself if it still differs.
  // True when the shortcut is then as asked.
  bool Set(bool on) const;

  const std::wstring& shortcutPath() const { return shortcut_; }
  const std::wstring& productCode() const { return productCode_; }

  // The installed product of this UpgradeCode whose install folder is `folder`
  // (with its trailing backslash); empty when there is none or msi.dll is missing.
  static std::wstring InstalledProductIn(const std::wstring& folder);

 private:
  bool ConfigureFeature(bool on) const;
  bool MakeShortcut() const;

  std::wstring folder_;
  std::wstring shortcut_;
  std::wstring target_;
  std::wstring productCode_;
};
