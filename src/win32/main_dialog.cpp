#include "main_dialog.h"

#include "core/config/account.h"
#include "win32/checker_app.h"
#include "win32/controls/image_menu.h"
#include "win32/dpi.h"
#include "win32/resource.h"
#include "win32/texts.h"
#include "win32/tray_area_win.h"
#include "win32/wide_text.h"

namespace postwink::win {

// The tray icon of the main window: a press on it acknowledges new mail first.
class MainDialog::MainTray : public CSystemTray {
 public:
  explicit MainTray(MainDialog& owner) : owner_(owner) {}

 protected:
  LRESULT OnTrayNotification(WPARAM id, LPARAM mouseMessage) override {
    UINT mouse = LOWORD(mouseMessage);
    if (id == kTrayIconId && mouse == NIN_BALLOONUSERCLICK && owner_.IsAlive()) {
      owner_.OpenListFromNotice();
      return 1;
    }
    if (id == kTrayIconId && (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN) &&
        owner_.IsAlive()) {
      if (mouse == WM_LBUTTONDOWN) owner_.ShowHeldListOnClick();
      owner_.AcknowledgeNewMail();
    }
    return CSystemTray::OnTrayNotification(id, mouseMessage);
  }
  void PrepareMenu(HMENU menu) override {
    // Check now waits while a connection is open.
    if (owner_.engine_ && !owner_.engine_->CanCheckNow()) {
      EnableMenuItem(menu, ID_CHECK_NOW, MF_BYCOMMAND | MF_GRAYED);
    }
    const std::string& mua = owner_.app_.GetSettings().mua;
    if (mua.empty()) {
      EnableMenuItem(menu, ID_START_MAILER, MF_BYCOMMAND | MF_GRAYED);
      return;
    }
    mailerPicture_ = MailerPicture(mua);
    if (mailerPicture_) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_BITMAP;
      info.hbmpItem = static_cast<HBITMAP>(mailerPicture_.get());
      SetMenuItemInfoW(menu, ID_START_MAILER, FALSE, &info);
    }
  }

 private:
  // The mail program's small icon drawn over the menu's grey, for its menu item.
  static GdiHandle MailerPicture(const std::string& mua) {
    IconHandle icon = ProgramSmallIcon(mua);
    if (!icon) return {};
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    GdiHandle bitmap(CreateCompatibleBitmap(screen, 16, 16));
    ReleaseDC(nullptr, screen);
    if (!dc) return {};
    if (bitmap) {
      HGDIOBJ old = SelectObject(dc, bitmap.get());
      GdiHandle background(CreateSolidBrush(RGB(0xD4, 0xD4, 0xD4)));
      RECT r{0, 0, 16, 16};
      FillRect(dc, &r, static_cast<HBRUSH>(background.get()));
      DrawIconEx(dc, 0, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL);
      SelectObject(dc, old);
    }
    DeleteDC(dc);
    return bitmap;
  }

  MainDialog& owner_;
  GdiHandle mailerPicture_;
};

MainDialog::MainDialog(CheckerApp& app) : app_(app), tray_(std::make_unique<MainTray>(*this)) {}

MainDialog::~MainDialog() {
  // The list window shows the engine's items; it goes first.
  listWnd_.reset();
  // The engine closes an open connection through the transport, which needs the window.
  engine_.reset();
  Destroy();
}

CSystemTray& MainDialog::Tray() { return *tray_; }

bool MainDialog::Create() { return CreateModelessDialog(IDD_MAINDIALOG, nullptr); }

void MainDialog::OnInitDialog() {
  if (HMENU system = GetSystemMenu(hwnd(), FALSE)) {
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING, IDM_ABOUTBOX, Widen(kTextAboutMenuItem).c_str());
  }
  HICON normal = app_.Icons().normal.get();
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(normal));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(normal));

  // The accounts, and the update pseudo-account beside them.
  CreateEngine();

  tray_->Create(hwnd(), WM_TRAY_NOTIFY, kTextProgramName, normal, kTrayIconId, true);
  tray_->SetTarget(hwnd());
  tray_->SetDefaultItem(ID_SHOW_LIST);

  const Settings& settings = app_.GetSettings();
  if (!app_.SettingsFileExisted()) OpenSettings();
  if (settings.hotKey != 0) RegisterListHotKey(settings.hotKey);
  if (settings.updateCheck) SendMessageW(hwnd(), WM_TIMER, TIMER_UPDATE_CHECK, 0);
  // Before the first check, which leaves the push accounts to their own connections.
  EnablePushConnections();
  // TIMER_MINUTE, then check now when START_RUN is on.
  engine_->Start();
  networkWatcher_ = std::make_unique<NetworkChangeWatcher>(hwnd(), WM_NETWORK_CHANGED);
}

