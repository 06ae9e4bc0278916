#include "core/check/attachment_fetch.h"

#include <utility>

#include "core/check/access_token.h"
#include "core/check/check_texts.h"
#include "core/check/connection_steps.h"
#include "core/net/net_texts.h"
#include "core/pop3/pop3_texts.h"

namespace postwink {

AttachmentFetch::AttachmentFetch(std::unique_ptr<Transport> transport, const Account& account,
                                 TokenProvider* tokens, ImapPartRequest request,
                                 int64_t answerDeadlineMs, Clock clock, LogSink log, Done done)
    : transport_(std::move(transport)),
      account_(account),
      tokens_(tokens),
      session_(*this, keeper_),
      answerDeadlineMs_(answerDeadlineMs),
      clock_(std::move(clock)),
      log_(std::move(log)),
      done_(std::move(done)) {
  // Nothing of the check's own state travels with the copy.
  account_.items.clear();
  account_.imapFolders.clear();
  session_.SetPartRequest(std::move(request));
}

AttachmentFetch::~AttachmentFetch() {
  if (socket_ != kNoSocket) transport_->CloseConnection(socket_);
}

void AttachmentFetch::Finish(AttachmentFetchResult result) {
  if (finished_) return;
  finished_ = true;
  if (socket_ != kNoSocket) transport_->CloseConnection(socket_);
  socket_ = kNoSocket;
  session_.Abandon();
  if (!result.content) Log("[" + account_.mailbox.value_or("") + "] part: " + result.error);
  if (done_) done_(std::move(result));
}

void AttachmentFetch::Start() {
  security_ = ReadSecuritySetting(account_);
  if (!security_.error.empty()) return Fail(security_.error);
  waitingForToken_ = false;
  tokenChanged_ = false;
  std::weak_ptr<bool> alive = alive_;
  // The provider may call from outside the owner's loop: the next tick asks again.
  TokenAnswer answer = PlaceAccessToken(tokens_, account_, security_.mode, [this, alive] {
    if (!alive.expired()) tokenChanged_ = true;
  });
  if (answer.state == TokenState::kFailed) return Fail(answer.error);
  if (answer.state == TokenState::kPending) {
    waitingForToken_ = true;
    deadlineMs_ = clock_() + kTokenWaitMs;
    return;
  }
  Connect();
}

void AttachmentFetch::Connect() {
  OpenResult opened = OpenAccountConnection(*transport_, account_, security_, tlsTarget_);
  if (opened.socket == kNoSocket) return Fail(opened.error);
  socket_ = opened.socket;
  session_.Begin(account_);
  deadlineMs_ = clock_() + answerDeadlineMs_;
}

void AttachmentFetch::Tick() {
  if (finished_) return;
  if (waitingForToken_ && tokenChanged_) return Start();
  if ((waitingForToken_ || socket_ != kNoSocket) && clock_() > deadlineMs_) Fail(texts::kTimedOut);
}

bool AttachmentFetch::Follow(const SessionReply& reply) {
  if (finished_) return false;
  if (!reply.command.empty() && !transport_->SendText(socket_, reply.command)) {
    Fail(texts::kSendFailed);
    return false;
  }
  if (!reply.goOn) {
    Fail(reply.error.empty() ? std::string(texts::kDisconnected) : reply.error);
    return false;
  }
  if (reply.startTls) startTlsDue_ = true;
  return true;
}

void AttachmentFetch::FinishWhenFetched() {
  if (session_.HasFetchedPart() && session_.LoggingOut()) {
    Finish({session_.TakeFetchedPart(), {}});
  }
}

void AttachmentFetch::AfterRead() {
  FinishWhenFetched();
  if (!finished_) deadlineMs_ = clock_() + answerDeadlineMs_;
}

void AttachmentFetch::OnSocketEvent(SocketHandle socket, SocketEvent event, int error) {
  if (finished_ || socket != socket_) return;
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
      ReceiveStatus status = transport_->ReceiveLines(socket, [this](std::string_view line) {
        // The handshake starts once the read is done; what else it brought came in clear.
        return Follow(session_.OnLine(line, account_)) && !startTlsDue_;
      });
      if (finished_) return;
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
      // A close right after the part's last line was read still delivers it.
      FinishWhenFetched();
      Fail(texts::kDisconnected);
      break;
    default:
      break;
  }
}

}  // namespace postwink
