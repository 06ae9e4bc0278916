#include "posix/check_host_posix.h"

#include <algorithm>
#include <cstdio>

#include "core/filter/regex_facility.h"
#include "core/mime/message_identity.h"

namespace postwink {

PosixCheckHost::PosixCheckHost(System& system, const Settings& settings, LogFile* log,
                               std::string tempFolder)
    : system_(system),
      settings_(settings),
      log_(log),
      tempFolder_(std::move(tempFolder)),
      charsets_{system.codePage, PlatformCharsetConverter()},
      zone_{PlatformTimeZone()},
      items_(settings, charsets_, zone_, &BuiltInRegex(), &system.files, tempFolder_) {}

void PosixCheckHost::StartTimer(CheckTimer timer, int periodMs) {
  periodMs = std::max(periodMs, 1);
  timers_[timer] = {periodMs, system_.clock.MonotonicMs() + periodMs};
}

void PosixCheckHost::StopTimer(CheckTimer timer) { timers_.erase(timer); }

void PosixCheckHost::Run(CheckEngine& engine, PosixTransport& transport,
                         const std::function<bool()>& done,
                         const volatile std::sig_atomic_t* interrupted) {
  while (!done() && !(interrupted && *interrupted)) {
    int64_t now = system_.clock.MonotonicMs();
    if (immediateSteps && !transport.HasConnection()) {
      auto step = timers_.find(CheckTimer::kCheckStep);
      if (step != timers_.end()) step->second.second = now;
    }
    int64_t wait = 1000;
    for (const auto& [timer, t] : timers_) wait = std::min(wait, t.second - now);
    transport.Poll(static_cast<int>(std::max<int64_t>(wait, 0)), engine);
    if (interrupted && *interrupted) break;
    now = system_.clock.MonotonicMs();
    // Fire each due timer once; one that the engine stops or restarts meanwhile is skipped.
    for (CheckTimer timer :
         {CheckTimer::kServerTimeout, CheckTimer::kMinute, CheckTimer::kCheckStep}) {
      auto it = timers_.find(timer);
      if (it == timers_.end() || it->second.second > now) continue;
      it->second.second = now + it->second.first;
      engine.OnTimer(timer);
    }
  }
}

void PosixCheckHost::ShowErrorBox(const std::string& text, const std::string& caption) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void PosixCheckHost::LogSeparator(std::string_view label) {
  if (log_) log_->LogSeparator(label);
}

void PosixCheckHost::Log(std::string_view text) {
  if (log_) log_->LogLine(text);
}

void PosixCheckHost::OnStatReply() { items_.RefreshZone(); }

void PosixCheckHost::RefilterItem(MailItem& item) { items_.Refilter(item); }

std::unique_ptr<MailItem> PosixCheckHost::BuildItem(Account& account, std::string_view text,
                                                    std::optional<std::string_view> sizeText) {
  return items_.Build(account, text, sizeText, log_ != nullptr);
}

std::string PosixCheckHost::Identity(std::string_view text) { return MessageIdentity(text); }

void PosixCheckHost::AccountCheckEnded(int position, const std::string* error) {
  if (onAccountEnded) onAccountEnded(position, error);
}

void PosixCheckHost::NewMailAnnounced(const std::vector<const MailItem*>& items) {
  if (onNewMail) onNewMail(items);
}

}  // namespace postwink
