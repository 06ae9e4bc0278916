#pragma once
// The check engine's host for running without a window (postwink-cli): timers on the monotonic
// clock, a transport that waits for its own events, the log file, the real parser and filters.
// There is no tray or list window; what the engine would show is kept for the caller, and the
// runner's callbacks report account outcomes and announced mail as they happen.

#include <csignal>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/check/check_engine.h"
#include "core/check/item_factory.h"
#include "core/config/log_file.h"
#include "core/config/settings.h"
#include "core/platform/system.h"

namespace postwink {

// A transport that waits for its own events, for hosts without a window.
class PumpedTransport : public Transport {
 public:
  // Waits up to timeoutMs for the open connection (or just sleeps when there is none) and
  // delivers at most one round of events. Returns false when interrupted by a signal.
  virtual bool Pump(int timeoutMs, TransportEvents& owner) = 0;
  virtual bool HasConnection() const = 0;
};

// The platform's own: poll() on POSIX, Winsock with a message-only window on Windows.
std::unique_ptr<PumpedTransport> MakePlatformTransport();

class HeadlessCheckHost : public CheckHost {
 public:
  // log may be null (no log). tempFolder ends in a separator; it receives the message dumps
  // when LOG is on.
  HeadlessCheckHost(System& system, const CharsetConverter& converter, const TimeZoneSource& zones,
                    const Settings& settings, LogFile* log, std::string tempFolder);

  std::function<void(int position, const std::string* error)> onAccountEnded;
  std::function<void(const std::vector<const MailItem*>& items)> onNewMail;

  // Runs timers and socket events until done() is true or *interrupted is set.
  void Run(CheckEngine& engine, PumpedTransport& transport, const std::function<bool()>& done,
           const volatile std::sig_atomic_t* interrupted);

  // CheckHost
  void StartTimer(CheckTimer timer, int periodMs) override;
  void StopTimer(CheckTimer timer) override;
  void SetTrayFrames(TrayFrames) override {}
  void StartTrayAnimation(int) override {}
  void StopTrayAnimation() override {}
  void AddTrayFrame(TrayIcon) override {}
  void SetTrayIcon(TrayIcon) override {}
  void SetToolTip(const std::string& text) override { toolTip = text; }
  void ShowErrorBox(const std::string& text, const std::string& caption) override;
  void PlaySoundFile(const std::string&) override {}
  bool InternetConnected() override { return true; }
  bool ListWindowOpen() override { return false; }
  void RefreshListWindow(bool) override {}
  void ShowNewListWindow() override {}
  void SetListWindowTopMost(bool) override {}
  void LogSeparator(std::string_view label) override;
  int64_t MonotonicMs() override;
  void RefilterItem(MailItem& item) override;
  void AccountCheckEnded(int position, const std::string* error) override;
  void NewMailAnnounced(const std::vector<const MailItem*>& items) override;

  // SessionHost
  std::unique_ptr<MailItem> BuildItem(Account& account, std::string_view text,
                                      std::optional<std::string_view> sizeText) override;
  std::string Identity(std::string_view text) override;
  void Log(std::string_view text) override;
  void OnStatReply() override;

  std::string toolTip;
  // Nothing headless shows a preview: check and watch let each body text go once its item is
  // built (parsed, its attachment flag set, filtered), so memory holds the list fields only.
  bool keepPreviewText = true;
  // A batch check need not pause between accounts: the step timer then ticks as soon as no
  // connection is open, which changes no order or result, only the idle time.
  bool immediateSteps = false;

 private:
  System& system_;
  LogFile* log_;
  ItemFactory items_;
  std::map<CheckTimer, std::pair<int, int64_t>> timers_;  // period, next due
};

}  // namespace postwink
