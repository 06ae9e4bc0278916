#include "win32/controls/image_menu.h"

#include <algorithm>

#include "core/ui/scale.h"
#include "win32/controls/script_text.h"
#include "win32/dpi.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

// Sizes at 96 DPI, scaled to the DPI of the menu's owner.
constexpr int kPicture = 16;
constexpr int kPictureBox = kPicture + 6;  // the picture column, also the check frame
constexpr int kTextLeft = kPictureBox + 8;
constexpr int kShortcutGap = 24;
constexpr int kRightMargin = 12;
constexpr UINT_PTR kSubclassId = 0x504D;

COLORREF Mix(COLORREF a, COLORREF b, int percentOfA) {
  auto mix = [&](int x, int y) { return (x * percentOfA + y * (100 - percentOfA)) / 100; };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
             mix(GetBValue(a), GetBValue(b)));
}

void DrawCheckMark(HDC dc, const RECT& box, COLORREF colour, int dpi) {
  auto px = [dpi](int design) { return ScalePixels(design, dpi); };
  GdiHandle pen(CreatePen(PS_SOLID, px(2), colour));
  HGDIOBJ old = SelectObject(dc, pen.get());
  int x = (box.left + box.right) / 2 - px(5);
  int y = (box.top + box.bottom) / 2;
  POINT points[] = {{x, y}, {x + px(3), y + px(3)}, {x + px(9), y - px(4)}};
  Polyline(dc, points, 3);
  SelectObject(dc, old);
}

}  // namespace

ImageMenu::~ImageMenu() = default;

void ImageMenu::SetImage(UINT command, HIMAGELIST strip, int index) {
  Picture& picture = pictures_[command];
  picture.strip = strip;
  picture.index = index;
  picture.icon.reset();
}

void ImageMenu::SetIcon(UINT command, IconHandle icon) {
  Picture& picture = pictures_[command];
  picture.strip = nullptr;
  picture.index = -1;
  picture.icon = std::move(icon);
}

void ImageMenu::MakeOwnerDrawn() {
  int count = GetMenuItemCount(menu_);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    if (!GetMenuItemInfoW(menu_, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)) continue;  // the system draws separators
    auto item = std::make_unique<Item>();
    item->command = info.wID;
    std::wstring text(info.cch + 1, L'\0');
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    if (GetMenuItemInfoW(menu_, static_cast<UINT>(i), TRUE, &info)) text.resize(info.cch);
    size_t tab = text.find(L'\t');
    item->text = text.substr(0, tab);
    if (tab != std::wstring::npos) item->shortcut = text.substr(tab + 1);

    MENUITEMINFOW owner{};
    owner.cbSize = sizeof owner;
    owner.fMask = MIIM_FTYPE | MIIM_DATA;
    owner.fType = info.fType | MFT_OWNERDRAW;
    owner.dwItemData = reinterpret_cast<ULONG_PTR>(item.get());
    if (SetMenuItemInfoW(menu_, static_cast<UINT>(i), TRUE, &owner)) {
      items_.push_back(std::move(item));
    }
  }
}

const ImageMenu::Item* ImageMenu::Find(ULONG_PTR data) const {
  for (const auto& item : items_) {
    if (reinterpret_cast<ULONG_PTR>(item.get()) == data) return item.get();
  }
  return nullptr;
}

void ImageMenu::Measure(MEASUREITEMSTRUCT& mis) const {
  const Item* item = Find(mis.itemData);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_.get());
  const SIZE text = MeasureLine(dc, item->text);
  int width = Px(kTextLeft) + text.cx + Px(kRightMargin);
  if (!item->shortcut.empty()) width += Px(kShortcutGap) + MeasureLine(dc, item->shortcut).cx;
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  mis.itemWidth = static_cast<UINT>(width);
  mis.itemHeight = static_cast<UINT>(std::max<LONG>(Px(kPictureBox + 2), text.cy + Px(8)));
}

