// MainDialog's IMAP push connections: every account that waits with IDLE has a connection and a
// Winsock transport of its own, all posting to this window; a timer runs their answer deadlines,
// IDLE renewals and retries. What they bring goes through the engine like a check's mail.
#include <memory>

#include "main_dialog.h"

namespace postwink::win {

void MainDialog::EnablePushConnections() {
  engine_->EnablePush([this] { return std::make_unique<WinsockTransport>(hwnd()); });
  RunPushConnections();
}

void MainDialog::RunPushConnections() {
  SetTimer(hwnd(), TIMER_PUSH, kPushTickMs, nullptr);
  OnPushTimer();
}

void MainDialog::OnPushTimer() {
  // While the network is awaited after a resume or a change, nothing connects or fails: the
  // connections are opened afresh once it is usable.
  if (reconnect_.Waiting()) return;
  engine_->PushTick();
  // Without a push account the timer would only wake the machine.
  if (engine_->PushConnections().empty()) KillTimer(hwnd(), TIMER_PUSH);
}

void MainDialog::RouteSocketEvent(WPARAM wParam, LPARAM lParam) {
  if (transport_->DispatchSocketEvent(*engine_, wParam, lParam)) return;
  for (PushConnection* push : engine_->PushConnections()) {
    // The connection it concerns handles it and nothing more is looked at.
    auto& transport = static_cast<WinsockTransport&>(push->GetTransport());
    if (transport.DispatchSocketEvent(*push, wParam, lParam)) return;
  }
}

LRESULT MainDialog::RouteSocketLine(WPARAM length, LPARAM text) {
  WinsockTransport* receiving = WinsockTransport::Receiving();
  return receiving != nullptr ? receiving->DeliverLine(length, text) : 0;
}

}  // namespace postwink::win
