#include "win/accessible_text.h"

#include <oleacc.h>

#include <atomic>
#include <utility>

#include "win/module_path.h"

struct AccessibleText::Shared {
  HWND window = nullptr;  // null once the window has gone
  std::wstring text;
};

namespace {

using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using AccessibleObjectFromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

struct Oleacc {
  LresultFromObjectFn lresultFromObject = nullptr;
  CreateStdAccessibleObjectFn createStd = nullptr;
  AccessibleObjectFromWindowFn fromWindow = nullptr;
};

const Oleacc& OleaccFunctions() {
  static const Oleacc functions = [] {
    Oleacc f;
    if (HMODULE dll = ModulePath::LoadSystemLibrary(L"oleacc.dll")) {
      f.lresultFromObject = reinterpret_cast<LresultFromObjectFn>(reinterpret_cast<void*>(::GetProcAddress(dll, "LresultFromObject")));
      f.createStd = reinterpret_cast<CreateStdAccessibleObjectFn>(
          reinterpret_cast<void*>(::GetProcAddress(dll, "CreateStdAccessibleObject")));
      f.fromWindow = reinterpret_cast<AccessibleObjectFromWindowFn>(
          reinterpret_cast<void*>(::GetProcAddress(dll, "AccessibleObjectFromWindow")));
    }
    return f;
  }();
  return functions;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The client area's object: its name is the shown text; the rest is the standard client
// object's where the system has one for this window, or the plain answers of a client area.
class ClientObject final : public IAccessible, public IOleWindow {
 public:
  ClientObject(std::shared_ptr<AccessibleText::Shared> shared, IAccessible* standard)
      : shared_(std::move(shared)), standard_(standard) {}
  ClientObject(const ClientObject&) = delete;
  ClientObject& operator=(const ClientObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
    } else if (riid == IID_IOleWindow) {
      *out = static_cast<IOleWindow*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: clients use the interface's own methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IOleWindow
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = shared_->window;
    return *window != nullptr ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    if (Gone()) return RPC_E_DISCONNECTED;
    if (!IsSelf(child)) return Standard() ? standard_->get_accName(child, name) : E_INVALIDARG;
    *name = ::SysAllocStringLen(shared_->text.data(), static_cast<UINT>(shared_->text.size()));
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (Gone()) return RPC_E_DISCONNECTED;
    if (Standard()) return standard_->get_accParent(parent);
    const auto fromWindow = OleaccFunctions().fromWindow;
    if (fromWindow == nullptr) return S_FALSE;
    return fromWindow(shared_->window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                      reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->get_accChildCount(count) : S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->get_accChild(child, out) : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->get_accValue(child, value) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->get_accDescription(child, text) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    ::VariantInit(role);
    if (Gone()) return RPC_E_DISCONNECTED;
    if (Standard()) return standard_->get_accRole(child, role);
    if (!IsSelf(child)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_CLIENT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (state == nullptr) return E_POINTER;
    ::VariantInit(state);
    if (Gone()) return RPC_E_DISCONNECTED;
    if (Standard()) return standard_->get_accState(child, state);
    if (!IsSelf(child)) return E_INVALIDARG;
    state->vt = VT_I4;
    state->lVal = STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE;
    if (!::IsWindowVisible(shared_->window)) state->lVal |= STATE_SYSTEM_INVISIBLE;
    if (::GetFocus() == shared_->window) state->lVal |= STATE_SYSTEM_FOCUSED;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    if (help == nullptr) return E_POINTER;
    *help = nullptr;
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->get_accHelp(child, help) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    if (file == nullptr || topic == nullptr) return E_POINTER;
    *file = nullptr;
    *topic = 0;
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->get_accHelpTopic(file, child, topic) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    if (keys == nullptr) return E_POINTER;
    *keys = nullptr;
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->get_accKeyboardShortcut(child, keys) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    ::VariantInit(focus);
    if (Gone()) return RPC_E_DISCONNECTED;
    if (Standard()) return standard_->get_accFocus(focus);
    if (::GetFocus() != shared_->window) return S_FALSE;
    focus->vt = VT_I4;
    focus->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) return E_POINTER;
    ::VariantInit(selection);
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->get_accSelection(selection) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (action == nullptr) return E_POINTER;
    *action = nullptr;
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->get_accDefaultAction(child, action) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->accSelect(flags, child) : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
    *left = *top = *width = *height = 0;
    if (Gone()) return RPC_E_DISCONNECTED;
    if (Standard()) return standard_->accLocation(left, top, width, height, child);
    if (!IsSelf(child)) return E_INVALIDARG;
    RECT client;
    if (!::GetClientRect(shared_->window, &client)) return E_FAIL;
    ::MapWindowPoints(shared_->window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    *left = client.left;
    *top = client.top;
    *width = client.right - client.left;
    *height = client.bottom - client.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (end == nullptr) return E_POINTER;
    ::VariantInit(end);
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->accNavigate(direction, start, end) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (hit == nullptr) return E_POINTER;
    ::VariantInit(hit);
    if (Gone()) return RPC_E_DISCONNECTED;
    if (Standard()) return standard_->accHitTest(x, y, hit);
    POINT at{x, y};
    RECT client;
    ::GetClientRect(shared_->window, &client);
    ::ScreenToClient(shared_->window, &at);
    if (!::PtInRect(&client, at)) return S_FALSE;
    hit->vt = VT_I4;
    hit->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (Gone()) return RPC_E_DISCONNECTED;
    return Standard() ? standard_->accDoDefaultAction(child) : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~ClientObject() {
    if (standard_ != nullptr) standard_->Release();
  }
  bool Gone() const { return shared_->window == nullptr || !::IsWindow(shared_->window); }
  bool Standard() const { return standard_ != nullptr; }

  std::shared_ptr<AccessibleText::Shared> shared_;
  IAccessible* standard_;  // owned reference; null where the system has no client object
  std::atomic<ULONG> references_{1};
};

}  // namespace

AccessibleText::AccessibleText() : shared_(std::make_shared<Shared>()) {}

AccessibleText::~AccessibleText() { Disconnect(); }

const std::wstring& AccessibleText::text() const { return shared_->text; }

std::wstring AccessibleText::WithoutPrefixes(std::wstring_view text) {
  std::wstring shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'&') {
      shown.push_back(text[i]);
      continue;
    }
    if (i + 1 < text.size()) shown.push_back(text[++i]);
  }
  return shown;
}

void AccessibleText::Update(HWND window, std::wstring_view drawn) {
  std::wstring shown = WithoutPrefixes(drawn);
  shared_->window = window;
  if (shown == shared_->text) return;
  shared_->text = std::move(shown);
  ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

bool AccessibleText::OnGetObject(HWND window, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  // The object id travels as a 32-bit value, whatever the width of lParam.
  if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT) return false;
  const Oleacc& oleacc = OleaccFunctions();
  if (oleacc.lresultFromObject == nullptr) return false;
  shared_->window = window;
  IAccessible* standard = nullptr;
  if (oleacc.createStd == nullptr ||
      FAILED(oleacc.createStd(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))))
    standard = nullptr;
  auto* object = new ClientObject(shared_, standard);
  *result = oleacc.lresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
  object->Release();  // the reference made for the client is the one left
  return true;
}

void AccessibleText::Disconnect() { shared_->window = nullptr; }
