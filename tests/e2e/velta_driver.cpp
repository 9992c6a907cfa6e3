// Drives a running clock from outside, for the end-to-end scripts.
//   velta_driver wait TITLE SECONDS        wait for a visible top-level window
//   velta_driver gone TITLE SECONDS        wait until no such window exists
//   velta_driver info TITLE                rect, client rect (screen), styles, topmost, tool window
//   velta_driver key TITLE VK              post a key press to the window
//   velta_driver command TITLE ID          post WM_COMMAND
//   velta_driver close TITLE               post WM_CLOSE
//   velta_driver dialog-title OWNERTITLE SECONDS   UTF-8 title of a dialog owned by the window
//   velta_driver close-dialog OWNERTITLE   cancel the dialog owned by the window
//   velta_driver region TITLE X Y          "none" without a window region, else "in" or "out" for
//                                          the point in window coordinates
//   velta_driver menu SECONDS              rect of the open popup menu, once one is shown
//   velta_driver post TITLE MSG WPARAM LPARAM   post any message
//   velta_driver send TITLE MSG WPARAM LPARAM   send any message (also those the system does not let be posted)
//                                          and print its result
//   velta_driver exstyle-remove TITLE BITS clear extended style bits with SetWindowLongPtr
//   velta_driver dialog-set OWNERTITLE ID TEXT     set a control's text in the owned dialog
//   velta_driver dialog-check OWNERTITLE ID 0|1    set a check box in the owned dialog
//   velta_driver dialog-click OWNERTITLE ID        click a button of the owned dialog
//   velta_driver dialog-type OWNERTITLE ID TEXT    type TEXT (any characters) over a control's whole text,
//                                          one WM_CHAR for each UTF-16 unit as a keyboard sends them
//   velta_driver dialog-rect OWNERTITLE            the owned dialog's rectangle
//   velta_driver popups TITLE              visible captionless dialogs of the window's process:
//                                          "HWND left top right bottom okvisible"
//   velta_driver click-ok HWND             click the OK button (id 1) of a window
//   velta_driver dialog-item OWNERTITLE ID  screen rect, enabled state and UTF-8 text of a control
//                                          of the dialog owned by the window ("rect L T R B", "enabled N",
//                                          "checked N" for buttons, "text ...")
//   velta_driver launcher OWNERTITLE       the launcher owned by the window: rect, visible, rows, list rect
//   velta_driver launcher-press OWNERTITLE ID    click a button of the launcher
//   velta_driver set-text TITLE ID TEXT    put TEXT into control ID of the dialog TITLE
//   velta_driver press TITLE ID            click button ID of the dialog TITLE (BM_CLICK)
//   velta_driver item-text TITLE ID        UTF-8 text of control ID of the dialog TITLE
//   velta_driver msgbox SECONDS            text of a visible message box of any window
//   velta_driver msgbox-press ID           answer that message box
//   velta_driver message-box - SECONDS     wait for a message box: caption, text, icon, buttons and
//                                          the title of its owner window ("owner" alone when it has none)
//   velta_driver press-message-box - ID    press a button of that message box
//   velta_driver process NAME SECONDS      wait for a process of that executable name; its command line
//   velta_driver locale -                  the system's code page and the user's locale, as this
//                                          environment gives them to a program: "acp N", "user 0xLCID"
//   velta_driver move TITLE X Y            move the window (its size stays)
//   velta_driver tray-delete TITLE         delete the window's tray icon, as a restarting shell forgets it
//   velta_driver taskbar-created TITLE     send the window the shell's "TaskbarCreated"
//   velta_driver watch TITLE SECONDS       wait until the window's pixels on the screen change; prints
//                                          the local time of the change as "HH:MM:SS.mmm"
//   velta_driver accessible TITLE|HWND     the client area as screen readers ask for it
//                                          (AccessibleObjectFromWindow): "name ...", "role N"
//   velta_driver menu-names SECONDS        once a popup menu is open: "item N name" for each of its
//                                          items through the same call, "no accessible menu" without
//   velta_driver count TITLE               "windows N": visible top-level windows with that title
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND Find(const char* title) { return ::FindWindowA(nullptr, title); }

