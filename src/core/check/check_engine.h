#pragma once
// The check controller without its window: the minute tick that makes accounts due, the 100 ms
// step that opens one account's connection after another, the hand-over of socket events and
// lines to the account's mail session (POP3 or IMAP), failures and the server time-out, and the end
// of a cycle (merge into the DisplayList, sound, list window, tray). The host drives it with timer
// ticks and socket events; it talks back only through CheckHost and Transport.
//
// Besides the idle time-out and the total deadline, every reply must come at an average of at least
// kMinReplyBytesPerSecond, counted from its command, once SV_TIMEOUT seconds have passed: a
// server that trickles a byte now and then cannot hold a check open for ever, while a large
// message over a slow link (which brings far more) is never cut.

#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/check/check_host.h"
#include "core/check/display_list.h"
#include "core/check/push_connection.h"
#include "core/config/account.h"
#include "core/config/settings.h"
#include "core/imap/imap_session.h"
#include "core/net/security_setting.h"
#include "core/oauth/token_provider.h"
#include "core/pop3/item_keeper.h"
#include "core/pop3/pop3_mail_session.h"
#include "core/pop3/pop3_session.h"
#include "core/pop3/transport.h"

namespace postwink {

inline constexpr int kMinReplyBytesPerSecond = 512;
// A laptop moves between networks and a provider may move its server: an account's addresses
// are looked up again after this long, and after any failed check.
inline constexpr int64_t kAddressLifetimeMs = 30 * 60 * 1000;
// However fast a server talks, one account's check ends after this long, which a large first
// check over a slow line still meets.
inline constexpr int64_t kConnectionDeadlineMs = 2 * 3600 * 1000;

class CheckEngine : public TransportEvents, public PushListener {
 public:
  CheckEngine(CheckHost& host, Transport& transport, const Settings& settings,
              std::vector<std::unique_ptr<Account>> accounts);
  ~CheckEngine() override;

  // Start-up: the minute timer, and a first check of all accounts when START_RUN is on.
  void Start();
  // Ends an open connection and the push connections (shutdown).
  void Stop();
  // The program was started with "-v": it logs what LOG=1 logs.
  void SetVerbose(bool verbose);

  void OnTimer(CheckTimer timer);
  void OnSocketEvent(SocketHandle socket, SocketEvent event, int error) override;

  // Check now: every account due with its count reset, then a cycle; a cycle already running
  // takes them instead. Refused while a connection is open.
  bool CanCheckNow() const { return activeSocket_ == kNoSocket; }
  void CheckNow();
  void StartCheckCycle();
  bool StartAccountCheck(int position);
  void AbortAccountCheck(int position);
  void ReportCheckError(const std::string& text, int position);
  void FinishCycle(int newCount);
  void AcknowledgeNewMail();
  // The accounts as the settings sheet applied them, in their new order. An account keeps its
  // identity (and its run-time state) through renaming and renumbering; its address is looked
  // up again. An account left out is deleted: when its connection is open, the connection is
  // ended without a report and the cycle goes on; its items go at the next ApplySettings.
  void ApplyAccounts(const std::vector<AccountEdit>& edits);
  // The DisplayList side of applied settings: drops the items of accounts no longer in the
  // list (and the update notice) and runs the filters again over the rest. The session of the
  // next connection takes the settings afresh.
  void ApplySettings();
  // The update notice: an item for the update pseudo-account, announced like new mail.
  void AddUpdateItem(std::unique_ptr<MailItem> item);
  // Sends commands ahead where a server offers PIPELINING; on unless switched off.
  void SetPipelining(bool on);
  // IMAP accounts with PUSH=1 get connections of their own, each on a transport from
  // makeTransport, and are left out of the cycle; without it every account is polled.
  void EnablePush(std::function<std::unique_ptr<Transport>()> makeTransport);
  // Opens and closes the push connections as the accounts say, and runs their deadlines; the
  // host calls it often and hands each connection the events of its own transport.
  void PushTick();
  std::vector<PushConnection*> PushConnections();
  // Accounts that sign in with OAuth 2.0 take their access tokens from here (not owned); without
  // it they fail with the sign-in message.
  void SetTokenProvider(TokenProvider* tokens) { tokens_ = tokens; }
  // Closes every push connection; the next PushTick opens them again at once (after a resume
  // or a network change, when the old links are likely dead without a word).
  void RestartPushes();

  std::vector<std::unique_ptr<Account>>& Accounts() { return accounts_; }
  Account& UpdateAccount() { return updateAccount_; }
  DisplayList& List() { return displayList_; }
  const ItemKeeper& Keeper() const { return keeper_; }

  bool CycleActive() const { return cycleActive_; }
  bool NewMail() const { return newMail_; }
  bool ErrorSeen() const { return errorSeen_; }
  const std::optional<std::string>& FirstErrorName() const { return firstErrorName_; }
  SocketHandle ActiveSocket() const { return activeSocket_; }
  // Position of the account whose connection is open; -1 when none.
  int CurrentIndex() const { return PositionOf(current_); }
  int LastStartedIndex() const { return lastStartedIndex_; }