void ImageMenu::DrawPicture(HDC dc, const Picture& picture, int x, int y, bool greyed) const {
  IconHandle fromStrip;
  HICON icon = picture.icon.get();
  if (picture.strip) {
    if (!greyed) {
      ImageList_Draw(picture.strip, picture.index, dc, x, y, ILD_TRANSPARENT);
      return;
    }
    fromStrip.reset(ImageList_GetIcon(picture.strip, picture.index, ILD_NORMAL));
    icon = fromStrip.get();
  }
  if (!icon) return;
  if (greyed) {
    DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, Px(kPicture),
               Px(kPicture), DST_ICON | DSS_DISABLED);
  } else {
    DrawIconEx(dc, x, y, icon, Px(kPicture), Px(kPicture), 0, nullptr, DI_NORMAL);
  }
}

void ImageMenu::Draw(const DRAWITEMSTRUCT& dis) const {
  const Item* item = Find(dis.itemData);
  HDC dc = dis.hDC;
  RECT r = dis.rcItem;
  bool greyed = (dis.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  bool selected = (dis.itemState & ODS_SELECTED) != 0 && !greyed;
  bool checked = (dis.itemState & ODS_CHECKED) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));

  const int boxSize = Px(kPictureBox);
  RECT box{r.left + Px(2), (r.top + r.bottom - boxSize) / 2, r.left + Px(2) + boxSize,
           (r.top + r.bottom + boxSize) / 2};
  auto found = pictures_.find(item->command);
  bool hasPicture = found != pictures_.end() && (found->second.strip || found->second.icon.valid());
  if (checked) {
    // A checked item: its picture in a light frame, as a pressed tool button.
    COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    GdiHandle fill(CreateSolidBrush(Mix(highlight, RGB(255, 255, 255), 25)));
    FillRect(dc, &box, static_cast<HBRUSH>(fill.get()));
    GdiHandle frame(CreateSolidBrush(highlight));
    FrameRect(dc, &box, static_cast<HBRUSH>(frame.get()));
    if (!hasPicture) DrawCheckMark(dc, box, GetSysColor(COLOR_MENUTEXT), dpi_);
  }
  if (hasPicture) {
    DrawPicture(dc, found->second, box.left + Px(3), box.top + Px(3), greyed);
  }

  HGDIOBJ old = SelectObject(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(greyed     ? COLOR_GRAYTEXT
                               : selected ? COLOR_HIGHLIGHTTEXT
                                          : COLOR_MENUTEXT));
  RECT text{r.left + Px(kTextLeft), r.top, r.right - Px(kRightMargin), r.bottom};
  DrawLineInRect(dc, item->text, text, TextAlign::kLeft);
  if (!item->shortcut.empty()) DrawLineInRect(dc, item->shortcut, text, TextAlign::kRight);
  SelectObject(dc, old);
}

LRESULT CALLBACK ImageMenu::OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
  const auto* menu = reinterpret_cast<const ImageMenu*>(self);
  if (msg == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (mis->CtlType == ODT_MENU && menu->Find(mis->itemData)) {
      menu->Measure(*mis);
      return TRUE;
    }
  } else if (msg == WM_DRAWITEM) {
    const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (dis->CtlType == ODT_MENU && menu->Find(dis->itemData)) {
      menu->Draw(*dis);
      return TRUE;
    }
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

UINT ImageMenu::Track(HWND owner, POINT at, UINT flags) {
  MakeOwnerDrawn();
  dpi_ = WindowDpi(owner);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    const LOGFONTW menuFont = FontAtDpi(metrics.lfMenuFont, dpi_);
    font_.reset(CreateFontIndirectW(&menuFont));
  }
  if (!font_)
    font_.reset(CreateFontW(-Px(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                            L"MS UI Gothic"));
  SetWindowSubclass(owner, OwnerProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  auto chosen = static_cast<UINT>(TrackPopupMenuEx(
      menu_, flags | TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, owner, nullptr));
  RemoveWindowSubclass(owner, OwnerProc, kSubclassId);
  // The menu closes properly when the owner gets a message after it.
  PostMessageW(owner, WM_NULL, 0, 0);
  return chosen;
}

IconHandle ProgramSmallIcon(const std::string& path) {
  HICON small = nullptr;
  if (ExtractIconExW(Widen(path).c_str(), 0, nullptr, &small, 1) == 0) return {};
  return IconHandle(small);
}

IconHandle FileTypeSmallIcon(const std::string& name) {
  // By the name alone: no file of a name taken from a message is created for this.
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(Widen(name).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                      SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES)) {
    return {};
  }
  return IconHandle(info.hIcon);
}

}  // namespace postwink::win
