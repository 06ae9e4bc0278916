#pragma once
// Everything the check engine needs from the program around it: timers, the tray icon, message
// boxes, sound, the list window, the Internet-connection test, the log, and the parser and
// filters that turn a fetched text into an item. The Win32 main window and the POSIX runner
// each implement it; the unit tests use a fake with a virtual clock.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/mime/mail_item.h"
#include "core/pop3/pop3_session.h"

namespace postwink {

enum class CheckTimer { kCheckStep = 4, kMinute = 6, kServerTimeout = 7 };

enum class TrayFrames { kReceiving, kNewMail };
enum class TrayIcon { kNormal, kError };

class CheckHost : public SessionHost {
 public:
  // Starts (or restarts) a periodic timer.
  virtual void StartTimer(CheckTimer timer, int periodMs) = 0;
  virtual void StopTimer(CheckTimer timer) = 0;

  virtual void SetTrayFrames(TrayFrames frames) = 0;
  virtual void StartTrayAnimation(int msPerFrame) = 0;
  // Puts back the icon shown when the animation started.
  virtual void StopTrayAnimation() = 0;
  virtual void AddTrayFrame(TrayIcon icon) = 0;
  virtual void SetTrayIcon(TrayIcon icon) = 0;
  virtual void SetToolTip(const std::string& text) = 0;

  // A box with the error icon and an OK button. The engine calls this from inside socket reads:
  // a host with a message loop shows it only after the read has unwound (ErrorBoxQueue).
  virtual void ShowErrorBox(const std::string& text, const std::string& caption) = 0;
  virtual void PlaySoundFile(const std::string& path) = 0;
  virtual bool InternetConnected() = 0;

  virtual bool ListWindowOpen() = 0;
  // Fills the open list window from the DisplayList and fits it; raise also brings it to the
  // top without activating it.
  virtual void RefreshListWindow(bool raise) = 0;
  // A new top-most list window, not activated.
  virtual void ShowNewListWindow() = 0;
  virtual void SetListWindowTopMost(bool topMost) = 0;

  virtual void LogSeparator(std::string_view label) = 0;
  // A clock that never jumps, for the pace of a server's replies.
  virtual int64_t MonotonicMs() = 0;

  // Notices for hosts that report as they go (the headless runner); the window ignores them.
  // An account's check ended: error is null when it ended normally, else the text (possibly
  // empty) of its failure.
  virtual void AccountCheckEnded(int /*position*/, const std::string* /*error*/) {}
  // A cycle's merge added these countable items and announces them.
  virtual void NewMailAnnounced(const std::vector<const MailItem*>& /*items*/) {}
  // The account failed because its OAuth sign-in is gone (revoked, expired, never made): a host
  // with a browser may offer the sign-in again.
  virtual void SignInNeeded(int /*position*/) {}
  // Runs the filters again over an item (after the settings were applied).
  virtual void RefilterItem(MailItem& item) = 0;
};

}  // namespace postwink
