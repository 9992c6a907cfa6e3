#include "win/elevated_start.h"

#include "win/held_file.h"
#include "win/wide_text.h"

ElevatedStart::Outcome ElevatedStart::Run(HWND owner, const std::string& file, const std::string& parameters,
                                          const Seams& seams, UniqueHandle<HANDLE, KernelClose>& process) {
  process.reset();
  const HeldFile held = HeldFile::Open(file);
  if (!held.IsOpen()) return Outcome::kNotHeld;
  std::vector<std::uint8_t> content;
  if (!held.ReadAll(content)) return Outcome::kNotHeld;
  if (!seams.trusted || !seams.trusted(content)) return Outcome::kChanged;
  content.clear();
  content.shrink_to_fit();
  if (seams.afterCheck) seams.afterCheck(file);

  // Started by the held file's own name, not by `file`: a junction on the way to it
  // could be re-pointed between the check and the start; the final path has none.
  const std::string heldPath = held.FinalPath();
  const std::wstring wideFile = WideText::From(heldPath.empty() ? file : heldPath);
  const std::wstring wideParameters = WideText::From(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The process handle, no error box of the shell's own, and the start complete before the call returns.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.hwnd = owner;
  info.lpVerb = L"runas";
  info.lpFile = wideFile.c_str();
  info.lpParameters = wideParameters.c_str();
  info.nShow = SW_HIDE;
  const BOOL started = seams.execute ? seams.execute(info) : ::ShellExecuteExW(&info);
  const DWORD error = started ? ERROR_SUCCESS : ::GetLastError();
  // The hold ends when `held` goes, after this: the new process has its image by now.
  if (!started) return error == ERROR_CANCELLED ? Outcome::kCancelled : Outcome::kFailed;
  if (info.hProcess == nullptr) return Outcome::kFailed;
  process.reset(info.hProcess);
  return Outcome::kStarted;
}
