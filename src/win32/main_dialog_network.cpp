// MainDialog after sleep and network changes: the accounts are checked again and the push
// connections opened afresh once the network is usable, and both wait rather than fail while it
// is not.
#include "main_dialog.h"

#include <wininet.h>

#include <string>

namespace postwink::win {

bool MainDialog::NetworkUsable() {
  if (assumedNetwork_ != 0) return assumedNetwork_ == 1;
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}

void MainDialog::OnNetworkWake(std::string_view why) {
  Log(std::string(why) + ": waiting for the network");
  reconnect_.OnWake(MonotonicMs());
  downLogged_ = false;
  SetTimer(hwnd(), TIMER_RECONNECT, kReconnectPollMs, nullptr);
}

void MainDialog::ReopenPushConnections() {
  // A link from before the sleep or the change may be dead without a word from either end:
  // IDLE waits on it until the next renewal. Opened afresh, the connections fetch what came.
  if (!engine_ || engine_->PushConnections().empty()) return;
  Log("push connections: reconnecting");
  engine_->RestartPushes();
  RunPushConnections();
}

void MainDialog::PollReconnect() {
  const bool usable = NetworkUsable();
  switch (reconnect_.OnPoll(MonotonicMs(), usable)) {
    case ReconnectPlanner::Action::kCheck:
      KillTimer(hwnd(), TIMER_RECONNECT);
      Log("network usable: checking");
      ReopenPushConnections();
      // A cycle already running takes the accounts with it.
      if (engine_ && engine_->CanCheckNow()) engine_->CheckNow();
      return;
    case ReconnectPlanner::Action::kGiveUp:
      KillTimer(hwnd(), TIMER_RECONNECT);
      Log("network still not usable: left to the interval");
      // Their retries and back-off take over.
      ReopenPushConnections();
      return;
    case ReconnectPlanner::Action::kNone:
      if (!usable && reconnect_.Waiting() && !downLogged_) {
        downLogged_ = true;
        Log("network not usable yet");
      }
      return;
  }
}

}  // namespace postwink::win