HWND WaitFor(const char* title, double seconds) {
  const DWORD until = ::GetTickCount() + static_cast<DWORD>(seconds * 1000);
  do {
    HWND w = Find(title);
    if (w != nullptr && ::IsWindowVisible(w)) return w;
    ::Sleep(50);
  } while (static_cast<LONG>(until - ::GetTickCount()) > 0);
  return nullptr;
}

std::string Utf8Title(HWND w) {
  wchar_t wide[512] = {};
  ::GetWindowTextW(w, wide, 512);
  char utf8[2048] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
  return utf8;
}

// A control's text, asked of the control itself (typing does not update the caption the system keeps).
std::string Utf8Text(HWND w) {
  wchar_t wide[1024] = {};
  ::SendMessageW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(wide));
  char utf8[4096] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::string text = utf8;
  // One line of output: line breaks as "\n".
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

struct OwnedSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindOwned(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<OwnedSearch*>(lp);
  char cls[64] = {};
  ::GetClassNameA(w, cls, sizeof cls);
  if (::GetWindow(w, GW_OWNER) == s->owner && std::strcmp(cls, "#32770") == 0 && ::IsWindowVisible(w)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindMenu(HWND w, LPARAM lp) {
  char cls[64] = {};
  ::GetClassNameA(w, cls, sizeof cls);
  if (std::strcmp(cls, "#32768") == 0 && ::IsWindowVisible(w)) {
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
  }
  return TRUE;
}

struct ProcessSearch {
  DWORD pid;
  HWND except;
};

BOOL CALLBACK ListPopups(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<ProcessSearch*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(w, &pid);
  char cls[64] = {};
  ::GetClassNameA(w, cls, sizeof cls);
  if (pid != s->pid || w == s->except || std::strcmp(cls, "#32770") != 0 || !::IsWindowVisible(w)) return TRUE;
  if (::GetWindow(w, GW_OWNER) != nullptr) return TRUE;  // dialogs owned by the clock are not popups of their own
  RECT r;
  ::GetWindowRect(w, &r);
  HWND ok = ::GetDlgItem(w, IDOK);
  std::printf("%p %ld %ld %ld %ld %d\n", static_cast<void*>(w), r.left, r.top, r.right, r.bottom,
              ok && ::IsWindowVisible(ok) ? 1 : 0);
  return TRUE;
}

HWND OwnedDialog(HWND owner, double seconds) {
  const DWORD until = ::GetTickCount() + static_cast<DWORD>(seconds * 1000);
  do {
    OwnedSearch s{owner, nullptr};
    ::EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    ::Sleep(50);
  } while (static_cast<LONG>(until - ::GetTickCount()) > 0);
  return nullptr;
}

// The launcher: a dialog owned by the clock that holds the tab control 1010.
struct LauncherSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindLauncher(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<LauncherSearch*>(lp);
  if (::GetWindow(w, GW_OWNER) == s->owner && ::GetDlgItem(w, 1010) != nullptr) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

// A message box: a dialog with a static text (id 0xFFFF) and no edit control.
BOOL CALLBACK FindMessageBox(HWND w, LPARAM lp) {
  char cls[64] = {};
  ::GetClassNameA(w, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0 || !::IsWindowVisible(w)) return TRUE;
  if (::GetDlgItem(w, 0xFFFF) == nullptr || ::GetDlgItem(w, 1010) != nullptr) return TRUE;
  *reinterpret_cast<HWND*>(lp) = w;
  return FALSE;
}

HWND WaitForMessageBox(double seconds) {
  const DWORD until = ::GetTickCount() + static_cast<DWORD>(seconds * 1000);
  do {
    HWND box = nullptr;
    ::EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&box));
    if (box) return box;
    ::Sleep(50);
  } while (static_cast<LONG>(until - ::GetTickCount()) > 0);
  return nullptr;
}

// The screen rectangle of a list-view row of another process: the RECT the
// message fills must live in that process.
bool ListRowRect(HWND listView, int index, RECT* out) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(listView, &pid);
  HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process == nullptr) return false;
  bool ok = false;
  if (void* remote = ::VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE)) {
    RECT r{0 /* LVIR_BOUNDS */, 0, 0, 0};
    if (::WriteProcessMemory(process, remote, &r, sizeof r, nullptr) &&
        ::SendMessageA(listView, 0x100E /* LVM_GETITEMRECT */, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(remote)) &&
        ::ReadProcessMemory(process, remote, &r, sizeof r, nullptr)) {
      ::MapWindowPoints(listView, nullptr, reinterpret_cast<POINT*>(&r), 2);
      *out = r;
      ok = true;
    }
    ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  ::CloseHandle(process);
  return ok;
}

