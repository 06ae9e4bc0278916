// Sizes that follow the monitor's DPI (fonts, pictures, column limits) and the window fitted
// to its content and placed, with the list and the preview pane laid out inside it.
#include "win32/list/message_list_wnd.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <string>

#include "core/list/list_rows.h"
#include "core/ui/scale.h"
#include "win32/dpi.h"
#include "win32/image_strip.h"
#include "win32/list/message_list_wnd_internal.h"
#include "win32/list/work_area.h"
#include "win32/resource.h"
#include "win32/wide_text.h"

namespace postwink::win {

namespace {

// Design sizes: the preview's side margins, and what columns leave of the work area's width.
constexpr int kPreviewMargin = 20;
constexpr int kColumnMaxMargin = 400;

// A font of tenths of a point at dpi, as the settings give sizes in points. Shift_JIS is asked
// for so that a face missing on this system falls back to one that has Japanese characters.
GdiHandle PointFont(int tenths, const std::string& face, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = FontHeightForDpi(tenths, dpi);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  std::wstring name = Widen(face);
  name.copy(lf.lfFaceName, LF_FACESIZE - 1);
  return GdiHandle(CreateFontIndirectW(&lf));
}

bool SameRect(const RECT& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

void MessageListWnd::MakeFonts() {
  const Settings& s = context_.settings;
  listFont_ = PointFont(SanePoints(s.fontSize) * 10, s.fontName, dpi_);
  previewFont_ = PointFont(SanePoints(s.fontSizePreview) * 10, s.fontNamePreview, dpi_);
}

void MessageListWnd::LimitColumnWidths() {
  const int maxWidth =
      std::max(WorkAreaOrPrimary().Width() - ScalePixels(kColumnMaxMargin, dpi_), 1);
  for (int c = 0; c < kListColumnCount; ++c) list_.SetColumnMaxWidth(c, maxWidth);
}

void MessageListWnd::CreateImages() {
  if (images_) ImageList_Destroy(images_);
  images_ = LoadImageStrip(
      {IDB_LIST_IMAGES, IDB_LIST_IMAGES_20, IDB_LIST_IMAGES_24, IDB_LIST_IMAGES_32}, dpi_);
  if (!images_) return;
  const int wanted = ScalePixels(16, dpi_);
  for (int id : {IDI_LIST_REMOVE, IDI_LIST_REMOVE_PRESSED, IDI_LIST_ATTACHMENT,
                 IDI_LIST_ATTACHMENT_PRESSED}) {
    IconHandle icon(static_cast<HICON>(
        LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, wanted, wanted, 0)));
    if (icon) ImageList_AddIcon(images_, icon.get());
  }
}

void MessageListWnd::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  const int oldDpi = dpi_;
  dpi_ = ApplyDpiChange(hwnd(), wParam, lParam, oldDpi);
  if (dpi_ == oldDpi || !list_.IsAlive()) return;
  // The old fonts stay alive until the controls hold the new ones.
  GdiHandle oldList = std::move(listFont_);
  GdiHandle oldPreview = std::move(previewFont_);
  MakeFonts();
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
  SendMessageW(list_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
  CreateImages();
  list_.SetImageList(images_);
  list_.SetDpi(dpi_);
  LimitColumnWidths();
  if (preview_) {
    SendMessageW(preview_, WM_SETFONT, reinterpret_cast<WPARAM>(previewFont_.get()), FALSE);
    // The control sizes its points for the screen's DPI; on a monitor of another scale it is
    // zoomed by the ratio of the two.
    const int screen = WindowDpi(nullptr);
    SendMessageW(preview_, EM_SETZOOM, dpi_ == screen ? 0 : static_cast<WPARAM>(dpi_),
                 dpi_ == screen ? 0 : static_cast<LPARAM>(screen));
    RECT pane;
    GetWindowRect(preview_, &pane);
    SetWindowPos(preview_, nullptr, 0, 0, pane.right - pane.left,
                 RescalePixels(pane.bottom - pane.top, oldDpi, dpi_),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
  Layout();
  FitToContent();
}

Rect MessageListWnd::FittedRect() const {
  ListContent content;
  content.rowCount = list_.GetItemCount();
  content.rowHeight = list_.RowHeight();
  content.headerHeight = list_.HeaderHeight();
  content.columnsWidth = list_.Model().TotalWidth();
  content.verticalScrollBar = list_.HasVerticalScrollBar();
  content.scrollBarWidth = GetSystemMetrics(SM_CXVSCROLL);
  content.horizontalScrollBar = list_.HasHorizontalScrollBar();
  content.scrollBarHeight = GetSystemMetrics(SM_CYHSCROLL);
  if (PreviewVisible()) {
    RECT pane;
    GetWindowRect(preview_, &pane);
    content.previewVisible = true;
    content.previewHeight = pane.bottom - pane.top;
  }
  Size client = ListClientSize(content);
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
  return PlaceListWindow(context_.settings.dispPos,
                         {frame.right - frame.left, frame.bottom - frame.top}, WorkAreaOrPrimary());
}

void MessageListWnd::FitToContent() {
  if (!IsAlive() || fitting_) return;
  fitting_ = true;
  // Scroll bars the list showed while it was too small go once it has its size, and that
  // changes the size wanted; a few rounds settle it.
  for (int round = 0; round < 3; ++round) {
    Rect placed = FittedRect();
    RECT current;
    GetWindowRect(hwnd(), &current);
    if (SameRect(current, placed)) break;
    SetWindowPos(hwnd(), nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  fitting_ = false;
}

void MessageListWnd::Place(bool activate) {
  FitToContent();
  if (activate) {
    SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(GetWindow(hwnd(), GW_OWNER));
  }
}

void MessageListWnd::Layout() {
  RECT client;
  GetClientRect(hwnd(), &client);
  int listBottom = client.bottom;
  if (PreviewVisible()) {
    RECT pane;
    GetWindowRect(preview_, &pane);
    const int height = pane.bottom - pane.top;
    listBottom = std::max<int>(client.bottom - height, 0);
    SetWindowPos(preview_, nullptr, 0, listBottom, client.right, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RECT format;
    GetClientRect(preview_, &format);
    const int margin = ScalePixels(kPreviewMargin, dpi_);
    format.left += margin;
    format.right = std::max<LONG>(format.right - margin, format.left + 1);
    SendMessageW(preview_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
  }
  SetWindowPos(list_.hwnd(), nullptr, 0, 0, client.right, listBottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void MessageListWnd::PlayShowAnimation() {
  bool animated =
      animationMs_ > 0 && AnimateWindow(hwnd(), static_cast<DWORD>(animationMs_), effects_.show);
  if (!animated) ShowWindow(hwnd(), activate_ ? SW_SHOW : SW_SHOWNOACTIVATE);
  RedrawWindow(hwnd(), nullptr, nullptr,
               RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace postwink::win
