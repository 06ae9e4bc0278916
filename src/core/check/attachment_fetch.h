#pragma once
// Fetches one part of an IMAP message when the user opens it: a short connection of its own,
// beside the check cycle and the push connections, that signs in, opens the folder read-only,
// fetches the part with BODY.PEEK and signs out. It never blocks: the owner hands it the socket
// events of its own transport and calls Tick for the deadline; the outcome arrives once, through
// the done callback, called from inside those calls: the owner destroys the object only after
// they have returned.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/account.h"
#include "core/imap/imap_session.h"
#include "core/net/security_setting.h"
#include "core/oauth/token_provider.h"
#include "core/pop3/item_keeper.h"
#include "core/pop3/transport.h"

namespace postwink {

// How long the server may stay silent during the fetch; each read starts it again, so a large
// part on a slow link still arrives.
inline constexpr int64_t kAttachmentAnswerMs = 60 * 1000;

struct AttachmentFetchResult {
  std::optional<std::string> content;  // as the server sent it, still transfer-encoded
  std::string error;                   // the message for the user when content is empty
};

class AttachmentFetch : public TransportEvents, private SessionHost {
 public:
  using Clock = std::function<int64_t()>;
  using LogSink = std::function<void(std::string_view)>;
  using Done = std::function<void(AttachmentFetchResult)>;

  // The account is copied: the settings sheet may replace it while the fetch runs. An account that
  // signs in with OAuth takes a fresh access token from tokens (not owned) before it connects.
  AttachmentFetch(std::unique_ptr<Transport> transport, const Account& account,
                  TokenProvider* tokens, ImapPartRequest request, int64_t answerDeadlineMs,
                  Clock clock, LogSink log, Done done);
  ~AttachmentFetch() override;

  void Start();
  // Connects once a pending access token is there; ends the fetch when the server's answer (or
  // the token) is overdue.
  void Tick();
  void OnSocketEvent(SocketHandle socket, SocketEvent event, int error) override;

  Transport& GetTransport() { return *transport_; }
  bool Finished() const { return finished_; }

 private:
  std::unique_ptr<MailItem> BuildItem(Account&, std::string_view,
                                      std::optional<std::string_view>) override {
    return nullptr;
  }
  std::string Identity(std::string_view) override { return {}; }
  void Log(std::string_view text) override {
    if (log_) log_(text);
  }

  void Finish(AttachmentFetchResult result);
  // The part, once it is in and the goodbye went out: nothing the server says after it matters.
  void FinishWhenFetched();
  void Fail(const std::string& error) { Finish({std::nullopt, error}); }
  // Sends what the session asked for; false when the fetch ended.
  bool Follow(const SessionReply& reply);
  void AfterRead();
  void Connect();

  std::unique_ptr<Transport> transport_;
  Account account_;
  TokenProvider* tokens_;
  // The provider's callback may come after the fetch is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool waitingForToken_ = false;
  bool tokenChanged_ = false;
  ItemKeeper keeper_;
  ImapSession session_;
  int64_t answerDeadlineMs_;
  Clock clock_;
  LogSink log_;
  Done done_;
  SocketHandle socket_ = kNoSocket;
  SecuritySetting security_;
  TlsTarget tlsTarget_;
  bool startTlsDue_ = false;
  bool finished_ = false;
  int64_t deadlineMs_ = 0;
};

}  // namespace postwink
