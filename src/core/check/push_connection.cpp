#include "core/check/push_connection.h"

#include <algorithm>
#include <utility>

#include "core/check/access_token.h"
#include "core/check/check_texts.h"
#include "core/check/connection_steps.h"
#include "core/net/net_texts.h"
#include "core/pop3/pop3_texts.h"

namespace postwink {

PushConnection::PushConnection(CheckHost& host, ItemKeeper& keeper,
                               std::unique_ptr<Transport> transport, Account& account,
                               const ImapSessionSettings& settings, int64_t answerDeadlineMs,
                               PushListener& listener, TokenProvider* tokens)
    : host_(host),
      transport_(std::move(transport)),
      account_(account),
      listener_(listener),
      session_(host, keeper),
      answerDeadlineMs_(answerDeadlineMs),
      tokens_(tokens) {
  session_.SetSettings(settings);
  session_.SetIdle(true);
}

PushConnection::~PushConnection() { Close(); }

void PushConnection::Close() {
  if (socket_ != kNoSocket) transport_->CloseConnection(socket_);
  socket_ = kNoSocket;
  deadlineMs_ = 0;
  renewAtMs_ = 0;
  session_.Abandon();
}

void PushConnection::Fail(const std::string& error) {
  Close();
  failed_ = true;
  reportIdle_ = true;
  nextAttemptMs_ = nowMs_ + backoffMs_;
  backoffMs_ = std::min(backoffMs_ * 2, kMaxBackoffMs);
  host_.Log("[" + account_.mailbox.value_or("") + "] push: " + error);
  listener_.OnPushFailed(account_, error);
}

void PushConnection::Connect(int64_t nowMs) {
  security_ = ReadSecuritySetting(account_);
  if (!security_.error.empty()) return Fail(security_.error);
  if (!TakeAccessToken(nowMs)) return;
  OpenResult opened = OpenAccountConnection(*transport_, account_, security_, tlsTarget_);
  if (opened.socket == kNoSocket) return Fail(opened.error);
  socket_ = opened.socket;
  startTlsDue_ = false;
  session_.Begin(account_);
  announcedCount_ = session_.NewCount();
  deadlineMs_ = nowMs + answerDeadlineMs_;
}

bool PushConnection::TakeAccessToken(int64_t nowMs) {
  waitingForToken_ = false;
  tokenChanged_ = false;
  std::weak_ptr<bool> alive = alive_;
  // The provider may call from outside the owner's loop: the next tick asks again.
  TokenAnswer answer = PlaceAccessToken(tokens_, account_, security_.mode, [this, alive] {
    if (!alive.expired()) tokenChanged_ = true;
  });
  switch (answer.state) {
    case TokenState::kReady:
      return true;
    case TokenState::kPending:
      waitingForToken_ = true;
      tokenDeadlineMs_ = nowMs + kTokenWaitMs;
      return false;
    case TokenState::kFailed:
      break;
  }
  // Only a change of the settings, which makes a new connection, mends a token sent in clear.
  const bool inClear = security_.mode == SecurityMode::kNone;
  Fail(answer.error);
  if (answer.signInNeeded) {
    halt_ = Halt::kUntilSignIn;
    listener_.OnPushSignInNeeded(account_);
  } else if (inClear) {
    halt_ = Halt::kForGood;
  }
  return false;
}

void PushConnection::Tick(int64_t nowMs) {
  nowMs_ = nowMs;
  if (socket_ == kNoSocket) {
    if (waitingForToken_) {
      if (tokenChanged_) {
        Connect(nowMs);
      } else if (nowMs > tokenDeadlineMs_) {
        waitingForToken_ = false;
        Fail(texts::kTimedOut);
      }
      return;
    }
    if (nowMs < nextAttemptMs_ || halt_ == Halt::kForGood) return;
    if (halt_ == Halt::kUntilSignIn) {
      if (!SignedInAgain(tokens_, account_)) {
        nextAttemptMs_ = nowMs + kSignInCheckMs;
        return;
      }
      halt_ = Halt::kNo;
    }
    Connect(nowMs);
    return;
  }
  if (deadlineMs_ != 0 && nowMs > deadlineMs_) return Fail(texts::kTimedOut);
  if (session_.Idling() && renewAtMs_ != 0 && nowMs >= renewAtMs_) {
    renewAtMs_ = 0;
    Follow(session_.Wake(account_));
  }
}

void PushConnection::Wake(int64_t nowMs) {
  nowMs_ = nowMs;
  if (socket_ == kNoSocket) {
    nextAttemptMs_ = nowMs;
    return Tick(nowMs);
  }
  if (session_.Idling()) Follow(session_.Wake(account_));
}

bool PushConnection::Follow(const SessionReply& reply) {
  if (!reply.command.empty()) {
    if (!transport_->SendText(socket_, reply.command)) {
      Fail(texts::kSendFailed);
      return false;
    }
    // Every command is answered, DONE too: a link that has died shows here.
    deadlineMs_ = nowMs_ + answerDeadlineMs_;
  }
  if (!reply.goOn) {
    Fail(reply.error.empty() ? std::string(texts::kDisconnected) : reply.error);
    return false;
  }
  if (reply.startTls) startTlsDue_ = true;
  return true;
}

bool PushConnection::HandleLine(std::string_view line) {
  SessionReply reply = session_.OnLine(line, account_);
  if (reply.tokenRefused) DropRefusedToken(tokens_, account_);
  if (!Follow(reply)) return false;
  // The handshake starts once the read is done; what else it brought came in clear.
  return !startTlsDue_;
}

void PushConnection::AfterRead() {
  if (session_.NewCount() > announcedCount_) {
    announcedCount_ = session_.NewCount();
    listener_.OnPushItems(account_);
  }
  if (session_.Idling()) {
    deadlineMs_ = 0;
    if (renewAtMs_ == 0) renewAtMs_ = nowMs_ + kIdleRenewMs;
    backoffMs_ = kFirstBackoffMs;
    if (reportIdle_) {
      reportIdle_ = false;
      listener_.OnPushIdling(account_);
    }
  } else if (deadlineMs_ != 0) {
    // Still answering: the deadline runs from the last thing heard.
    deadlineMs_ = nowMs_ + answerDeadlineMs_;
  }
}

void PushConnection::OnSocketEvent(SocketHandle socket, SocketEvent event, int error) {
  if (socket != socket_ || socket_ == kNoSocket) return;
  nowMs_ = host_.MonotonicMs();
  if (error != 0) {
    return Fail(event == SocketEvent::kConnect ? texts::kConnectFailed : texts::kDisconnected);
  }
  switch (event) {
    case SocketEvent::kConnect: {
      std::string failure = StartTlsWhenConnected(*transport_, socket_, security_.mode, tlsTarget_);
      if (!failure.empty()) return Fail(failure);
      break;
    }
    case SocketEvent::kRead: {
      failed_ = false;
      ReceiveStatus status = transport_->ReceiveLines(
          socket, [this](std::string_view line) { return HandleLine(line); });
      if (failed_ || socket_ == kNoSocket) return;
      bool ended = false;
      std::string failure = AfterReceive(
          *transport_, socket_, status, startTlsDue_, tlsTarget_,
          [this] { return Follow(session_.OnSecured(account_)); }, ended);
      if (ended) return;
      if (!failure.empty()) return Fail(failure);
      AfterRead();
      break;
    }
    case SocketEvent::kClose:
      if (session_.LoggingOut()) {
        // Signed out after one look: the server offers no IDLE.
        Close();
        listener_.OnPushUnavailable(account_);
        return;
      }
      Fail(texts::kDisconnected);
      break;
    default:
      break;
  }
}

}  // namespace postwink
