#pragma once
// CSystemTray: the program's icon in the notification area, with its tool tip, its animation
// and its menu. It owns an invisible window of its own that receives the shell's callbacks.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "win32/platform/windows_headers.h"

#include "win32/wnd.h"

namespace postwink::win {

inline constexpr UINT WM_TRAY_NOTIFY = 0x800A;
inline constexpr UINT kTrayIconId = 130;
inline constexpr UINT_PTR TIMER_TRAY_ANIMATION = 4567;
inline constexpr size_t kTrayTipUnits = 127;
// A failed add (the task bar does not exist yet, at log-on) is tried again this often, for two
// minutes, and whenever the task bar announces itself.
inline constexpr UINT_PTR TIMER_TRAY_RETRY = 4568;
inline constexpr UINT kTrayRetryMs = 1000;
inline constexpr int kTrayRetries = 120;

// As much of the text as a field of the shell's notify data holds with its NUL, never half a
// surrogate pair.
std::wstring FitToField(std::wstring text, size_t capacity);

class CSystemTray : public Wnd {
 public:
  CSystemTray();
  ~CSystemTray() override;

  // Creates the tray's own window and fills the notify data; unless hidden, adds the icon.
  bool Create(HWND target, UINT callbackMessage, const std::string& tip, HICON icon, UINT id,
              bool hidden);
  bool Show();
  bool Remove();
  bool SetIcon(HICON icon);
  // At most 127 UTF-16 units, cut at a character boundary.
  bool SetTooltipText(const std::string& tip);
  // The icon's notification (a balloon; a toast kept in the notification centre on Windows 10
  // and later), with the given picture; texts in code page 932, cut to the shell's fields.
  bool ShowBalloon(const std::string& title, const std::string& text, HICON picture);
  void SetFrames(const std::vector<HICON>& frames);
  // Puts swap(picture) in place of every picture the icon shows or will show (the current one,
  // the frames, the one after the animation); a picture swap gives none for stays.
  void SwapPictures(const std::function<HICON(HICON)>& swap);
  void AddFrame(HICON icon);
  // limitSeconds -1 animates until stopped.
  bool StartAnimation(UINT milliseconds, int limitSeconds);
  void StopAnimation();
  void SetTarget(HWND target) { target_ = target; }
  void SetDefaultItem(UINT id) { defaultItem_ = id; }

  bool IsHidden() const { return hidden_; }
  bool IsRemoved() const { return removed_; }
  bool IsPending() const { return pending_; }
  bool IsAnimating() const { return animating_; }
  HICON CurrentIcon() const { return data_.hIcon; }
  size_t FrameCount() const { return frames_.size(); }
  size_t FrameIndex() const { return frameIndex_; }
  std::string TooltipText() const;

 protected:
  // The shell's mouse message for the icon.
  virtual LRESULT OnTrayNotification(WPARAM id, LPARAM mouseMessage);
  // Greys or decorates items of the tray menu before it is shown.
  virtual void PrepareMenu(HMENU) {}
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  HWND Target() const;
  void StepAnimation();
  // Shell_NotifyIcon with the stored data.
  virtual bool Notify(DWORD message, UINT flags);

 private:
  void ShowMenu();
  void StartRetries();
  void StopRetries();

  bool enabled_;
  NOTIFYICONDATAW data_{};
  bool hidden_ = true;
  bool removed_ = true;
  bool pending_ = false;
  int retriesLeft_ = 0;
  UINT savedFlags_ = 0;
  std::vector<HICON> frames_;
  size_t frameIndex_ = 0;
  bool animating_ = false;
  uint64_t animationStart_ = 0;
  int animationLimit_ = -1;
  HICON iconBeforeAnimation_ = nullptr;
  HWND target_ = nullptr;
  UINT defaultItem_ = 0;
  UINT taskbarCreated_;
};

}  // namespace postwink::win