 private:
  // Runs the work of an entry point. Memory running out anywhere in a check must not end the
  // program: the account being checked fails with the fixed text, as from any other failure.
  template <typename Work>
  void Guarded(Work&& work) {
    try {
      work();
    } catch (const std::bad_alloc&) {
      OnOutOfMemory();
    }
  }
  void OnOutOfMemory();
  void HandleSocketEvent(SocketHandle socket, SocketEvent event, int error);
  bool ReceiveLine(std::string_view line);
  void MinuteTick();
  void Step();
  void ServerTimeout();
  bool HandleLine(std::string_view line);
  // Opens the connection to the account's current address, falling through to the next ones
  // when a connect cannot even start.
  bool Connect(int position);
  // A connect that failed or was never answered gives way to the server's next address.
  bool TryNextAddress();
  bool StartTls();
  bool Secured();
  void MarkReplyStart();
  bool ReplyTooSlow();
  std::string TimeoutText();
  // AbortAccountCheck, then ReportCheckError unless the text is empty.
  void FailAccount(int position, const std::string& text);
  void SendReply(SessionReply& reply, Account& account);
  Account* AccountAt(int position);
  int PositionOf(const Account* account) const;
  void EndConnectionQuietly();
  // The server answered QUIT or closed after it: the check ended normally.
  void EndCheckNormally();
  // LOG=1 or "-v": the separators, the login replies and the error texts are logged too.
  bool FullLog() const { return settings_.log == 1 || verbose_; }
  std::string MailboxName(int position);
  std::unique_ptr<MailSession> MakeSession(const Account& account);
  // Items created in this cycle so far.
  int CycleNewCount() const { return cycleNewCount_ + active_->NewCount(); }
  bool IsPushed(const Account& account) const;
  // The first push account whose connection is failing; none when all are well.
  std::optional<std::string> FailingPushName() const;
  void OnPushItems(Account& account) override;
  void OnPushFailed(Account& account, const std::string& error) override;
  void OnPushIdling(Account& account) override;
  void OnPushUnavailable(Account& account) override;
  void OnPushSignInNeeded(Account& account) override;
  // The rest of StartAccountCheck once the account's access token (if it needs one) is there.
  bool ContinueAccountCheck(int position);
  enum class TokenStep { kReady, kWaiting, kFailed };
  // Puts the account's access token in place, or starts getting it, or fails the account.
  TokenStep TakeAccessToken(int position, Account& account);
  void OnTokenChanged(const Account* account);

  CheckHost& host_;
  Transport& transport_;
  const Settings& settings_;
  std::vector<std::unique_ptr<Account>> accounts_;
  Account updateAccount_;
  ItemKeeper keeper_;
  DisplayList displayList_;
  // The session of the account being checked (or last checked), made for its connection with
  // the settings of that moment.
  std::unique_ptr<MailSession> active_;
  // What the sessions of the cycle's earlier connections created.
  int cycleNewCount_ = 0;

  SocketHandle activeSocket_ = kNoSocket;
  // The account whose connection is open, by identity: the settings sheet may renumber or
  // delete accounts while it is open.
  Account* current_ = nullptr;
  // The accounts this cycle has taken, each at most once.
  std::unordered_set<const Account*> takenInCycle_;
  // Accounts deleted by ApplyAccounts, kept with their items until ApplySettings.
  std::vector<std::unique_ptr<Account>> retired_;
  int lastStartedIndex_ = 0;
  bool cycleActive_ = false;
  bool errorSeen_ = false;
  std::optional<std::string> firstErrorName_;
  bool newMail_ = false;
  bool verbose_ = false;
  bool pipelining_ = true;
  std::function<std::unique_ptr<Transport>()> makeTransport_;
  std::vector<std::unique_ptr<PushConnection>> pushes_;
  // Push accounts whose server offers no IDLE: polled like the others.
  std::vector<const Account*> polledInstead_;
  // Push accounts whose connection failed and has not idled since: the tray shows the error
  // state for them whatever the cycles of the polled accounts found.
  std::vector<const Account*> failingPushes_;

  // The connection of the account being checked, as its settings were when the check started.
  SecuritySetting security_;
  TlsTarget tlsTarget_;
  int port_ = 0;
  std::vector<NetAddress> addresses_;
  size_t addressIndex_ = 0;
  bool connected_ = false;
  bool startTlsDue_ = false;  // STLS was accepted in the read being handled
  bool sendFailed_ = false;   // commands sent ahead could not go out
  int64_t connectionStartMs_ = 0;
  int64_t replyStartMs_ = 0;
  uint64_t replyStartBytes_ = 0;

  TokenProvider* tokens_ = nullptr;
  // The account's check waits for its access token (activeSocket_ is kResolvingSocket).
  bool waitingForToken_ = false;
  // The provider's callbacks find it expired once the engine is gone.
  std::shared_ptr<bool> tokenAlive_ = std::make_shared<bool>(true);
};

// SV_TIMEOUT as a timer period. A hand-edited value of 0 or less would end every check at
// once, and a huge one would overflow: they fall back to the default and to a day.
int ServerTimeoutMs(int seconds);
SessionSettings SessionSettingsFrom(const Settings& settings, bool verbose, bool pipelining);
ImapSessionSettings ImapSessionSettingsFrom(const Settings& settings, bool verbose);

}  // namespace postwink
