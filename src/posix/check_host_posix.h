#pragma once
// The check engine's host for running headless on POSIX: timers on the monotonic clock, the
// poll() transport, the log file, the real parser and filters. There is no tray or list window;
// what the engine would show is kept for the caller, and the runner's callbacks report account
// outcomes and announced mail as they happen.

#include <csignal>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/check/check_engine.h"
#include "core/config/log_file.h"
#include "core/config/settings.h"
#include "core/mime/charset.h"
#include "core/mime/date.h"
#include "core/platform/system.h"
#include "posix/transport_posix.h"

namespace postwink {

class PosixCheckHost : public CheckHost {
 public:
  // log may be null (no log). tempFolder ends in a separator; it receives the message dumps
  // when LOG is on.
  PosixCheckHost(System& system, const Settings& settings, LogFile* log, std::string tempFolder);

  std::function<void(int position, const std::string* error)> onAccountEnded;
  std::function<void(const std::vector<const MailItem*>& items)> onNewMail;

  // Runs timers and socket events until done() is true or *interrupted is set.
  void Run(CheckEngine& engine, PosixTransport& transport, const std::function<bool()>& done,
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

 private:
  System& system_;
  const Settings& settings_;
  LogFile* log_;
  std::string tempFolder_;
  CharsetContext charsets_;
  LocalZone zone_;
  std::map<CheckTimer, std::pair<int, int64_t>> timers_;  // period, next due
};

}  // namespace postwink
