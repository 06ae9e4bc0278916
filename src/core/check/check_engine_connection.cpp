// The engine's side of one open connection: connecting address after address, TLS, the lines
// read and the replies sent, and a server that goes silent. The cycle decides what to check;
// this carries it out.
#include <algorithm>

#include "core/check/access_token.h"
#include "core/check/check_engine.h"
#include "core/check/check_texts.h"
#include "core/net/net_texts.h"
#include "core/pop3/pop3_texts.h"

namespace postwink {

bool CheckEngine::Connect(int position) {
  while (true) {
    host_.Log("connect...");
    connected_ = false;
    startTlsDue_ = false;
    sendFailed_ = false;
    OpenResult opened = transport_.OpenConnection(addresses_[addressIndex_], port_);
    activeSocket_ = opened.socket;
    if (opened.socket != kNoSocket) {
      MarkReplyStart();
      return true;
    }
    if (addressIndex_ + 1 >= addresses_.size()) {
      FailAccount(position, opened.error);
      return false;
    }
    ++addressIndex_;
  }
}

bool CheckEngine::TryNextAddress() {
  if (current_ == nullptr || connected_ || addressIndex_ + 1 >= addresses_.size()) return false;
  transport_.CloseConnection(activeSocket_);
  ++addressIndex_;
  host_.StartTimer(CheckTimer::kServerTimeout, ServerTimeoutMs(settings_.svTimeout));
  Connect(PositionOf(current_));
  return true;
}

bool CheckEngine::StartTls() {
  startTlsDue_ = false;
  TlsFailure failure = transport_.StartTls(activeSocket_, tlsTarget_);
  if (failure == TlsFailure::kNone) {
    MarkReplyStart();
    return true;
  }
  FailAccount(PositionOf(current_), TlsFailureText(failure));
  return false;
}

bool CheckEngine::Secured() {
  Account* account = current_;
  if (account == nullptr) return false;
  SessionReply reply = active_->OnSecured(*account);
  SendReply(reply, *account);
  if (reply.goOn) return true;
  FailAccount(PositionOf(current_), reply.error);
  return false;
}

void CheckEngine::MarkReplyStart() {
  replyStartMs_ = host_.MonotonicMs();
  replyStartBytes_ = transport_.ReceivedBytes();
}

bool CheckEngine::ReplyTooSlow() {
  uint64_t bytes = transport_.ReceivedBytes() - replyStartBytes_;
  int64_t allowed = ServerTimeoutMs(settings_.svTimeout) +
                    static_cast<int64_t>(std::min<uint64_t>(bytes, uint64_t{1} << 40) * 1000 /
                                         kMinReplyBytesPerSecond);
  return host_.MonotonicMs() - replyStartMs_ > allowed;
}

void CheckEngine::OnSocketEvent(SocketHandle socket, SocketEvent event, int error) {
  Guarded([&] { HandleSocketEvent(socket, event, error); });
}

void CheckEngine::HandleSocketEvent(SocketHandle socket, SocketEvent event, int error) {
  // Events of a connection already closed may still be queued; they concern nobody.
  if (activeSocket_ == kNoSocket || socket != activeSocket_) return;
  if (error != 0) {
    if (event == SocketEvent::kConnect && TryNextAddress()) return;
    const char* text = texts::kDisconnected;
    if (event == SocketEvent::kRead || event == SocketEvent::kWrite) text = texts::kTransferError;
    if (event == SocketEvent::kConnect) {
      text = error == kLookupFailedError ? texts::kResolveFailed : texts::kConnectFailed;
    }
    FailAccount(PositionOf(current_), text);
    return;
  }
  switch (event) {
    case SocketEvent::kConnect:
      connected_ = true;
      if (security_.mode == SecurityMode::kTls) StartTls();
      break;
    case SocketEvent::kRead: {
      ReceiveStatus status = transport_.ReceiveLines(
          socket, [this](std::string_view line) { return ReceiveLine(line); });
      // The session may have ended the check while it handled the lines.
      if (activeSocket_ != socket) break;
      if (status == ReceiveStatus::kOutOfMemory) {
        FailAccount(PositionOf(current_), texts::kOutOfMemory);
        break;
      }
      if (status == ReceiveStatus::kTlsFailed) {
        FailAccount(PositionOf(current_), TlsFailureText(transport_.LastTlsFailure()));
        break;
      }
      if (status == ReceiveStatus::kClosed) {
        HandleSocketEvent(socket, SocketEvent::kClose, 0);
        break;
      }
      if (status == ReceiveStatus::kSecured && !Secured()) break;
      if (startTlsDue_ && !StartTls()) break;
      if (ReplyTooSlow()) {
        FailAccount(PositionOf(current_), texts::kTooSlow);
        break;
      }
      if (host_.MonotonicMs() - connectionStartMs_ > kConnectionDeadlineMs) {
        FailAccount(PositionOf(current_), texts::kTimedOut);
        break;
      }
      host_.StartTimer(CheckTimer::kServerTimeout, ServerTimeoutMs(settings_.svTimeout));
      break;
    }
    case SocketEvent::kClose:
      if (active_->LoggingOut()) {
        EndCheckNormally();
      } else {
        FailAccount(PositionOf(current_), texts::kDisconnected);
      }
      break;
    default:
      break;
  }
}

void CheckEngine::SendReply(SessionReply& reply, Account& account) {
  if (reply.command.empty() || sendFailed_) return;
  if (transport_.SendText(activeSocket_, reply.command)) {
    MarkReplyStart();
    return;
  }
  if (!reply.goOn) return;
  if (active_->AwaitsEarlierReplies()) {
    // Sent ahead: a server that hung up sent its earlier replies before it went. They are read
    // first, and the close that follows ends the check as it would have without sending ahead.
    sendFailed_ = true;
    return;
  }
  reply = active_->OnSendFailed(account);
  if (!reply.command.empty()) transport_.SendText(activeSocket_, reply.command);
}

bool CheckEngine::ReceiveLine(std::string_view line) {
  // Guarded here as well: on Windows the line arrives through a window message, and nothing may
  // be thrown back through the system's frames.
  bool goOn = false;
  Guarded([&] { goOn = HandleLine(line); });
  return goOn;
}

bool CheckEngine::HandleLine(std::string_view line) {
  Account* account = current_;
  if (account == nullptr) return false;
  SessionReply reply = active_->OnLine(line, *account);
  if (reply.tokenRefused) DropRefusedToken(tokens_, *account);
  if (reply.quitAnswered) {
    EndCheckNormally();
    return false;
  }
  SendReply(reply, *account);
  if (reply.startTls) {
    // The handshake starts once this read is done; what else it brought came in clear and is
    // dropped.
    startTlsDue_ = true;
    return false;
  }
  if (reply.goOn && active_->PendingDue()) {
    reply = active_->CompletePending(*account);
    SendReply(reply, *account);
  }
  if (reply.goOn) return true;
  FailAccount(PositionOf(current_), reply.error);
  return false;
}

void CheckEngine::ServerTimeout() {
  if (activeSocket_ == kNoSocket) {
    host_.StopTimer(CheckTimer::kServerTimeout);
    return;
  }
  if (!waitingForToken_ && TryNextAddress()) return;
  FailAccount(PositionOf(current_), TimeoutText());
}

std::string CheckEngine::TimeoutText() {
  // A plain connection to the POP3S port hears nothing: the server waits for a TLS handshake.
  if (current_ != nullptr && active_->AtGreeting() && security_.mode == SecurityMode::kNone &&
      (port_ == kPop3sPort || port_ == kImapsPort)) {
    return texts::kPlainOnTlsPort;
  }
  // The replies never came to commands that could not be sent.
  if (sendFailed_) return texts::kSendFailed;
  return texts::kTimedOut;
}

}  // namespace postwink
