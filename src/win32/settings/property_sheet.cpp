#include "win32/settings/property_sheet.h"

#include "core/settings_ui/sheet_pages.h"
#include "win32/controls/gdi_text_measurer.h"
#include "win32/dpi.h"
#include "win32/resource.h"
#include "win32/settings/account_page.h"
#include "win32/settings/display_page.h"
#include "win32/settings/filter_page.h"
#include "win32/settings/list_page.h"
#include "win32/settings/other_pages.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

// The system calls the sheet's callback before there is a way to reach the object.
thread_local CMyPropertySheet* creating = nullptr;

constexpr int kApplyButton = 0x3021;
// The sheet's buttons as a Japanese system labels them, whatever the system's language:
// "キャンセル" and "適用(&A)".
constexpr char kTextCancel[] = "キャンセル";
constexpr char kTextApply[] = "適用(&A)";
constexpr int kBannerMargin = 12;
constexpr int kIconSize = 32;

std::unique_ptr<SettingsPage> MakePage(int templateId, int position, SheetContext& context) {
  switch (templateId) {
    case IDD_PROPPAGE1:
      return std::make_unique<AccountPage>(position, context);
    case IDD_PROPPAGE2:
      return std::make_unique<DisplayPage>(position, context);
    case IDD_PROPPAGE3:
      return std::make_unique<ListPage>(position, context);
    case IDD_PROPPAGE4:
      return std::make_unique<FilterPage>(position, context);
    case IDD_PROPPAGE5:
      return std::make_unique<OtherPage>(position, context);
    default:
      return std::make_unique<AdvancePage>(position, context);
  }
}

GdiHandle BannerFont(bool bold, int dpi) {
  LOGFONTW font = MessageFont(dpi);
  if (bold) font.lfWeight = FW_BOLD;
  return GdiHandle(CreateFontIndirectW(&font));
}

}  // namespace

CMyPropertySheet::CMyPropertySheet(Args args)
    : args_(std::move(args)), context_{args_.settings,      args_.engine, args_.programDirectory,
                                       args_.windows98OrMe, {},           {},
                                       args_.runKey} {
  context_.tokens = args_.tokens;
  context_.activated = [this](int position) { OnActivated(position); };
  context_.applied = [this](int position, bool okButton, bool taken) {
    OnApplied(position, okButton, taken);
  };
  layout_ = SheetPages(args_.settings.advance != 0);
  int position = 0;
  for (const SheetPage& page : layout_) {
    pages_.push_back(MakePage(page.templateId, position++, context_));
  }
  for (auto& page : pages_) descriptors_.push_back(page->Descriptor());
  caption_ = Widen(LoadProgramString(IDS_SETTINGS_CAPTION));
  MakeBanner();
}

void CMyPropertySheet::MakeBanner() {
  icon_.reset(
      static_cast<HICON>(LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDI_NORMAL), IMAGE_ICON,
                                    Px(kIconSize), Px(kIconSize), LR_DEFAULTCOLOR)));
  titleFont_ = BannerFont(true, dpi_);
  textFont_ = BannerFont(false, dpi_);
}

int CMyPropertySheet::BannerTitleHeight() const {
  LOGFONTW font{};
  return GetObjectW(titleFont_.get(), sizeof font, &font) ? font.lfHeight : 0;
}

CMyPropertySheet::~CMyPropertySheet() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

PROPSHEETHEADERW CMyPropertySheet::Header(bool modeless) {
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | (modeless ? PSH_MODELESS : 0);
  header.hwndParent = args_.owner;
  header.hInstance = ProgramInstance();
  header.pszCaption = caption_.c_str();
  header.nPages = static_cast<UINT>(descriptors_.size());
  int start = args_.startPage;
  if (start < 0 || start >= static_cast<int>(descriptors_.size())) start = 0;
  header.nStartPage = static_cast<UINT>(start);
  header.ppsp = descriptors_.data();
  header.pfnCallback = &SheetCallback;
  return header;
}

bool CMyPropertySheet::RunModal() {
  closedWithOk_ = false;
  PROPSHEETHEADERW header = Header(false);
  creating = this;
  PropertySheetW(&header);
  creating = nullptr;
  hwnd_ = nullptr;
  return closedWithOk_;
}

