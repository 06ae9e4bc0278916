#include "win32/controls/tip_accessible.h"

#include <string>

#include "win32/controls/com_object.h"

namespace postwink::win {
namespace {

class TipAccessible : public AccessibleObject<IAccessible> {
 public:
  TipAccessible(HWND tip, IAccessible* standard) : tip_(tip), standard_(standard) {}
  ~TipAccessible() override { standard_->Release(); }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return Alive() ? standard_->get_accParent(parent) : Gone(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return Alive() ? S_OK : RPC_E_DISCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    const int length = GetWindowTextLengthW(tip_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(tip_, text.data(), length + 1)));
    if (text.empty()) return S_FALSE;
    *name = ToBstr(text);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override { return NoText(value); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override {
    return NoText(text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    VariantInit(role);
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    SetChild(role, ROLE_SYSTEM_TOOLTIP);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (state == nullptr) return E_POINTER;
    VariantInit(state);
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    LONG bits = STATE_SYSTEM_READONLY;
    if (!IsWindowVisible(tip_)) bits |= STATE_SYSTEM_INVISIBLE;
    SetChild(state, bits);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override { return NoText(help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
    return NoText(shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    VariantInit(focus);
    return S_FALSE;  // a tip never takes the focus
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) return E_POINTER;
    VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* action) override {
    return NoText(action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    if (!Alive()) return RPC_E_DISCONNECTED;
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (!Alive()) return RPC_E_DISCONNECTED;
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
    if (!Alive()) return RPC_E_DISCONNECTED;
    return standard_->accHitTest(x, y, hit);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // A reader may keep the object after the tip is gone; then every question fails cleanly.
  bool Alive() const { return IsWindow(tip_) != FALSE; }
  static HRESULT Gone(IDispatch** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return RPC_E_DISCONNECTED;
  }
  static HRESULT NoText(BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  static bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }

  HWND tip_;
  IAccessible* standard_;
};

}  // namespace

LRESULT AnswerTipGetObject(HWND tip, WPARAM wParam, LPARAM lParam) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) {
    return DefWindowProcW(tip, WM_GETOBJECT, wParam, lParam);
  }
  IAccessible* standard = nullptr;
  if (FAILED(CreateStdAccessibleObject(tip, OBJID_CLIENT, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&standard))) ||
      standard == nullptr) {
    return 0;
  }
  auto* accessible = new TipAccessible(tip, standard);
  const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, accessible);
  accessible->Release();
  return result;
}

}  // namespace postwink::win
