#pragma once
// CMyPropertySheet: the settings sheet. Its pages edit the settings and the accounts in place
// when they are applied; a banner across the top names the active page and says what it is
// for. Apply tells the main window with WM_SETTINGS_APPLIED; after OK the main window saves.

#include <memory>
#include <string>
#include <vector>

#include "core/settings_ui/sheet_pages.h"
#include "core/ui/scale.h"
#include "win32/handles.h"
#include "win32/settings/settings_page.h"
#include "win32/window_messages.h"

namespace postwink::win {

class CMyPropertySheet {
 public:
  struct Args {
    Settings& settings;
    CheckEngine& engine;
    std::string programDirectory;  // ends with its separator
    bool windows98OrMe = false;
    int startPage = 0;
    HWND owner = nullptr;  // receives WM_SETTINGS_APPLIED after Apply
    RunKey runKey{};       // where "start with Windows" is kept
    TokenProvider* tokens = nullptr;
  };
  // The sheet is made this much taller at 96 DPI; the banner fills all but the last few pixels
  // of it. Both grow with the sheet's DPI.
  static constexpr int kExtraHeight = 70;
  static constexpr int kBannerHeight = 65;

  explicit CMyPropertySheet(Args args);
  ~CMyPropertySheet();
  CMyPropertySheet(const CMyPropertySheet&) = delete;
  CMyPropertySheet& operator=(const CMyPropertySheet&) = delete;

  // Runs the sheet modally over the owner; true when it was closed with OK.
  bool RunModal();
  // The same sheet without its own message loop, for the window tests. Ended() says whether
  // OK or Cancel has closed it (and then destroys the window).
  bool CreateModeless();
  bool Ended();

  HWND hwnd() const { return hwnd_; }
  bool ClosedWithOk() const { return closedWithOk_; }
  // The class name of the page that was active when OK closed the sheet.
  const std::string& OkPageClassName() const { return okPage_; }
  int ActivePage() const { return activePage_; }
  size_t PageCount() const { return pages_.size(); }
  SettingsPage& Page(size_t index) { return *pages_[index]; }
  // The banner's texts for the active page.
  const std::string& BannerTitle() const { return bannerTitle_; }
  const std::string& BannerText() const { return bannerText_; }
  int Dpi() const { return dpi_; }
  // The banner title's LOGFONT height.
  int BannerTitleHeight() const;

 private:
  static int CALLBACK SheetCallback(HWND hwnd, UINT msg, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  PROPSHEETHEADERW Header(bool modeless);
  void OnInitialized(HWND hwnd);
  void OnActivated(int position);
  void OnApplied(int position, bool okButton, bool taken);
  void PaintBanner(HDC dc);
  // The banner's fonts and icon for the sheet's DPI. On a move to a monitor of another scale the
  // system scales the dialog and its pages; the banner follows here.
  void MakeBanner();
  int Px(int designPixels) const { return ScalePixels(designPixels, dpi_); }

  Args args_;
  SheetContext context_;
  std::vector<SheetPage> layout_;  // what each page is, in the order of pages_
  std::vector<std::unique_ptr<SettingsPage>> pages_;
  std::vector<PROPSHEETPAGEW> descriptors_;
  std::wstring caption_;
  HWND hwnd_ = nullptr;
  bool closedWithOk_ = false;
  std::string okPage_;
  int activePage_ = 0;
  std::string bannerTitle_;
  std::string bannerText_;
  int dpi_ = kDesignDpi;
  IconHandle icon_;
  GdiHandle titleFont_;
  GdiHandle textFont_;
};

}  // namespace postwink::win
