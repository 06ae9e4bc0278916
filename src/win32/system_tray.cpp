#include "system_tray.h"

#include "core/text/utf8.h"
#include "win32/handles.h"
#include "win32/resource.h"
#include "win32/wide_text.h"

namespace postwink::win {

CSystemTray::CSystemTray()
    : enabled_(LOBYTE(LOWORD(GetVersion())) >= 4),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {}

CSystemTray::~CSystemTray() {
  if (!removed_) Remove();
  Destroy();
}

bool CSystemTray::Create(HWND target, UINT callbackMessage, const std::string& tip, HICON icon,
                         UINT id, bool hidden) {
  if (!enabled_) return false;
  WindowArgs args;
  args.className = L"PostwinkTrayWnd";
  args.style = WS_POPUP;
  if (!CreateWindowFrom(args)) return false;
  target_ = target;
  data_ = {};
  data_.cbSize = sizeof data_;
  data_.hWnd = hwnd();
  data_.uID = id;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  SetTooltipText(tip);
  savedFlags_ = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  hidden_ = true;
  removed_ = true;
  if (hidden) return true;
  return Show();
}

bool CSystemTray::Notify(DWORD message, UINT flags) {
  data_.uFlags = flags;
  return Shell_NotifyIconW(message, &data_) != 0;
}

bool CSystemTray::Show() {
  if (!enabled_ || !hwnd()) return false;
  if (!removed_ && !hidden_) return true;
  if (!removed_) Notify(NIM_DELETE, 0);
  if (Notify(NIM_ADD, savedFlags_)) {
    hidden_ = false;
    removed_ = false;
    StopRetries();
    return true;
  }
  if (!pending_) StartRetries();
  return false;
}

void CSystemTray::StartRetries() {
  pending_ = true;
  retriesLeft_ = kTrayRetries;
  SetTimer(hwnd(), TIMER_TRAY_RETRY, kTrayRetryMs, nullptr);
}

void CSystemTray::StopRetries() {
  if (pending_ && hwnd()) KillTimer(hwnd(), TIMER_TRAY_RETRY);
  pending_ = false;
  retriesLeft_ = 0;
}

bool CSystemTray::Remove() {
  if (!enabled_ || !hwnd()) return false;
  // An icon that was never added is not added later either.
  StopRetries();
  if (!Notify(NIM_DELETE, 0)) return false;
  hidden_ = true;
  removed_ = true;
  return true;
}

bool CSystemTray::SetIcon(HICON icon) {
  if (!enabled_) return false;
  data_.hIcon = icon;
  if (hidden_) return true;
  return Notify(NIM_MODIFY, NIF_ICON);
}

namespace {

template <size_t N>
void CopyToField(const std::wstring& text, wchar_t (&field)[N]) {
  std::wstring fitted = FitToField(text, N);
  std::copy(fitted.begin(), fitted.end(), field);
  field[fitted.size()] = L'\0';
}

}  // namespace

std::wstring FitToField(std::wstring text, size_t capacity) {
  if (capacity == 0) return {};
  if (text.size() > capacity - 1) {
    text.resize(capacity - 1);
    if (!text.empty() && IS_HIGH_SURROGATE(text.back())) text.pop_back();
  }
  return text;
}

bool CSystemTray::SetTooltipText(const std::string& tip) {
  if (!enabled_) return false;
  CopyToField(Widen(CutToUtf16Units(tip, kTrayTipUnits)), data_.szTip);
  if (hidden_) return true;
  return Notify(NIM_MODIFY, NIF_TIP);
}

bool CSystemTray::ShowBalloon(const std::string& title, const std::string& text, HICON picture) {
  if (!enabled_ || hidden_) return false;
  CopyToField(Widen(title), data_.szInfoTitle);
  CopyToField(Widen(text), data_.szInfo);
  data_.dwInfoFlags = NIIF_USER | NIIF_LARGE_ICON;
  data_.hBalloonIcon = picture;
  const bool shown = Notify(NIM_MODIFY, NIF_INFO);
  // Later changes of the icon or its tip must not show the notification again.
  data_.szInfo[0] = L'\0';
  return shown;
}

std::string CSystemTray::TooltipText() const { return Narrow(data_.szTip); }

void CSystemTray::SetFrames(const std::vector<HICON>& frames) { frames_ = frames; }

void CSystemTray::SwapPictures(const std::function<HICON(HICON)>& swap) {
  auto swapOne = [&swap](HICON& picture) {
    if (HICON other = swap(picture)) picture = other;
  };
  for (HICON& frame : frames_) swapOne(frame);
  swapOne(iconBeforeAnimation_);
  swapOne(data_.hBalloonIcon);
  HICON shown = data_.hIcon;
  swapOne(shown);
  if (shown != data_.hIcon) SetIcon(shown);
}

void CSystemTray::AddFrame(HICON icon) { frames_.push_back(icon); }

bool CSystemTray::StartAnimation(UINT milliseconds, int limitSeconds) {
  if (!enabled_ || !hwnd()) return false;
  StopAnimation();
  frameIndex_ = 0;
  animationStart_ = GetTickCount64();
  animationLimit_ = limitSeconds;
  iconBeforeAnimation_ = data_.hIcon;
  animating_ = SetTimer(hwnd(), TIMER_TRAY_ANIMATION, milliseconds, nullptr) != 0;
  return animating_;
}

void CSystemTray::StopAnimation() {
  if (animating_ && hwnd()) KillTimer(hwnd(), TIMER_TRAY_ANIMATION);
  animating_ = false;
  if (iconBeforeAnimation_) SetIcon(iconBeforeAnimation_);
  iconBeforeAnimation_ = nullptr;
}

void CSystemTray::StepAnimation() {
  if (animationLimit_ > 0 &&
      GetTickCount64() - animationStart_ > static_cast<uint64_t>(animationLimit_) * 1000) {
    StopAnimation();
    return;
  }
  if (frames_.empty()) return;
  frameIndex_ = (frameIndex_ + 1) % frames_.size();
  SetIcon(frames_[frameIndex_]);
}

HWND CSystemTray::Target() const {
  if (target_) return target_;
  // Without a target the menu goes to the window that owns the message loop of this thread.
  return GetAncestor(GetActiveWindow(), GA_ROOTOWNER);
}

LRESULT CSystemTray::OnTrayNotification(WPARAM id, LPARAM mouseMessage) {
  if (id != data_.uID) return 0;
  switch (LOWORD(mouseMessage)) {
    case WM_LBUTTONDBLCLK:
      if (HWND target = Target()) {
        SetForegroundWindow(target);
        SendMessageW(target, WM_COMMAND, defaultItem_, 0);
      }
      break;
    case WM_RBUTTONUP:
      ShowMenu();
      break;
    default:
      break;
  }
  return 1;
}

void CSystemTray::ShowMenu() {
  HWND target = Target();
  if (!target) return;
  MenuHandle menu(LoadMenuW(ProgramInstance(), MAKEINTRESOURCEW(IDR_TRAYMENU)));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu.get(), 0);
  if (!popup) return;
  PrepareMenu(popup);
  if (defaultItem_) SetMenuDefaultItem(popup, defaultItem_, FALSE);
  POINT pt;
  GetCursorPos(&pt);
  SetForegroundWindow(target);
  TrackPopupMenu(popup, TPM_LEFTALIGN, pt.x, pt.y, 0, target, nullptr);
  // Without this the menu would not close when the user clicks elsewhere.
  PostMessageW(target, WM_NULL, 0, 0);
}

std::optional<LRESULT> CSystemTray::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == data_.uCallbackMessage && msg != 0) return OnTrayNotification(wParam, lParam);
  if (msg == WM_TIMER && wParam == TIMER_TRAY_ANIMATION) {
    StepAnimation();
    return 0;
  }
  if (msg == WM_TIMER && wParam == TIMER_TRAY_RETRY) {
    if (pending_ && --retriesLeft_ > 0) {
      Show();
    } else {
      StopRetries();
    }
    return 0;
  }
  if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
    // The shell restarted: the icon is gone from the new task bar. Deleting first makes the add
    // work too when the old icon happens to be still known.
    if (!hidden_) {
      hidden_ = true;
      removed_ = false;
      Show();
    } else if (pending_) {
      // The task bar came after a failed first add (a program started at log-on).
      Show();
    }
    return 0;
  }
  return std::nullopt;
}

}  // namespace postwink::win
