#include "win32/controls/colour_popup_wnd.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstddef>
#include <vector>

#include "win32/controls/gdi_text_measurer.h"
#include "win32/dpi.h"
#include "win32/list/work_area.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

constexpr const wchar_t* kPopupClassName = L"PostwinkColourPopup";

COLORREF Rgb(uint32_t colour) { return static_cast<COLORREF>(colour & 0x00FFFFFF); }
RECT ToRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The colour dialog's sixteen custom colours, kept for the whole run as the system expects.
std::array<COLORREF, 16> customColours = [] {
  std::array<COLORREF, 16> colours;
  colours.fill(RGB(255, 255, 255));
  return colours;
}();

ColourKey KeyFor(WPARAM vk) {
  switch (vk) {
    case VK_LEFT:
      return ColourKey::kLeft;
    case VK_RIGHT:
      return ColourKey::kRight;
    case VK_UP:
      return ColourKey::kUp;
    case VK_DOWN:
      return ColourKey::kDown;
    case VK_RETURN:
      return ColourKey::kEnter;
    case VK_SPACE:
      return ColourKey::kSpace;
    case VK_ESCAPE:
      return ColourKey::kEscape;
    default:
      return ColourKey::kOther;
  }
}

// The highlight: a two-pixel frame in the selection colour, plain to see on any cell.
void DrawHighlight(HDC dc, RECT r) {
  HBRUSH brush = GetSysColorBrush(COLOR_HIGHLIGHT);
  FrameRect(dc, &r, brush);
  InflateRect(&r, -1, -1);
  FrameRect(dc, &r, brush);
}

// The 40 colours as a logical palette, so that a 256-colour display shows them exactly.
HPALETTE MakePalette() {
  std::vector<std::byte> buffer(sizeof(LOGPALETTE) + (kPaletteSize - 1) * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(buffer.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = kPaletteSize;
  for (int i = 0; i < kPaletteSize; ++i) {
    const COLORREF c = Rgb(kColourPalette[i].colour);
    palette->palPalEntry[i] = {GetRValue(c), GetGValue(c), GetBValue(c), 0};
  }
  return CreatePalette(palette);
}

std::optional<Size> TextSize(HDC dc, const std::string& text) {
  if (text.empty()) return std::nullopt;
  const std::wstring wide = Widen(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  return Size{size.cx, size.cy};
}

}  // namespace

ColourPopupWnd::ColourPopupWnd(HWND button, uint32_t colour, std::string automaticText,
                               std::string customText)
    : button_(button),
      automaticText_(std::move(automaticText)),
      customText_(std::move(customText)),
      model_(colour, !automaticText_.empty(), !customText_.empty(), *this) {}

ColourPopupWnd::~ColourPopupWnd() { Destroy(); }

bool ColourPopupWnd::Create(const RECT& button) {
  const int dpi = WindowDpi(button_);
  const LOGFONTW messageFont = MessageFont(dpi);
  font_.reset(CreateFontIndirectW(&messageFont));
  edge_ = SystemMetricForDpi(SM_CXEDGE, dpi);

  std::optional<Size> automaticSize, customSize;
  if (HDC dc = GetDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, font_.get());
    automaticSize = TextSize(dc, automaticText_);
    customSize = TextSize(dc, customText_);
    SelectObject(dc, old);
    if ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0) palette_.reset(MakePalette());
    ReleaseDC(nullptr, dc);
  }
  const Rect buttonRect{button.left, button.top, button.right, button.bottom};
  layout_ = LayoutColourPopup(edge_, automaticSize, customSize, buttonRect,
                              WorkAreaNear(buttonRect), dpi);

  WindowArgs args;
  args.className = kPopupClassName;
  args.classStyle = CS_SAVEBITS;
  args.classBackground = nullptr;
  args.style = WS_POPUP;
  args.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  args.x = layout_.window.left;
  args.y = layout_.window.top;
  args.width = layout_.window.Width();
  args.height = layout_.window.Height();
  args.parent = GetAncestor(button_, GA_ROOT);
  if (!CreateWindowFrom(args)) return false;
  AddCellTips();
  ShowWindow(hwnd(), SW_SHOW);
  SetFocus(hwnd());
  SetCapture(hwnd());
  return true;
}

