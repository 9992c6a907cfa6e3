#include "win/window.h"

#include <exception>
#include <string>

#include "win/wide_text.h"

namespace {

const wchar_t kObjectProperty[] = L"Velta.Window";
const wchar_t kClassName[] = L"VeltaWindow";

ATOM RegisterSharedClass(WNDPROC proc) {
  static ATOM atom = 0;
  if (atom != 0) return atom;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  atom = ::RegisterClassExW(&wc);
  return atom;
}

}  // namespace

void Window::TraceStoppedException(const char* where) noexcept {
  try {
    std::string text = "Velta: exception stopped at ";
    text += where;
    try {
      throw;
    } catch (const std::exception& e) {
      text += ": ";
      text += e.what();
    } catch (...) {
    }
    text += '\n';
    ::OutputDebugStringW(WideText::From(text).c_str());
  } catch (...) {
    ::OutputDebugStringW(L"Velta: exception stopped\n");
  }
}

Window::~Window() {
  if (hwnd_ != nullptr && ::IsWindow(hwnd_)) {
    HWND window = hwnd_;
    ::RemovePropW(window, kObjectProperty);
    if (previous_ != nullptr) ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    hwnd_ = nullptr;
    ::DestroyWindow(window);
  }
}

Window* Window::FromHandle(HWND window) {
  return window != nullptr ? static_cast<Window*>(::GetPropW(window, kObjectProperty)) : nullptr;
}

void Window::Attach(HWND window, WNDPROC previous) {
  hwnd_ = window;
  previous_ = previous;
  ::SetPropW(window, kObjectProperty, this);
}

void Window::Subclass(HWND window) {
  auto previous = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
  Attach(window, previous);
}

bool Window::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE));
  const DWORD changed = (style & ~remove) | add;
  if (changed == style) return false;
  ::SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(changed));
  if (swpFlags != 0)
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
  return true;
}

bool Window::Create(DWORD exStyle, const char* title, DWORD style, int x, int y, int width, int height,
                    HWND parent, HMENU menuOrId) {
  if (RegisterSharedClass(StaticWndProc) == 0) return false;
  return ::CreateWindowExW(exStyle, kClassName, WideText::From(title != nullptr ? title : "").c_str(), style, x, y, width, height, parent, menuOrId,
                           ::GetModuleHandleW(nullptr), this) != nullptr;
}

LRESULT CALLBACK Window::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = FromHandle(window);
  if (self == nullptr && message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<Window*>(create->lpCreateParams);
    // Windows of the shared class have their own procedure; dialogs are
    // subclassed, so their previous procedure is the dialog manager's.
    if (self != nullptr) self->Attach(window, ::DefWindowProcW);
  }
  if (self == nullptr) {
    auto previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
    return previous == StaticWndProc ? ::DefWindowProcW(window, message, wParam, lParam)
                                     : ::CallWindowProcW(previous, window, message, wParam, lParam);
  }
  return Dispatch(self, window, message, wParam, lParam);
}

bool Window::ReflectToChild(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  HWND child = nullptr;
  switch (message) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item != nullptr && item->CtlType != ODT_MENU) child = item->hwndItem;
      break;
    }
    case WM_MEASUREITEM: {
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
      if (item != nullptr && item->CtlType != ODT_MENU) child = ::GetDlgItem(window, static_cast<int>(item->CtlID));
      break;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header != nullptr) child = header->hwndFrom;
      break;
    }
    case WM_COMMAND:  // notifications of controls only; menus and accelerators have no control
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      child = reinterpret_cast<HWND>(lParam);
      break;
    default:
      return false;
  }
  if (child == nullptr || child == window || ::GetParent(child) != window) return false;
  Window* object = FromHandle(child);
  if (object == nullptr) return false;
  try {
    return object->OnChildNotify(message, wParam, lParam, result);
  } catch (...) {
    TraceStoppedException("a control's notification");
    return false;
  }
}

LRESULT Window::Dispatch(Window* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT reflected = 0;
  if (ReflectToChild(window, message, wParam, lParam, &reflected)) return reflected;
  const MSG saved = self->current_;
  self->current_ = MSG{window, message, wParam, lParam, 0, {}};
  ++self->dispatchDepth_;
  LRESULT result = 0;
  try {
    result = self->WindowProc(message, wParam, lParam);
  } catch (...) {
    // No exception may unwind through the system's code.
    TraceStoppedException("a window procedure");
    result = 0;
  }
  --self->dispatchDepth_;
  self->current_ = saved;
  if (message == WM_NCDESTROY) {
    ::RemovePropW(window, kObjectProperty);
    if (self->previous_ != nullptr && self->previous_ != ::DefWindowProcW)
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->previous_));
    self->hwnd_ = nullptr;
    self->previous_ = nullptr;
  }
  return result;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return Default(); }

LRESULT Window::Default() {
  const MSG& m = current_;
  if (previous_ == nullptr || previous_ == ::DefWindowProcW)
    return ::DefWindowProcW(m.hwnd, m.message, m.wParam, m.lParam);
  return ::CallWindowProcW(previous_, m.hwnd, m.message, m.wParam, m.lParam);
}

bool Window::PreTranslate(MSG* msg) {
  for (HWND window = msg->hwnd; window != nullptr; window = ::GetParent(window)) {
    if (Window* self = FromHandle(window); self != nullptr && self->PreTranslateMessage(msg)) return true;
  }
  return false;
}

bool Window::PumpMessage() {
  MSG msg;
  if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
    ::PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  if (!PreTranslate(&msg)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return true;
}
