#include "posix/check_host_posix.h"

#include <algorithm>
#include <cstdio>

#include "core/filter/filter_eval.h"
#include "core/filter/regex_facility.h"
#include "core/mime/message_identity.h"
#include "core/mime/parse_message.h"

namespace postwink {

PosixCheckHost::PosixCheckHost(System& system, const Settings& settings, LogFile* log,
                               std::string tempFolder)
    : system_(system),
      settings_(settings),
      log_(log),
      tempFolder_(std::move(tempFolder)),
      charsets_{system.codePage, PlatformCharsetConverter()},
      zone_{PlatformTimeZone()} {}

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

void PosixCheckHost::OnStatReply() { RefreshLocalZone(zone_); }

void PosixCheckHost::RefilterItem(MailItem& item) {
  EvaluateFilters(item, settings_.filters, settings_, &BuiltInRegex());
}

std::unique_ptr<MailItem> PosixCheckHost::BuildItem(Account& account, std::string_view text,
                                                    std::optional<std::string_view> sizeText) {
  MailColours colours;
  colours.received = static_cast<uint32_t>(settings_.st3Rgb);
  colours.from = static_cast<uint32_t>(settings_.st1Rgb);
  colours.subject = static_cast<uint32_t>(settings_.st2Rgb);
  colours.back = static_cast<uint32_t>(settings_.bgRgb);
  auto item = std::make_unique<MailItem>(colours);
  item->account = &account;
  ParseOptions options{charsets_, zone_};
  options.showHeader = settings_.showHeader == 1;
  options.log = settings_.log != 0 && log_ != nullptr;
  options.files = &system_.files;
  options.tempFolder = tempFolder_;
  ParseMessage(*item, text, sizeText, options);
  RefilterItem(*item);
  return item;
}

std::string PosixCheckHost::Identity(std::string_view text) { return MessageIdentity(text); }

void PosixCheckHost::AccountCheckEnded(int position, const std::string* error) {
  if (onAccountEnded) onAccountEnded(position, error);
}

void PosixCheckHost::NewMailAnnounced(const std::vector<const MailItem*>& items) {
  if (onNewMail) onNewMail(items);
}

}  // namespace postwink
