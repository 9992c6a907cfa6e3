#include "launcher/file_rules.h"

#include <memory>

#include "win/wide_text.h"

FileRules::FileRules(const std::string& path) : attributes_(::GetFileAttributesW(WideText::From(path).c_str())) {
  const std::wstring wide = WideText::From(path);
  DWORD needed = 0;
  ::GetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  if (needed == 0) return;
  security_.resize(needed);
  if (!::GetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, security_.data(), needed, &needed))
    security_.clear();
}

bool FileRules::ApplyTo(const std::string& path) {
  const std::wstring wide = WideText::From(path);
  bool ok = true;
  if (!security_.empty()) ok = ::SetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, security_.data()) && ok;
  if (attributes_ != INVALID_FILE_ATTRIBUTES) ok = ::SetFileAttributesW(wide.c_str(), attributes_) && ok;
  return ok;
}

std::function<bool()> FileRules::Keep(const std::string& encodedPath) {
  auto rules = std::make_shared<FileRules>(encodedPath);
  return [rules, encodedPath] { return rules->ApplyTo(encodedPath); };
}
