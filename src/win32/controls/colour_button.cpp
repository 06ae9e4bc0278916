#include "win32/controls/colour_button.h"

#include <commctrl.h>

#include "core/ui/scale.h"
#include "win32/dpi.h"

namespace postwink::win {
namespace {

COLORREF Rgb(uint32_t colour) { return static_cast<COLORREF>(colour & 0x00FFFFFF); }

constexpr int kArrowWidth = 7;  // the drop-down triangle is 7 wide and 4 high at 96 DPI

}  // namespace

CColorButton::CColorButton() : automaticDisplay_(GetSysColor(COLOR_APPWORKSPACE)) {}

CColorButton::~CColorButton() { Detach(); }

bool CColorButton::Attach(HWND button) {
  Detach();
  HWND parent = GetParent(button);
  if (button == nullptr || parent == nullptr) return false;
  const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  SetWindowLongPtrW(button, GWL_STYLE,
                    (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  const auto self = reinterpret_cast<DWORD_PTR>(this);
  const auto id = reinterpret_cast<UINT_PTR>(this);
  if (!SetWindowSubclass(button, &ButtonProc, id, self)) return false;
  if (!SetWindowSubclass(parent, &ParentProc, id, self)) {
    RemoveWindowSubclass(button, &ButtonProc, id);
    return false;
  }
  button_ = button;
  parent_ = parent;
  InvalidateRect(button_, nullptr, TRUE);
  return true;
}

void CColorButton::Detach() {
  popup_.reset();
  const auto id = reinterpret_cast<UINT_PTR>(this);
  if (button_ != nullptr && IsWindow(button_)) RemoveWindowSubclass(button_, &ButtonProc, id);
  if (parent_ != nullptr && IsWindow(parent_)) RemoveWindowSubclass(parent_, &ParentProc, id);
  button_ = nullptr;
  parent_ = nullptr;
}

void CColorButton::SetColour(uint32_t colour) {
  model_.SetColour(colour);
  if (button_ != nullptr) InvalidateRect(button_, nullptr, FALSE);
}

HWND CColorButton::PopupWindow() const {
  return popup_ && popup_->IsAlive() ? popup_->hwnd() : nullptr;
}

void CColorButton::ParentSink::Notify(ColourMessage message, uint32_t colour) {
  if (owner_.parent_ == nullptr) return;
  SendMessageW(owner_.parent_, static_cast<UINT>(message), static_cast<WPARAM>(colour),
               static_cast<LPARAM>(GetDlgCtrlID(owner_.button_)));
}

void CColorButton::OpenPopup() {
  if (model_.PopupOpen() || !IsWindowEnabled(button_)) return;
  RECT rect;
  GetWindowRect(button_, &rect);
  // The previous pop-up has destroyed its window by now; its object goes here.
  popup_ = std::make_unique<ColourPopupWnd>(button_, model_.Colour(), automaticText_, customText_);
  if (!popup_->Create(rect)) {
    popup_.reset();
    return;
  }
  model_.PopupOpened();
  InvalidateRect(button_, nullptr, FALSE);
}

void CColorButton::Draw(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (model_.PopupOpen() ? DFCS_PUSHED : 0));
  const int dpi = WindowDpi(button_);
  const int edgeX = SystemMetricForDpi(SM_CXEDGE, dpi);
  const int edgeY = SystemMetricForDpi(SM_CYEDGE, dpi);
  const int arrowWidth = ScalePixels(kArrowWidth, dpi) | 1;  // odd: the tip on a pixel
  const int arrowDrop = ScalePixels(2, dpi);
  InflateRect(&r, -edgeX, -edgeY);
  if (model_.PopupOpen()) OffsetRect(&r, 1, 1);
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus = r;
    InflateRect(&focus, -1, -1);
    DrawFocusRect(dc, &focus);
  }
  InflateRect(&r, -2 * edgeX, -2 * edgeY);

  // The drop-down triangle at the right, with an etched separator before it.
  const int arrowLeft = r.right - arrowWidth - edgeX;
  const int middle = (r.top + r.bottom) / 2;
  const POINT arrow[3] = {{arrowLeft, middle - arrowDrop},
                          {arrowLeft + arrowWidth - 1, middle - arrowDrop},
                          {arrowLeft + arrowWidth / 2, middle - arrowDrop + arrowWidth / 2}};
  const COLORREF arrowColour = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
  HBRUSH arrowBrush = CreateSolidBrush(arrowColour);
  HPEN arrowPen = CreatePen(PS_SOLID, 1, arrowColour);
  HGDIOBJ oldBrush = SelectObject(dc, arrowBrush);
  HGDIOBJ oldPen = SelectObject(dc, arrowPen);
  Polygon(dc, arrow, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(arrowBrush);
  DeleteObject(arrowPen);
  RECT separator{arrowLeft - 2 * edgeX - 2, r.top, arrowLeft - edgeX, r.bottom};
  DrawEdge(dc, &separator, EDGE_ETCHED, BF_RIGHT);

  if (disabled) return;
  RECT bar = r;
  bar.right = separator.left - edgeX;
  const uint32_t colour = model_.Colour();
  HBRUSH fill = CreateSolidBrush(colour == kAutomaticColour ? automaticDisplay_ : Rgb(colour));
  FillRect(dc, &bar, fill);
  DeleteObject(fill);
  FrameRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

LRESULT CALLBACK CColorButton::ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self) {
  auto* button = reinterpret_cast<CColorButton*>(self);
  switch (msg) {
    case static_cast<UINT>(ColourMessage::kChanged):
    case static_cast<UINT>(ColourMessage::kChosen):
    case static_cast<UINT>(ColourMessage::kCancelled):
      button->model_.Notify(static_cast<ColourMessage>(msg), static_cast<uint32_t>(wParam));
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &ButtonProc, id);
      button->button_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK CColorButton::ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self) {
  auto* button = reinterpret_cast<CColorButton*>(self);
  switch (msg) {
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.hwndItem == button->button_) {
        button->Draw(item);
        return TRUE;
      }
      break;
    }
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == button->button_ && button->button_ != nullptr &&
          HIWORD(wParam) == BN_CLICKED) {
        button->OpenPopup();
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &ParentProc, id);
      button->parent_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace postwink::win
