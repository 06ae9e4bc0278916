#pragma once
// The POP3 session of one connection, as the engine sees any mail session.

#include "core/net/mail_session.h"
#include "core/pop3/pop3_session.h"

namespace postwink {

class Pop3MailSession : public MailSession {
 public:
  Pop3MailSession(SessionHost& host, ItemKeeper& keeper) : session_(host, keeper) {}
  void SetSettings(const SessionSettings& settings) { session_.SetSettings(settings); }

  void Begin(Account&) override { session_.SetState(SessionState::kGreeting); }
  SessionReply OnLine(std::string_view line, Account& account) override {
    return session_.OnLine(line, account);
  }
  SessionReply OnSecured(Account& account) override { return session_.OnSecured(account); }
  SessionReply OnSendFailed(Account& account) override { return session_.OnSendFailed(account); }
  void Abandon() override { session_.SetState(SessionState::kFailed); }
  bool AtGreeting() const override { return session_.State() == SessionState::kGreeting; }
  bool LoggingOut() const override { return session_.State() == SessionState::kQuitting; }
  int NewCount() const override { return session_.newCount; }
  void ResetNewCount() override { session_.newCount = 0; }
  bool AwaitsEarlierReplies() const override { return session_.AwaitsEarlierReplies(); }
  bool HasPending() const override { return session_.HasPending(); }
  bool PendingDue() const override { return session_.PendingDue(); }
  SessionReply CompletePending(Account& account) override {
    return session_.CompletePending(account);
  }
  void DiscardPending() override { session_.DiscardPending(); }

 private:
  Pop3Session session_;
};

}  // namespace postwink