void MainDialog::OnTimer(UINT_PTR id) {
  if (id == TIMER_MINUTE && reconnect_.Waiting()) {
    // The network came back only partly: the check follows once it is usable, not into it.
    return;
  }
  if (id == TIMER_CHECK_STEP || id == TIMER_MINUTE || id == TIMER_SERVER_TIMEOUT) {
    engine_->OnTimer(static_cast<CheckTimer>(id));
  } else if (id == TIMER_PUSH) {
    OnPushTimer();
  } else if (id == TIMER_RECONNECT) {
    PollReconnect();
  } else if (id == TIMER_ATTENTION) {
    CheckHeldAnnouncement();
  } else if (id == TIMER_UPDATE_CHECK) {
    // Only when the system reports a connection; there is no second try.
    if (!NetworkUsable()) return;
    const Settings& s = app_.GetSettings();
    StartUpdateCheck(
        hwnd(),
        {s.updateUrl, s.updateProxyUse, s.updateProxyServer, s.updateProxyPort, app_.TempFolder()},
        update_);
  }
}

void MainDialog::AcknowledgeNewMail() {
  StopHolding();
  if (engine_) engine_->AcknowledgeNewMail();
}

void MainDialog::ShowAboutBox() {
  aboutBox_ = std::make_unique<AboutBox>();
  aboutBox_->CreateModeless(hwnd());
}

void MainDialog::HideIntoTray() {
  tray_->Show();
  BOOL animate = FALSE;
  ANIMATIONINFO animation{sizeof animation, 0};
  if (SystemParametersInfoW(SPI_GETANIMATION, sizeof animation, &animation, 0)) {
    animate = animation.iMinAnimate;
  }
  if (animate) {
    RECT from{};
    GetWindowRect(hwnd(), &from);
    ScreenRect area = CurrentTrayArea();
    RECT to{area.left, area.top, area.right, area.bottom};
    DrawAnimatedRects(hwnd(), IDANI_CAPTION, &from, &to);
  }
  if (!hiddenOwner_) {
    hiddenOwner_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       ProgramInstance(), nullptr));
  }
  // An owned window has no task bar button; the main window is never restored.
  if (hiddenOwner_) {
    SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hiddenOwner_.get()));
  }
  ShowWindow(hwnd(), SW_HIDE);
}

void MainDialog::ExitProgram() {
  tray_->Remove();
  tray_->Destroy();
  PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void MainDialog::OnCommand(UINT id) {
  switch (id) {
    case IDM_ABOUTBOX:
      ShowAboutBox();
      break;
    case ID_SHOW_LIST:
      ShowOrHideList();
      break;
    case ID_CHECK_NOW:
      engine_->CheckNow();
      break;
    case ID_SETTINGS:
      OpenSettings();
      break;
    case ID_START_MAILER:
      StartMailProgram();
      break;
    case ID_APP_EXIT:
      ExitProgram();
      break;
    default:
      break;
  }
}

std::optional<LRESULT> MainDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        HideIntoTray();
        return 0;
      }
      if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        AboutBox().RunModal(hwnd());
        return 0;
      }
      return std::nullopt;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_SOCKET_EVENT:
      RouteSocketEvent(wParam, lParam);
      return 0;
    case WM_SOCKET_LINE:
      return RouteSocketLine(wParam, lParam);
    case WM_HOTKEY:
      if (wParam == kListHotKeyId) ToggleListWindow();
      return 0;
    case WM_OPEN_IN_EDITOR:
      OpenInEditor(reinterpret_cast<const MailItem*>(lParam));
      return 0;
    case WM_SETTINGS_APPLIED:
      accountsUnsaved_ = true;
      ApplySettings();
      return 0;
    case WM_UPDATE_FOUND:
      ShowUpdateNotice();
      return 0;
    case WM_SHOW_ERROR_BOX:
      ShowNextErrorBox();
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
        OnNetworkWake("resumed from sleep");
      }
      return TRUE;
    case WM_NETWORK_CHANGED:
      OnNetworkWake("network changed");
      return 0;
    case WM_SETTINGCHANGE:
      OnSettingChange(reinterpret_cast<const wchar_t*>(lParam));
      return std::nullopt;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam));
      return 0;
    case WM_ASSUME_NETWORK:
      assumedNetwork_ = static_cast<int>(wParam);
      return 0;
    case WM_ASSUME_ATTENTION:
      assumedAttention_ = static_cast<int>(wParam);
      CheckHeldAnnouncement();
      return 0;
    case WM_CLOSE:
      if (sheet_ != nullptr) {
        CancelSheetForExit();
        return 0;
      }
      StopForExit();
      DestroyWindow(hwnd());
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) OnEndSession();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
