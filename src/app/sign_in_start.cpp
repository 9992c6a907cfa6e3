#include "app/sign_in_start.h"

#include <msi.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <type_traits>

#include "win/module_path.h"
#include "win/wide_text.h"

namespace {

// msi.dll from the system folder, loaded when first needed; its functions by name.
struct MsiFunctions {
  decltype(&::MsiEnumRelatedProductsW) enumRelated = nullptr;
  decltype(&::MsiGetProductInfoW) productInfo = nullptr;
  decltype(&::MsiSetInternalUI) setInternalUi = nullptr;
  decltype(&::MsiConfigureFeatureW) configureFeature = nullptr;

  static const MsiFunctions& Get() {
    static const MsiFunctions functions = [] {
      MsiFunctions f;
      HMODULE msi = ModulePath::LoadSystemLibrary(L"msi.dll");
      if (msi == nullptr) return f;
      auto find = [msi](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            reinterpret_cast<void*>(::GetProcAddress(msi, name)));
      };
      find(f.enumRelated, "MsiEnumRelatedProductsW");
      find(f.productInfo, "MsiGetProductInfoW");
      find(f.setInternalUi, "MsiSetInternalUI");
      find(f.configureFeature, "MsiConfigureFeatureW");
      return f;
    }();
    return functions;
  }
  bool complete() const { return enumRelated && productInfo && setInternalUi && configureFeature; }
};

std::wstring StartupFolder() {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Startup, KF_FLAG_CREATE, nullptr, &path))) folder = path;
  ::CoTaskMemFree(path);
  return folder;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  auto trimmed = [](std::wstring s) {
    while (!s.empty() && (s.back() == L'\\' || s.back() == L'/')) s.pop_back();
    return s;
  };
  return ::CompareStringOrdinal(trimmed(a).c_str(), -1, trimmed(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

SignInStart SignInStart::ForThisProgram() {
  const std::wstring folder = WideText::From(ModulePath::Folder());
  return SignInStart(StartupFolder(), WideText::From(ModulePath::Executable()), InstalledProductIn(folder));
}

bool SignInStart::IsOnForThisUser() { return SignInStart(StartupFolder(), L"", L"").IsOn(); }

SignInStart::SignInStart(std::wstring startupFolder, std::wstring target, std::wstring productCode)
    : folder_(std::move(startupFolder)), target_(std::move(target)), productCode_(std::move(productCode)) {
  if (!folder_.empty()) shortcut_ = folder_ + L"\\" + kShortcutName;
}

std::wstring SignInStart::InstalledProductIn(const std::wstring& folder) {
  const MsiFunctions& msi = MsiFunctions::Get();
  if (!msi.complete() || folder.empty()) return {};
  wchar_t product[39];
  for (DWORD i = 0; msi.enumRelated(kUpgradeCode, 0, i, product) == ERROR_SUCCESS; ++i) {
    wchar_t location[MAX_PATH * 4];
    DWORD size = ARRAYSIZE(location);
    if (msi.productInfo(product, L"InstallLocation", location, &size) == ERROR_SUCCESS &&
        SameFolder(location, folder))
      return product;
  }
  return {};
}

bool SignInStart::IsOn() const {
  if (shortcut_.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(shortcut_.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SignInStart::Set(bool on) const {
  if (shortcut_.empty()) return false;
  if (!productCode_.empty()) ConfigureFeature(on);
  if (IsOn() == on) return true;
  // Not installed, or the installer left it as it was (the feature already in that state, a
  // shortcut made or deleted by hand): the shortcut itself.
  if (on) return MakeShortcut() && IsOn();
  return ::DeleteFileW(shortcut_.c_str()) || !IsOn();
}

bool SignInStart::ConfigureFeature(bool on) const {
  const MsiFunctions& msi = MsiFunctions::Get();
  if (!msi.complete()) return false;
  // No installer window: the feature holds a shortcut and a registry value, done in a moment.
  const INSTALLUILEVEL previous = msi.setInternalUi(INSTALLUILEVEL_NONE, nullptr);
  const UINT result =
      msi.configureFeature(productCode_.c_str(), kFeature, on ? INSTALLSTATE_LOCAL : INSTALLSTATE_ABSENT);
  msi.setInternalUi(previous, nullptr);
  return result == ERROR_SUCCESS;
}

bool SignInStart::MakeShortcut() const {
  IShellLinkW* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
    return false;
  std::wstring workingFolder = target_.substr(0, target_.find_last_of(L'\\') + 1);
  link->SetPath(target_.c_str());
  link->SetWorkingDirectory(workingFolder.c_str());
  link->SetDescription(L"Starts the VELTA clock at sign-in");
  IPersistFile* file = nullptr;
  bool saved = false;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    saved = SUCCEEDED(file->Save(shortcut_.c_str(), TRUE));
    file->Release();
  }
  link->Release();
  return saved;
}
