#include "core/check/headless_check_host.h"

#include <algorithm>
#include <cstdio>

namespace postwink {

HeadlessCheckHost::HeadlessCheckHost(System& system, const CharsetConverter& converter,
                                     const TimeZoneSource& zones, const Settings& settings,
                                     LogFile* log, std::string tempFolder)
    : system_(system),
      log_(log),
      items_(system, converter, zones, settings, std::move(tempFolder),
             settings.log != 0 && log != nullptr) {}

void HeadlessCheckHost::StartTimer(CheckTimer timer, int periodMs) {
  periodMs = std::max(periodMs, 1);
  timers_[timer] = {periodMs, system_.clock.MonotonicMs() + periodMs};
}

void HeadlessCheckHost::StopTimer(CheckTimer timer) { timers_.erase(timer); }

namespace {
constexpr int64_t kPushPollMs = 20;
}  // namespace

void HeadlessCheckHost::Run(CheckEngine& engine, PumpedTransport& transport,
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
    // Push connections have transports of their own (made by MakePlatformTransport): each is
    // looked at without waiting, and the wait is kept short while any is open.
    engine.PushTick();
    for (PushConnection* push : engine.PushConnections()) {
      static_cast<PumpedTransport&>(push->GetTransport()).Pump(0, *push);
      wait = std::min<int64_t>(wait, kPushPollMs);
    }
    transport.Pump(static_cast<int>(std::max<int64_t>(wait, 0)), engine);
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

void HeadlessCheckHost::ShowErrorBox(const std::string& text, const std::string& caption) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void HeadlessCheckHost::LogSeparator(std::string_view label) {
  if (log_) log_->LogSeparator(label);
}

int64_t HeadlessCheckHost::MonotonicMs() { return system_.clock.MonotonicMs(); }

void HeadlessCheckHost::Log(std::string_view text) {
  if (log_) log_->LogLine(text);
}

void HeadlessCheckHost::OnStatReply() { items_.RefreshZone(); }

void HeadlessCheckHost::RefilterItem(MailItem& item) { items_.RefilterItem(item); }

std::unique_ptr<MailItem> HeadlessCheckHost::BuildItem(Account& account, std::string_view text,
                                                       std::optional<std::string_view> sizeText) {
  std::unique_ptr<MailItem> item = items_.BuildItem(account, text, sizeText);
  if (item && !keepPreviewText) item->previewText.reset();
  return item;
}

std::string HeadlessCheckHost::Identity(std::string_view text) { return items_.Identity(text); }

void HeadlessCheckHost::AccountCheckEnded(int position, const std::string* error) {
  if (onAccountEnded) onAccountEnded(position, error);
}

void HeadlessCheckHost::NewMailAnnounced(const std::vector<const MailItem*>& items) {
  if (onNewMail) onNewMail(items);
}

}  // namespace postwink
