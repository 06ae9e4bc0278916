#pragma once
// One push account's own connection, beside the engine's cycle: it connects, lets its IMAP
// session look at every folder and then wait with IDLE, renews the IDLE before servers drop it,
// and notices a dead link by the deadline on every answer it waits for (the renewal's too). A
// failure closes the connection and tries again after a back-off that doubles up to a limit;
// the folder state lives in the account, so what arrived meanwhile is fetched once, and nothing
// is announced twice. An account that signs in with OAuth 2.0 takes a fresh access token before
// every connect (one that runs out while idling does no harm: the session stays signed in); a
// sign-in that is gone stops the retries until a new one is stored. The owner calls Tick often
// and hands it the socket events of its own transport.

#include <cstdint>
#include <memory>
#include <string>

#include "core/check/check_host.h"
#include "core/config/account.h"
#include "core/imap/imap_session.h"
#include "core/net/security_setting.h"
#include "core/oauth/token_provider.h"
#include "core/pop3/item_keeper.h"
#include "core/pop3/transport.h"

namespace postwink {

// IDLE is renewed well before the 29 minutes after which servers may end it.
inline constexpr int64_t kIdleRenewMs = 10 * 60 * 1000;
inline constexpr int64_t kFirstBackoffMs = 1000;
inline constexpr int64_t kMaxBackoffMs = 5 * 60 * 1000;
// How often an account stopped for a lost sign-in looks whether a new one was stored.
inline constexpr int64_t kSignInCheckMs = 5000;

class PushListener {
 public:
  virtual ~PushListener() = default;
  // The account's session created items (in account.items, held by the keeper).
  virtual void OnPushItems(Account& account) = 0;
  // The connection failed; it is tried again later.
  virtual void OnPushFailed(Account& account, const std::string& error) = 0;
  // The connection idles: for the first time, or the first time after a failure.
  virtual void OnPushIdling(Account& account) = 0;
  // The server offers no IDLE: the account is to be polled instead.
  virtual void OnPushUnavailable(Account& account) = 0;
  // The connection failed because the account's OAuth sign-in is gone; it is not tried again
  // until a sign-in stores a refresh token.
  virtual void OnPushSignInNeeded(Account& account) = 0;
};

class PushConnection : public TransportEvents {
 public:
  PushConnection(CheckHost& host, ItemKeeper& keeper, std::unique_ptr<Transport> transport,
                 Account& account, const ImapSessionSettings& settings, int64_t answerDeadlineMs,
                 PushListener& listener, TokenProvider* tokens = nullptr);
  ~PushConnection() override;

  // Connects when due, renews the IDLE, and ends a connection whose answer is overdue.
  void Tick(int64_t nowMs);
  // Looks at every folder now (check now); connects at once when waiting for a retry.
  void Wake(int64_t nowMs);
  void OnSocketEvent(SocketHandle socket, SocketEvent event, int error) override;

  Transport& GetTransport() { return *transport_; }
  Account& GetAccount() { return account_; }
  bool Connected() const { return socket_ != kNoSocket; }
  bool Idling() const { return session_.Idling(); }
  int64_t NextAttemptMs() const { return nextAttemptMs_; }

 private:
  void Connect(int64_t nowMs);
  // Puts the access token in place; false when the connect has to wait for it or failed.
  bool TakeAccessToken(int64_t nowMs);
  void Fail(const std::string& error);
  void Close();
  // Sends what the session asked for; false when the connection failed.
  bool Follow(const SessionReply& reply);
  bool HandleLine(std::string_view line);
  void AfterRead();

  CheckHost& host_;
  std::unique_ptr<Transport> transport_;
  Account& account_;
  PushListener& listener_;
  ImapSession session_;
  int64_t answerDeadlineMs_;
  SocketHandle socket_ = kNoSocket;
  SecuritySetting security_;
  TlsTarget tlsTarget_;
  bool startTlsDue_ = false;
  bool failed_ = false;     // the session ended the connection while a read was handled
  bool reportIdle_ = true;  // not idled since it was made or since it failed
  std::string error_;
  int64_t nowMs_ = 0;
  int64_t nextAttemptMs_ = 0;
  int64_t backoffMs_ = kFirstBackoffMs;
  int64_t deadlineMs_ = 0;  // an answer is due by then; 0: none awaited
  int64_t renewAtMs_ = 0;
  int announcedCount_ = 0;

  TokenProvider* tokens_;
  bool waitingForToken_ = false;
  bool tokenChanged_ = false;  // the provider has an answer for the token waited for
  int64_t tokenDeadlineMs_ = 0;
  // Failures that no retry can mend: a lost sign-in (until a new one is stored), a token that
  // would travel in clear (until the settings change, which makes a new connection).
  enum class Halt { kNo, kUntilSignIn, kForGood };
  Halt halt_ = Halt::kNo;
  // The provider's callbacks find it expired once the connection is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace postwink
