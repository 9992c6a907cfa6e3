// Move-only owners of Win32 handles and scope guards for paired calls.
#pragma once

#include <windows.h>

#include <concepts>
#include <utility>

// Close is a function object that frees the handle. Its value meaning "no handle" is T{}
// unless Close names another with a static Empty() (CreateFileA's INVALID_HANDLE_VALUE).
template <typename T, typename Close>
class UniqueHandle {
 public:
  static T Empty() {
    if constexpr (requires { { Close::Empty() } -> std::convertible_to<T>; }) return Close::Empty();
    else return T{};
  }

  UniqueHandle() = default;
  explicit UniqueHandle(T handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const { return handle_; }
  explicit operator bool() const { return handle_ != Empty(); }
  // Gives up ownership, e.g. after the system took the handle over.
  T release() { return std::exchange(handle_, Empty()); }
  void reset(T handle = Empty()) {
    if (handle_ != Empty()) Close{}(handle_);
    handle_ = handle;
  }

 private:
  T handle_ = Empty();
};

struct GdiObjectClose { void operator()(HGDIOBJ h) const { ::DeleteObject(h); } };
struct DcClose { void operator()(HDC h) const { ::DeleteDC(h); } };
struct IconClose { void operator()(HICON h) const { ::DestroyIcon(h); } };
struct MenuClose { void operator()(HMENU h) const { ::DestroyMenu(h); } };
struct KernelClose { void operator()(HANDLE h) const { ::CloseHandle(h); } };
struct RegKeyClose { void operator()(HKEY h) const { ::RegCloseKey(h); } };
// Files from CreateFileA, whose "no handle" value is INVALID_HANDLE_VALUE rather than null.
struct FileClose {
  void operator()(HANDLE h) const { ::CloseHandle(h); }
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
};

using FontHandle = UniqueHandle<HFONT, GdiObjectClose>;
using BrushHandle = UniqueHandle<HBRUSH, GdiObjectClose>;
using PenHandle = UniqueHandle<HPEN, GdiObjectClose>;
using RegionHandle = UniqueHandle<HRGN, GdiObjectClose>;
using BitmapHandle = UniqueHandle<HBITMAP, GdiObjectClose>;
using MemoryDcHandle = UniqueHandle<HDC, DcClose>;
using IconHandle = UniqueHandle<HICON, IconClose>;
using MenuHandle = UniqueHandle<HMENU, MenuClose>;
using KernelHandle = UniqueHandle<HANDLE, KernelClose>;
using RegKeyHandle = UniqueHandle<HKEY, RegKeyClose>;
using FileHandle = UniqueHandle<HANDLE, FileClose>;

// Selects an object into a DC and puts the previous one back on leaving.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
  ~SelectGuard() {
    if (previous_ != nullptr) ::SelectObject(dc_, previous_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint ... EndPaint.
class PaintGuard {
 public:
  explicit PaintGuard(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
  ~PaintGuard() { ::EndPaint(window_, &ps_); }
  PaintGuard(const PaintGuard&) = delete;
  PaintGuard& operator=(const PaintGuard&) = delete;
  HDC dc() const { return dc_; }
  const PAINTSTRUCT& paint() const { return ps_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// GetDC ... ReleaseDC.
class WindowDcGuard {
 public:
  explicit WindowDcGuard(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDcGuard() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDcGuard(const WindowDcGuard&) = delete;
  WindowDcGuard& operator=(const WindowDcGuard&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// SaveDC ... RestoreDC, for callers that change clipping or modes.
class SavedDcGuard {
 public:
  explicit SavedDcGuard(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
  ~SavedDcGuard() {
    if (saved_ != 0) ::RestoreDC(dc_, saved_);
  }
  SavedDcGuard(const SavedDcGuard&) = delete;
  SavedDcGuard& operator=(const SavedDcGuard&) = delete;

 private:
  HDC dc_;
  int saved_;
};
