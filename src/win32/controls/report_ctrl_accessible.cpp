#include "win32/controls/report_ctrl_accessible.h"

#include <string>
#include <vector>

#include "core/ui/report_accessible.h"
#include "win32/controls/com_object.h"
#include "win32/controls/report_ctrl.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

// The selected rows when there are several, as accSelection hands them over.
class ChildEnum : public ComObject<IEnumVARIANT> {
 public:
  explicit ChildEnum(std::vector<LONG> children) : children_(std::move(children)) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (out == nullptr) return E_POINTER;
    ULONG n = 0;
    for (; n < count && next_ < children_.size(); ++n) SetChild(&out[n], children_[next_++]);
    if (fetched != nullptr) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    next_ = std::min(children_.size(), next_ + count);
    return next_ < children_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_POINTER;
    auto* copy = new ChildEnum(children_);
    copy->next_ = next_;
    *out = copy;
    return S_OK;
  }

 private:
  bool Answers(REFIID riid) const override { return riid == __uuidof(IEnumVARIANT); }

  std::vector<LONG> children_;
  size_t next_ = 0;
};

class ReportAccessible : public AccessibleObject<IAccessible> {
 public:
  ReportAccessible(CReportCtrl& ctrl, IAccessible* standard) : ctrl_(&ctrl), standard_(standard) {}
  ~ReportAccessible() override {
    if (standard_) standard_->Release();
  }