bool CMyPropertySheet::CreateModeless() {
  closedWithOk_ = false;
  PROPSHEETHEADERW header = Header(true);
  creating = this;
  INT_PTR sheet = PropertySheetW(&header);
  creating = nullptr;
  return sheet > 0 && hwnd_ != nullptr;
}

bool CMyPropertySheet::Ended() {
  if (hwnd_ == nullptr) return true;
  if (PropSheet_GetCurrentPageHwnd(hwnd_) != nullptr) return false;
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  return true;
}

int CALLBACK CMyPropertySheet::SheetCallback(HWND hwnd, UINT msg, LPARAM) {
  if (msg == PSCB_INITIALIZED && creating != nullptr) creating->OnInitialized(hwnd);
  return 0;
}

void CMyPropertySheet::OnInitialized(HWND hwnd) {
  hwnd_ = hwnd;
  SetWindowSubclass(hwnd, &SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  dpi_ = WindowDpi(hwnd);
  MakeBanner();
  // Room for the banner: everything in the sheet moves down, and the sheet grows.
  for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(child, nullptr, r.left, r.top + Px(kExtraHeight), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT frame;
  GetWindowRect(hwnd, &frame);
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top + Px(kExtraHeight);
  // Centred on the work area: the owner is the hidden main window.
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SetDlgItemTextW(hwnd, IDCANCEL, Widen(kTextCancel).c_str());
  SetDlgItemTextW(hwnd, kApplyButton, Widen(kTextApply).c_str());
  // The program has no other window on the task bar; the sheet gets a button there so that it
  // cannot be lost behind other windows.
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
  if (icon_) {
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
  }
}

void CMyPropertySheet::OnActivated(int position) {
  activePage_ = position;
  if (position >= 0 && position < static_cast<int>(layout_.size())) {
    bannerTitle_ = LoadProgramString(layout_[static_cast<size_t>(position)].bannerTitle);
    bannerText_ = LoadProgramString(layout_[static_cast<size_t>(position)].bannerText);
  }
  if (hwnd_ != nullptr) {
    RECT banner;
    GetClientRect(hwnd_, &banner);
    banner.bottom = Px(kBannerHeight);
    InvalidateRect(hwnd_, &banner, TRUE);
  }
}

void CMyPropertySheet::OnApplied(int position, bool okButton, bool taken) {
  // The sheet hands OK and Apply to every page opened so far, in order, and stops at the first
  // that refuses; the last one opened completes the round.
  if (!taken) return;
  int last = -1;
  for (size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i]->IsAlive()) last = static_cast<int>(i);
  }
  if (position != last) return;
  if (okButton) {
    closedWithOk_ = true;
    okPage_ = layout_[static_cast<size_t>(activePage_)].className;
  } else if (args_.owner != nullptr) {
    SendMessageW(args_.owner, WM_SETTINGS_APPLIED, 0, 0);
  }
}

void CMyPropertySheet::PaintBanner(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int height = Px(kBannerHeight);
  const int margin = Px(kBannerMargin);
  const int iconSize = Px(kIconSize);
  RECT banner{client.left, client.top, client.right, height};
  FillRect(dc, &banner, GetSysColorBrush(COLOR_WINDOW));
  RECT edge{client.left, height - 2, client.right, height};
  DrawEdge(dc, &edge, EDGE_ETCHED, BF_TOP);
  const int iconTop = (height - iconSize) / 2;
  const int textLeft = margin;
  const int iconLeft = client.right - margin - iconSize;
  if (icon_)
    DrawIconEx(dc, iconLeft, iconTop, icon_.get(), iconSize, iconSize, 0, nullptr, DI_NORMAL);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ old = SelectObject(dc, titleFont_.get());
  RECT title{textLeft, Px(8), iconLeft - margin, Px(26)};
  DrawTextW(dc, Widen(bannerTitle_).c_str(), -1, &title, DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, textFont_.get());
  RECT text{textLeft + Px(16), Px(28), iconLeft - margin, height - Px(4)};
  DrawTextW(dc, Widen(bannerText_).c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
}

LRESULT CALLBACK CMyPropertySheet::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR, DWORD_PTR self) {
  auto* sheet = reinterpret_cast<CMyPropertySheet*>(self);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      sheet->PaintBanner(dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_DPICHANGED:
      sheet->dpi_ = SaneDpi(HIWORD(wParam));
      sheet->MakeBanner();
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &SubclassProc, 1);
      sheet->hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace postwink::win
