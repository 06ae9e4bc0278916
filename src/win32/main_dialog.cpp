#include "main_dialog.h"

#include "core/config/account.h"
#include "win32/checker_app.h"
#include "win32/resource.h"
#include "win32/texts.h"
#include "win32/wide_text.h"

namespace postwink::win {

// The tray icon of the main window: a press on it acknowledges new mail first.
class MainDialog::MainTray : public CSystemTray {
 public:
  explicit MainTray(MainDialog& owner) : owner_(owner) {}

 protected:
  LRESULT OnTrayNotification(WPARAM id, LPARAM mouseMessage) override {
    UINT mouse = LOWORD(mouseMessage);
    if (id == kTrayIconId && (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN) &&
        owner_.IsAlive()) {
      owner_.AcknowledgeNewMail();
    }
    return CSystemTray::OnTrayNotification(id, mouseMessage);
  }
  void PrepareMenu(HMENU menu) override {
    if (owner_.app_.GetSettings().mua.empty()) {
      EnableMenuItem(menu, ID_START_MAILER, MF_BYCOMMAND | MF_GRAYED);
    }
  }

 private:
  MainDialog& owner_;
};

MainDialog::MainDialog(CheckerApp& app) : app_(app), tray_(std::make_unique<MainTray>(*this)) {}

MainDialog::~MainDialog() { Destroy(); }

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

  const Settings& settings = app_.GetSettings();
  accounts_ = LoadAccounts(app_.SettingsPath(), app_.GetSystem(), settings.st2Rgb);
  updateAccount_.mailbox = kTextProgramName;
  updateAccount_.enabled = 0;
  updateAccount_.colour = 0x0000FF;

  tray_->Create(hwnd(), WM_TRAY_NOTIFY, kTextProgramName, normal, kTrayIconId, true);
  tray_->SetTarget(hwnd());
  tray_->SetDefaultItem(ID_SHOW_LIST);

  // A missing settings file opens the settings sheet here once the sheet exists; until then
  // the defaults simply apply.

  SetTimer(hwnd(), TIMER_MINUTE, 60000, nullptr);
}

void MainDialog::AcknowledgeNewMail() {
  tray_->SetTooltipText(kTextProgramName);
  if (newMail_) {
    tray_->StopAnimation();
    newMail_ = false;
  }
}

void MainDialog::HideIntoTray() {
  tray_->Show();
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
    case ID_APP_EXIT:
      ExitProgram();
      break;
    default:
      break;
  }
}

std::optional<LRESULT> MainDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        HideIntoTray();
        return 0;
      }
      return std::nullopt;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      KillTimer(hwnd(), TIMER_MINUTE);
      DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