// The UTF-8 command line of a running process with that executable name, read from
// its process parameters; empty when there is none.
// The command line of the first process of `exeName` whose line holds `containing`.
std::string ProcessCommandLine(const char* exeName, const char* containing = "") {
  using QueryFn = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  if (query == nullptr) return {};
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return {};
  std::string line;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more && line.empty(); more = ::Process32Next(snapshot, &entry)) {
    if (_stricmp(entry.szExeFile, exeName) != 0) continue;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
    if (process == nullptr) continue;
    PROCESS_BASIC_INFORMATION basic{};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        ::ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) &&
        ::ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, nullptr)) {
      std::wstring wide(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
      if (::ReadProcessMemory(process, parameters.CommandLine.Buffer, wide.data(), parameters.CommandLine.Length,
                              nullptr)) {
        char utf8[4096] = {};
        ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
        if (std::strstr(utf8, containing) != nullptr) line = utf8;
      }
    }
    ::CloseHandle(process);
  }
  ::CloseHandle(snapshot);
  return line;
}

int Usage() {
  std::fprintf(stderr, "usage: velta_driver wait|gone|info|key|command|close|dialog-title TITLE [ARG]\n");
  return 2;
}

}  // namespace

std::string Utf8(const wchar_t* wide, int length) {
  if (wide == nullptr || length <= 0) return std::string();
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), n, nullptr, nullptr);
  return out;
}

IAccessible* ClientObject(HWND w) {
  IAccessible* object = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
    return nullptr;
  return object;
}

std::string NameOf(IAccessible* object, LONG child) {
  VARIANT id;
  id.vt = VT_I4;
  id.lVal = child;
  BSTR name = nullptr;
  if (object->get_accName(id, &name) != S_OK || name == nullptr) return std::string();
  std::string text = Utf8(name, static_cast<int>(::SysStringLen(name)));
  ::SysFreeString(name);
  return text;
}

int Accessibility(const std::string& verb, const char* title, const char* arg) {
  ::CoInitialize(nullptr);
  if (verb == "menu-names") {
    const DWORD until = ::GetTickCount() + static_cast<DWORD>((title ? std::atof(title) : 5) * 1000);
    HWND menu = nullptr;
    while ((menu = ::FindWindowA("#32768", nullptr)) == nullptr || !::IsWindowVisible(menu)) {
      if (static_cast<LONG>(until - ::GetTickCount()) <= 0) { std::printf("no menu\n"); return 1; }
      ::Sleep(50);
    }
    IAccessible* object = ClientObject(menu);
    long count = 0;
    if (object == nullptr || object->get_accChildCount(&count) != S_OK || count == 0) {
      std::printf("no accessible menu\n");
      return 1;
    }
    for (long i = 1; i <= count; ++i) std::printf("item %ld %s\n", i, NameOf(object, i).c_str());
    object->Release();
    return 0;
  }
  HWND w = ::FindWindowA(nullptr, title);
  if (w == nullptr) w = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoull(title, nullptr, 16)));
  if (!::IsWindow(w)) { std::printf("no window \"%s\"\n", title); return 1; }
  IAccessible* object = ClientObject(w);
  if (object == nullptr) { std::printf("no accessible object\n"); return 1; }
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VARIANT role;
  ::VariantInit(&role);
  object->get_accRole(self, &role);
  std::printf("name %s\nrole %ld\n", NameOf(object, CHILDID_SELF).c_str(), role.vt == VT_I4 ? role.lVal : -1L);
  object->Release();
  return 0;
}