  void Disconnect() {
    ctrl_ = nullptr;
    if (standard_) standard_->Release();
    standard_ = nullptr;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (!ctrl_) return RPC_E_DISCONNECTED;
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    if (!ctrl_) return RPC_E_DISCONNECTED;
    *count = ctrl_->Model().RowCount();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!ctrl_) return RPC_E_DISCONNECTED;
    // Rows are simple elements: their parent answers for them.
    return RowOf(child) >= 0 ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    if (!ctrl_) return RPC_E_DISCONNECTED;
    if (IsSelf(child)) return S_FALSE;
    const int row = RowOf(child);
    if (row < 0) return E_INVALIDARG;
    *name = ToBstr(Widen(RowAccessibleName(ctrl_->Model(), row)));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    if (!ctrl_) return RPC_E_DISCONNECTED;
    if (IsSelf(child)) return S_FALSE;
    const int row = RowOf(child);
    if (row < 0) return E_INVALIDARG;
    *text = ToBstr(Widen(RowAccessibleDescription(ctrl_->Model(), row)));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    VariantInit(role);
    if (!ctrl_) return RPC_E_DISCONNECTED;
    if (!IsSelf(child) && RowOf(child) < 0) return E_INVALIDARG;
    SetChild(role, IsSelf(child) ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (state == nullptr) return E_POINTER;
    VariantInit(state);
    if (!ctrl_) return RPC_E_DISCONNECTED;
    const bool hasFocus = GetFocus() == ctrl_->hwnd();
    LONG bits = STATE_SYSTEM_FOCUSABLE;
    if (IsSelf(child)) {
      if (hasFocus) bits |= STATE_SYSTEM_FOCUSED;
      if (!IsWindowVisible(ctrl_->hwnd())) bits |= STATE_SYSTEM_INVISIBLE;
    } else {
      const int row = RowOf(child);
      if (row < 0) return E_INVALIDARG;
      const ReportRow* r = ctrl_->Model().Row(row);
      bits |= STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_MULTISELECTABLE;
      if (r->Has(kRowSelected)) bits |= STATE_SYSTEM_SELECTED;
      if (r->Has(kRowFocused) && hasFocus) bits |= STATE_SYSTEM_FOCUSED;
    }
    SetChild(state, bits);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
    if (help == nullptr) return E_POINTER;
    *help = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
    if (shortcut == nullptr) return E_POINTER;
    *shortcut = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    VariantInit(focus);
    if (!ctrl_) return RPC_E_DISCONNECTED;
    if (GetFocus() != ctrl_->hwnd()) return S_FALSE;
    SetChild(focus, ctrl_->Model().FocusedRow() + 1);  // no focused row: the list itself
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) return E_POINTER;
    VariantInit(selection);
    if (!ctrl_) return RPC_E_DISCONNECTED;
    std::vector<LONG> children;
    for (int row : ctrl_->Model().SelectedRows()) children.push_back(row + 1);
    if (children.empty()) return S_FALSE;
    if (children.size() == 1) {
      SetChild(selection, children.front());
      return S_OK;
    }
    selection->vt = VT_UNKNOWN;
    selection->punkVal = new ChildEnum(std::move(children));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* action) override {
    if (action == nullptr) return E_POINTER;
    *action = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
      return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    if (!ctrl_) return RPC_E_DISCONNECTED;
    if (IsSelf(child)) return standard_->accLocation(left, top, width, height, child);
    const int row = RowOf(child);
    if (row < 0) return E_INVALIDARG;
    const std::vector<int>& shown = ctrl_->Model().ActiveColumns();
    if (shown.empty()) return S_FALSE;
    std::optional<RECT> first = ctrl_->GetItemRect(row, shown.front());
    std::optional<RECT> last = ctrl_->GetItemRect(row, shown.back());
    if (!first || !last) return S_FALSE;
    POINT corners[2] = {{first->left, first->top}, {last->right, last->bottom}};
    MapWindowPoints(ctrl_->hwnd(), nullptr, corners, 2);
    *left = corners[0].x;
    *top = corners[0].y;
    *width = corners[1].x - corners[0].x;
    *height = corners[1].y - corners[0].y;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (end == nullptr) return E_POINTER;
    VariantInit(end);
    if (!ctrl_) return RPC_E_DISCONNECTED;
    const int from = IsSelf(start) ? 0 : RowOf(start) + 1;
    if (from < 0 || (!IsSelf(start) && RowOf(start) < 0)) return E_INVALIDARG;
    AccessibleNav nav;
    switch (direction) {
      case NAVDIR_FIRSTCHILD:
        nav = AccessibleNav::kFirstChild;
        break;
      case NAVDIR_LASTCHILD:
        nav = AccessibleNav::kLastChild;
        break;
      case NAVDIR_NEXT:
      case NAVDIR_DOWN:
        nav = AccessibleNav::kNext;
        break;
      case NAVDIR_PREVIOUS:
      case NAVDIR_UP:
        nav = AccessibleNav::kPrevious;
        break;
      default:
        // The list's own neighbours are the window's.
        return from == 0 ? standard_->accNavigate(direction, start, end) : S_FALSE;
    }
    if (from == 0 && (nav == AccessibleNav::kNext || nav == AccessibleNav::kPrevious)) {
      return standard_->accNavigate(direction, start, end);
    }
    const int to = NavigateRows(ctrl_->Model().RowCount(), from, nav);
    if (to < 0) return S_FALSE;
    SetChild(end, to);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
    if (hit == nullptr) return E_POINTER;
    VariantInit(hit);
    if (!ctrl_) return RPC_E_DISCONNECTED;
    POINT p{x, y};
    ScreenToClient(ctrl_->hwnd(), &p);
    RECT client;
    GetClientRect(ctrl_->hwnd(), &client);
    if (!PtInRect(&client, p)) return S_FALSE;
    ReportHit where = ctrl_->HitTest(p);
    SetChild(hit, where.row >= 0 ? where.row + 1 : CHILDID_SELF);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  static bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }
  // The row a child id names, or -1.
  int RowOf(const VARIANT& child) const {
    if (child.vt != VT_I4 || child.lVal <= 0 || child.lVal > ctrl_->Model().RowCount()) return -1;
    return static_cast<int>(child.lVal) - 1;
  }

  CReportCtrl* ctrl_;
  IAccessible* standard_;
};

}  // namespace

IAccessible* CreateReportAccessible(CReportCtrl& ctrl) {
  IAccessible* standard = nullptr;
  if (FAILED(CreateStdAccessibleObject(ctrl.hwnd(), OBJID_CLIENT, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&standard))) ||
      standard == nullptr) {
    return nullptr;
  }
  return new ReportAccessible(ctrl, standard);
}

void DisconnectReportAccessible(IAccessible* accessible) {
  if (accessible) static_cast<ReportAccessible*>(accessible)->Disconnect();
}

}  // namespace postwink::win