void ColourPopupWnd::AddCellTips() {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
  tips_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(),
                              nullptr, ProgramInstance(), nullptr));
  if (!tips_) return;
  for (int i = 0; i < kPaletteSize; ++i) {
    std::wstring name = Widen(kColourPalette[i].name);
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = hwnd();
    info.uId = static_cast<UINT_PTR>(i);
    info.rect = ToRect(layout_.CellRect(i));
    info.lpszText = name.data();
    SendMessageW(tips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
}

void ColourPopupWnd::Notify(ColourMessage message, uint32_t colour) {
  SendMessageW(button_, static_cast<UINT>(message), static_cast<WPARAM>(colour), 0);
}

std::optional<uint32_t> ColourPopupWnd::AskCustomColour(uint32_t initial) {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = hwnd();
  choose.rgbResult = Rgb(initial);
  choose.lpCustColors = customColours.data();
  choose.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT;
  if (!ChooseColorW(&choose)) return std::nullopt;
  return static_cast<uint32_t>(choose.rgbResult);
}

void ColourPopupWnd::ReleaseMouse() {
  if (GetCapture() == hwnd()) ReleaseCapture();
}

void ColourPopupWnd::AfterInput() {
  if (model_.Ended()) {
    DestroyWindow(hwnd());
  } else {
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
}

void ColourPopupWnd::DrawTextRow(HDC dc, const Rect& row, const std::string& text,
                                 ColourEntry entry) {
  RECT r = ToRect(row);
  if (model_.Highlight() == entry) {
    DrawHighlight(dc, r);
  } else if (model_.Current() == entry) {
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  }
  const std::wstring wide = Widen(text);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ old = SelectObject(dc, font_.get());
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
}

void ColourPopupWnd::Paint(HDC dc) {
  HPALETTE oldPalette = nullptr;
  if (palette_) {
    oldPalette = SelectPalette(dc, static_cast<HPALETTE>(palette_.get()), FALSE);
    RealizePalette(dc);
  }
  RECT client;
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
  DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);

  if (layout_.automaticRow) {
    DrawTextRow(dc, *layout_.automaticRow, automaticText_, ColourEntry::Automatic());
    RECT line{edge_, layout_.grid.top - edge_ - 1, client.right - edge_,
              layout_.grid.top - edge_ + 1};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
  }
  if (layout_.customRow) {
    DrawTextRow(dc, *layout_.customRow, customText_, ColourEntry::Custom());
    RECT line{edge_, layout_.grid.bottom + edge_ - 1, client.right - edge_,
              layout_.grid.bottom + edge_ + 1};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
  }
  for (int i = 0; i < kPaletteSize; ++i) {
    RECT cell = ToRect(layout_.CellRect(i));
    const ColourEntry entry = ColourEntry::Cell(i);
    if (model_.Highlight() == entry) {
      DrawHighlight(dc, cell);
    } else if (model_.Current() == entry) {
      DrawEdge(dc, &cell, BDR_SUNKENOUTER, BF_RECT);
    }
    RECT swatch = cell;
    InflateRect(&swatch, -3, -3);
    const COLORREF colour = Rgb(kColourPalette[i].colour);
    HBRUSH brush = CreateSolidBrush(
        palette_ ? PALETTERGB(GetRValue(colour), GetGValue(colour), GetBValue(colour)) : colour);
    FillRect(dc, &swatch, brush);
    DeleteObject(brush);
    FrameRect(dc, &swatch, GetSysColorBrush(COLOR_3DSHADOW));
  }
  if (oldPalette != nullptr) SelectPalette(dc, oldPalette, FALSE);
}

std::optional<LRESULT> ColourPopupWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE: {
      const Point p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      model_.Hover(layout_.HitTest(p));
      AfterInput();
      return 0;
    }
    case WM_LBUTTONUP: {
      POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      RECT client;
      GetClientRect(hwnd(), &client);
      model_.LeftButtonUp(PtInRect(&client, p) != FALSE);
      AfterInput();
      return 0;
    }
    case WM_KEYDOWN:
      model_.Key(KeyFor(wParam));
      AfterInput();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_ACTIVATEAPP:
      if (!wParam) {
        model_.ApplicationDeactivated();
        AfterInput();
      }
      break;
    case WM_KILLFOCUS:
      model_.FocusLost();
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      Paint(dc);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    default:
      break;
  }
  return Wnd::OnMessage(msg, wParam, lParam);
}

}  // namespace postwink::win