BOOL CALLBACK CountTitled(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<std::pair<const char*, int>*>(lp);
  char text[256] = {};
  ::GetWindowTextA(w, text, sizeof text);
  if (::IsWindowVisible(w) && std::strcmp(text, s->first) == 0) ++s->second;
  return TRUE;
}

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string verb = argv[1];
  const char* title = argv[2];
  const char* arg = argc > 3 ? argv[3] : nullptr;
  if (verb == "accessible" || verb == "menu-names") return Accessibility(verb, title, arg);
  if (verb == "count") {
    std::pair<const char*, int> search{title, 0};
    ::EnumWindows(CountTitled, reinterpret_cast<LPARAM>(&search));
    std::printf("windows %d\n", search.second);
    return 0;
  }
  if (verb == "wait") {
    HWND w = WaitFor(title, arg ? std::atof(arg) : 10);
    if (!w) { std::printf("no window \"%s\"\n", title); return 1; }
    std::printf("%p\n", static_cast<void*>(w));
    return 0;
  }
  if (verb == "gone") {
    const DWORD until = ::GetTickCount() + static_cast<DWORD>((arg ? std::atof(arg) : 10) * 1000);
    while (Find(title) != nullptr) {
      if (static_cast<LONG>(until - ::GetTickCount()) <= 0) { std::printf("still there\n"); return 1; }
      ::Sleep(50);
    }
    return 0;
  }
  if (verb == "menu") {
    const DWORD until = ::GetTickCount() + static_cast<DWORD>(std::atof(title) * 1000);
    do {
      HWND menu = nullptr;
      ::EnumWindows(FindMenu, reinterpret_cast<LPARAM>(&menu));
      if (menu != nullptr) {
        RECT r;
        ::GetWindowRect(menu, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
      }
      ::Sleep(50);
    } while (static_cast<LONG>(until - ::GetTickCount()) > 0);
    std::printf("no menu\n");
    return 1;
  }
  if (verb == "click-ok") {
    HWND target = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(title, nullptr, 16)));
    HWND ok = ::GetDlgItem(target, IDOK);
    if (!ok) return 1;
    ::PostMessageA(ok, BM_CLICK, 0, 0);
    return 0;
  }
  if (verb == "window-info") {  // window-info HWND: what the taskbar goes by, and where it is
    HWND target = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(title, nullptr, 16)));
    if (!::IsWindow(target)) return 1;
    RECT r{};
    ::GetWindowRect(target, &r);
    std::printf("exstyle 0x%lx\nowner %d\ntitle %s\nrect %ld %ld %ld %ld\n",
                static_cast<unsigned long>(::GetWindowLongA(target, GWL_EXSTYLE)),
                ::GetWindow(target, GW_OWNER) != nullptr ? 1 : 0, Utf8Title(target).c_str(), r.left, r.top, r.right,
                r.bottom);
    return 0;
  }
  if (verb == "animations") {  // animations 0|1: "Show animations in Windows", as the system keeps it
    const BOOL on = std::atoi(title) != 0;
    ::SystemParametersInfoA(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(on)),
                            SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    BOOL now = !on;
    ::SystemParametersInfoA(SPI_GETCLIENTAREAANIMATION, 0, &now, 0);
    std::printf("%d\n", now ? 1 : 0);
    return now == on ? 0 : 1;
  }
  if (verb == "msgbox") {
    HWND box = WaitForMessageBox(std::atof(title));
    if (!box) { std::printf("no message box\n"); return 1; }
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    std::printf("%s\n", text);
    return 0;
  }
  if (verb == "msgbox-press") {
    HWND box = WaitForMessageBox(5);
    if (!box) { std::printf("no message box\n"); return 1; }
    ::PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(std::strtoul(title, nullptr, 0)), 0);
    return 0;
  }
  if (verb == "message-box" || verb == "press-message-box") {
    HWND box = WaitForMessageBox(verb == "message-box" && arg ? std::atof(arg) : 0.1);
    if (!box) { std::printf("no message box\n"); return 1; }
    if (verb == "press-message-box") {
      const int id = arg ? std::atoi(arg) : IDOK;
      ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
      return 0;
    }
    bool icon = false;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      char cls[32] = {};
      ::GetClassNameA(child, cls, sizeof cls);
      if (_stricmp(cls, "Static") == 0 && (::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
          ::IsWindowVisible(child) && ::SendMessageA(child, STM_GETICON, 0, 0) != 0)
        icon = true;
    }
    int buttons = 0;
    for (int id = IDOK; id <= IDCONTINUE; ++id) buttons += ::GetDlgItem(box, id) != nullptr ? 1 : 0;
    HWND owner = ::GetWindow(box, GW_OWNER);
    std::printf("caption %s\ntext %s\nicon %d\nbuttons %d\nowner %s\n", Utf8Title(box).c_str(),
                Utf8Title(::GetDlgItem(box, 0xFFFF)).c_str(), icon ? 1 : 0, buttons,
                owner ? Utf8Title(owner).c_str() : "");
    return 0;
  }
  if (verb == "process") {
    const DWORD until = ::GetTickCount() + static_cast<DWORD>((arg ? std::atof(arg) : 10) * 1000);
    do {
      // process EXE [SECONDS [TEXT]]: the first of several with TEXT in its command line.
      const std::string line = ProcessCommandLine(title, argc > 4 ? argv[4] : "");
      if (!line.empty()) {
        std::printf("%s\n", line.c_str());
        return 0;
      }
      ::Sleep(20);
    } while (static_cast<LONG>(until - ::GetTickCount()) > 0);
    std::printf("no process \"%s\"\n", title);
    return 1;
  }
  if (verb == "locale") {
    std::printf("acp %u\nuser 0x%04lx\n", ::GetACP(), static_cast<unsigned long>(::GetUserDefaultLCID()));
    return 0;
  }
  HWND w = Find(title);
  if (w == nullptr) { std::printf("no window \"%s\"\n", title); return 1; }
  if (verb == "launcher" || verb == "launcher-press") {
    LauncherSearch s{w, nullptr};
    ::EnumWindows(FindLauncher, reinterpret_cast<LPARAM>(&s));
    if (!s.found) { std::printf("no launcher\n"); return 1; }
    if (verb == "launcher-press" && arg) {
      const int id = std::atoi(arg);
      ::PostMessageA(s.found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(s.found, id)));
      return 0;
    }
    RECT r, list;
    ::GetWindowRect(s.found, &r);
    HWND listView = ::GetDlgItem(s.found, 1000);
    ::GetWindowRect(listView, &list);
    std::printf("rect %ld %ld %ld %ld\nvisible %d\nrows %ld\nlist %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom,
                ::IsWindowVisible(s.found) ? 1 : 0, static_cast<long>(::SendMessageA(listView, 0x1004, 0, 0)),
                list.left, list.top, list.right, list.bottom);
    RECT row;
    if (ListRowRect(listView, 0, &row))
      std::printf("row0 %ld %ld %ld %ld\nrowheight %ld\n", row.left, row.top, row.right, row.bottom, row.bottom - row.top);
    return 0;
  }
  if (verb == "set-text" && argc > 4) {
    // The text as typed, from the wide command line: the narrow one has lost what the code page lacks.
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide != nullptr && count > 4)
      ::SendMessageW(::GetDlgItem(w, std::atoi(argv[3])), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide[4]));
    else
      ::SendMessageA(::GetDlgItem(w, std::atoi(argv[3])), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
    if (wide != nullptr) ::LocalFree(wide);
    return 0;
  }
  if (verb == "item-text" && arg) {
    std::printf("%s\n", Utf8Title(::GetDlgItem(w, std::atoi(arg))).c_str());
    return 0;
  }
  if (verb == "press" && arg) {
    ::PostMessageA(::GetDlgItem(w, std::atoi(arg)), BM_CLICK, 0, 0);
    return 0;
  }
  if (verb == "popups") {
    ProcessSearch s{0, w};
    ::GetWindowThreadProcessId(w, &s.pid);
    ::EnumWindows(ListPopups, reinterpret_cast<LPARAM>(&s));
    return 0;
  }
  if (verb.rfind("dialog-", 0) == 0 && verb != "dialog-title") {
    HWND d = OwnedDialog(w, 10);
    if (!d) { std::printf("no dialog\n"); return 1; }
    const int id = arg ? std::atoi(arg) : 0;
    const char* value = argc > 4 ? argv[4] : "";
    if (verb == "dialog-set") { ::SendMessageA(::GetDlgItem(d, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value)); return 0; }
    if (verb == "dialog-check") { ::SendMessageA(::GetDlgItem(d, id), BM_SETCHECK, std::atoi(value) ? BST_CHECKED : BST_UNCHECKED, 0);
      ::SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(d, id))); return 0; }
    if (verb == "dialog-type") {
      // The argument wide, as the command line holds it: argv would have lost what the code page lacks.
      int count = 0;
      LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
      if (wide == nullptr || count < 5) return 1;
      HWND item = ::GetDlgItem(d, id);
      ::SendMessageW(item, EM_SETSEL, 0, -1);
      ::SendMessageW(item, WM_CHAR, VK_BACK, 1);
      for (const wchar_t* c = wide[4]; *c != L'\0'; ++c) ::SendMessageW(item, WM_CHAR, *c, 1);
      ::LocalFree(wide);
      return 0;
    }
    if (verb == "dialog-click") { ::PostMessageA(::GetDlgItem(d, id), BM_CLICK, 0, 0); return 0; }
    if (verb == "dialog-rect") { RECT r; ::GetWindowRect(d, &r); std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom); return 0; }
  }
  if (verb == "info") {
    RECT r;
    ::GetWindowRect(w, &r);
    const auto style = static_cast<unsigned long>(::GetWindowLongPtrA(w, GWL_STYLE));
    const auto ex = static_cast<unsigned long>(::GetWindowLongPtrA(w, GWL_EXSTYLE));
    char cls[64] = {};
    ::GetClassNameA(w, cls, sizeof cls);
    std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    RECT client;
    ::GetClientRect(w, &client);
    ::MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::printf("client %ld %ld %ld %ld\n", client.left, client.top, client.right, client.bottom);
    std::printf("style %08lx\nexstyle %08lx\n", style, ex);
    std::printf("topmost %d\ntoolwindow %d\nthickframe %d\ncaption %d\n", (ex & WS_EX_TOPMOST) ? 1 : 0,
                (ex & WS_EX_TOOLWINDOW) ? 1 : 0, (style & WS_THICKFRAME) ? 1 : 0,
                (style & WS_CAPTION) == WS_CAPTION ? 1 : 0);
    std::printf("class %s\nvisible %d\n", cls, ::IsWindowVisible(w) ? 1 : 0);
    return 0;
  }
  if (verb == "key" && arg) {
    const auto vk = static_cast<WPARAM>(std::strtoul(arg, nullptr, 0));
    ::PostMessageA(w, WM_KEYDOWN, vk, 1);
    ::PostMessageA(w, WM_KEYUP, vk, 0xC0000001);
    return 0;
  }
  if (verb == "command" && arg) {
    ::PostMessageA(w, WM_COMMAND, static_cast<WPARAM>(std::strtoul(arg, nullptr, 0)), 0);
    return 0;
  }
  if (verb == "region" && argc > 4) {
    HRGN probe = ::CreateRectRgn(0, 0, 0, 0);
    if (::GetWindowRgn(w, probe) == ERROR) std::printf("none\n");
    else std::printf("%s\n", ::PtInRegion(probe, std::atoi(argv[3]), std::atoi(argv[4])) ? "in" : "out");
    ::DeleteObject(probe);
    return 0;
  }
  if (verb == "post" && argc > 5) {
    ::PostMessageA(w, static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
                   static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)),
                   static_cast<LPARAM>(std::strtoul(argv[5], nullptr, 0)));
    return 0;
  }
  if (verb == "send" && argc > 5) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(w, static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
                          static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)),
                          static_cast<LPARAM>(std::strtoul(argv[5], nullptr, 0)), SMTO_ABORTIFHUNG, 5000, &result);
    std::printf("%lld\n", static_cast<long long>(result));
    return 0;
  }
  if (verb == "exstyle-remove" && arg) {
    const auto bits = static_cast<LONG_PTR>(std::strtoul(arg, nullptr, 0));
    ::SetWindowLongPtrA(w, GWL_EXSTYLE, ::GetWindowLongPtrA(w, GWL_EXSTYLE) & ~bits);
    return 0;
  }
  if (verb == "move" && argc > 4) {
    ::SetWindowPos(w, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (verb == "tray-delete") {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = w;
    record.uID = 1;
    return ::Shell_NotifyIconA(NIM_DELETE, &record) ? 0 : 1;
  }
  if (verb == "taskbar-created") {
    ::PostMessageA(w, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    return 0;
  }
  if (verb == "watch") {
    // Copies of the window's part of the screen, compared until one differs.
    RECT r;
    ::GetWindowRect(w, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    auto grab = [&](std::string& into) {
      ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
      ::GdiFlush();
      into.assign(static_cast<const char*>(bits), bytes);
    };
    std::string first, now;
    grab(first);
    const DWORD until = ::GetTickCount() + static_cast<DWORD>((arg ? std::atof(arg) : 10) * 1000);
    int rc = 1;
    while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
      grab(now);
      if (now != first) {
        SYSTEMTIME t;
        ::GetLocalTime(&t);
        std::printf("%02u:%02u:%02u.%03u\n", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
        rc = 0;
        break;
      }
      ::Sleep(5);
    }
    if (rc != 0) std::printf("no change\n");
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return rc;
  }
  if (verb == "close") {
    ::PostMessageA(w, WM_CLOSE, 0, 0);
    return 0;
  }
  if (verb == "close-dialog") {
    OwnedSearch s{w, nullptr};
    ::EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&s));
    if (!s.found) { std::printf("no dialog\n"); return 1; }
    ::PostMessageA(s.found, WM_COMMAND, IDCANCEL, 0);
    return 0;
  }
  if (verb == "dialog-item" && arg) {
    OwnedSearch s{w, nullptr};
    ::EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&s));
    if (!s.found) { std::printf("no dialog\n"); return 1; }
    HWND item = ::GetDlgItem(s.found, static_cast<int>(std::strtol(arg, nullptr, 0)));
    if (!item) { std::printf("no item\n"); return 1; }
    RECT r;
    ::GetWindowRect(item, &r);
    std::printf("rect %ld %ld %ld %ld\nenabled %d\nchecked %d\ntext %s\n", r.left, r.top, r.right, r.bottom,
                ::IsWindowEnabled(item) ? 1 : 0,
                ::SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0, Utf8Text(item).c_str());
    return 0;
  }
  if (verb == "dialog-title") {
    const DWORD until = ::GetTickCount() + static_cast<DWORD>((arg ? std::atof(arg) : 10) * 1000);
    do {
      OwnedSearch s{w, nullptr};
      ::EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&s));
      if (s.found) {
        std::printf("%s\n", Utf8Title(s.found).c_str());
        return 0;
      }
      ::Sleep(50);
    } while (static_cast<LONG>(until - ::GetTickCount()) > 0);
    std::printf("no dialog\n");
    return 1;
  }
  return Usage();
}
