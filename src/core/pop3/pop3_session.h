#pragma once
// The POP3 client (RFC 1939) that checks one account per connection. It is a state machine
// driven by the server's lines: OnLine takes one line and returns what to do next (the command
// to send, whether the session goes on, the error text), and sends nothing itself. It logs in
// with USER/PASS or APOP, asks STAT, decides what is new, fetches each new message with LIST and
// RETR or TOP, fills in unique ids with UIDL and quits. It never sends DELE. An account that
// asks for STLS first sends CAPA and STLS and logs in only once the transport reports the
// connection secured; the bytes of TLS never reach the session.
//
// CAPA goes out once after the greeting (and again inside TLS after STLS, as the earlier answer
// no longer counts). When it lists PIPELINING, the commands of the fetch (LIST n ahead, RETR n or
// TOP n as soon as LIST n has answered, the UIDL after the last) are sent before the replies to
// the earlier ones have come, within the window of ReplyWindow; the replies are still read
// strictly in order, each as what its command asked for, so the items, their order, lastNumber
// and lastIdentity, the errors and what a cut-off check keeps are those of lock-step.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/account.h"
#include "core/mime/mail_item.h"
#include "core/net/mail_session.h"
#include "core/net/oauth_sasl.h"
#include "core/pop3/item_keeper.h"
#include "core/pop3/mailbox_bounds.h"
#include "core/pop3/mailbox_sync.h"
#include "core/pop3/reply_window.h"
#include "core/pop3/uidl_table.h"

namespace postwink {

enum class SessionState {
  kGreeting,
  kCapaSent,     // STLS: the capability list, to see that STLS is offered
  kStlsSent,     // STLS: the reply to STLS
  kStartingTls,  // STLS: the handshake runs; the server must say nothing until we log in
  kUserSent,
  kAuthSent,
  kSaslSent,  // AUTH with an OAuth token: continuations until +OK or -ERR
  kStatSent,
  kListSent,
  kResyncUidl,
  kTopSent,
  kRetrSent,
  kFillUidl,
  kQuitting,
  kFailed
};

// Generous limits against a server that streams without end. The sizes a server announces are
// hints only: they reserve at most kMaxReserve up front. A message over kMaxMessageBytes is kept
// as far as it fits (a message that LIST announces as bigger is asked for its header alone); the
// rest is read and dropped, up to kDrainFactor times the limit, beyond which the server is taken
// to stream without end. A reply read only to be dropped (asked for before the plan changed) may
// be no longer than a message may be kept.
inline constexpr size_t kMaxMessageBytes = 256u << 20;
inline constexpr size_t kDrainFactor = 4;
inline constexpr size_t kMaxUidlBytes = 256u << 20;
inline constexpr size_t kMaxReserve = 4u << 20;
// A capability list is a few dozen short lines.
inline constexpr size_t kMaxCapaBytes = 64u << 10;

// Global settings the session reads (LISTDOWN, GETLINE, LOG).
struct SessionSettings {
  int listDown = 1;
  int getLine = 0;
  bool log = false;
  size_t maxMessageBytes = kMaxMessageBytes;
  // Send commands ahead where the server offers PIPELINING (off: lock-step always).
  bool pipelining = true;
  MailboxBounds bounds;
};

// What the session needs from the program around it.
class SessionHost {
 public:
  virtual ~SessionHost() = default;
  // A new item for the account, parsed from the message text (ParseMessage) and filtered
  // (EvaluateFilters).
  virtual std::unique_ptr<MailItem> BuildItem(Account& account, std::string_view text,
                                              std::optional<std::string_view> sizeText) = 0;
  // MessageIdentity of a message text.
  virtual std::string Identity(std::string_view text) = 0;
  // One log entry; written only when the log has a path.
  virtual void Log(std::string_view text) = 0;
  // A STAT reply arrived: the date conversion refreshes its local zone offset.
  virtual void OnStatReply() {}
};

class Pop3Session {
 public:
  Pop3Session(SessionHost& host, ItemKeeper& keeper) : host_(host), keeper_(keeper) {}

  void SetSettings(const SessionSettings& settings) { settings_ = settings; }

  // The controller starts each connection with this, just before it connects: the check works on
  // the account's settings as they are now, whatever the settings sheet applies meanwhile.
  void Begin(const Account& account);
  // Greeting without Begin takes the settings when the greeting arrives.
  void SetState(SessionState state);
  SessionState State() const { return state_; }

  SessionReply OnLine(std::string_view line, Account& account);
  // The transport finished a TLS handshake and the certificate was accepted: after STLS the
  // login goes on now (inside TLS); from the start of the connection nothing changes.
  SessionReply OnSecured(Account& account);
  // The command of the last reply could not be sent.
  SessionReply OnSendFailed(Account& account);
  // Replies are still due to commands that went out before the last reply's: a server that
  // hung up has sent those before it went.
  bool AwaitsEarlierReplies() const { return window_.Size() > lastBatch_; }
  // A fetched message is parsed while the server works on a long reply: after the RETR, TOP or
  // UIDL that follows it has been sent, not during the short LIST round trip in between. The
  // caller calls this right after sending when PendingDue(), and when a check is cut off while
  // a message is still pending; OnLine does it too, before it looks at a line that is not a
  // LIST reply. A failure reply (out of memory) ends the session like any other.
  SessionReply CompletePending(Account& account);
  bool HasPending() const { return pending_.has_value(); }
  void DiscardPending() { pending_.reset(); }
  bool PendingDue() const { return pending_.has_value() && state_ != SessionState::kListSent; }

  // Items created since the controller last reset it.
  int newCount = 0;

  bool UseRetr() const { return useRetr_; }
  // Commands sent and not answered yet.
  size_t InFlight() const { return window_.Size(); }
  int CurrentNumber() const { return currentNumber_; }
  size_t MessageCapacity() const { return message_.capacity(); }

 private:
  // The settings of the account taken for this connection.
  const AccountFields& Fields(const Account& account);
  SessionReply Greeting(std::string_view line, Account& account);
  SessionReply Login(Account& account);
  // The bracketed timestamp of the greeting (the last "<" and the last ">" after it).
  std::optional<std::string_view> ApopTimestamp() const;
  // The message that keeps the account from logging in, or null.
  const char* LoginProblem(const AccountFields& fields, const Account& account) const;
  SessionReply OAuthLogin(Account& account);
  SessionReply SaslLine(std::string_view line, Account& account);
  SessionReply CapaLine(std::string_view line, Account& account);
  SessionReply StlsReply(std::string_view line, Account& account);
  SessionReply AfterCapa(Account& account, bool listed);
  SessionReply LoginRejected(const char* message, std::string_view line, const Account& account);
  SessionReply StatReply(std::string_view line, Account& account);
  SessionReply ListReply(std::string_view line, Account& account);
  SessionReply FetchLine(std::string_view line, Account& account);
  SessionReply MessageComplete(Account& account);
  SessionReply TopRefused(Account& account);
  SessionReply SkipLine(std::string_view line, Account& account);
  SessionReply UidlLine(std::string_view line, Account& account);

  SessionReply Follow(const SyncStep& step, Account& account);
  // The reply being read is complete: the next command goes out (lock-step).
  SessionReply Send(Account& account, SessionState next, std::string command,
                    std::string_view logText = {});
  // The fetch from message first on: LIST ahead as far as the window allows.
  SessionReply StartFetch(Account& account, int first);
  // The fetch commands the window has room for, and the UIDL after the last.
  SessionReply Refill(Account& account);
  void Queue(Account& account, ExpectedReply reply, std::string command,
             std::string_view logText = {});
  SessionReply Flush();
  // Nothing is queued, sent or awaited any more.
  void ForgetCommands();
  // The reply at the head of the window is complete.
  void Pop();
  // A new reply is at the head: the state and what it needs.
  void Enter();
  SessionReply Quit(Account& account);
  SessionReply Fail(std::string error);
  SessionReply FailWithReply(const char* message, std::string_view reply);
  void LogLine(const Account& account, std::string_view text);
  // False when the message has gone on too long to be a message at all.
  bool AppendToMessage(std::string_view line);
  void LogOverLimit(const Account& account, const char* what);
  void ResetMessage(size_t expected);

  SessionHost& host_;
  ItemKeeper& keeper_;
  SessionSettings settings_;
  SessionState state_ = SessionState::kGreeting;
  enum class SentKind { kOther, kStat, kQuit };
  SentKind lastSent_ = SentKind::kOther;
  size_t queued_ = 0;     // commands in out_
  size_t lastBatch_ = 0;  // commands of the last reply
  int currentNumber_ = 0;
  bool useRetr_ = true;
  bool statusSeen_ = false;
  bool listingSeen_ = false;
  std::string message_;
  size_t messageReceived_ = 0;  // bytes of the message so far, kept or not
  bool messageCut_ = false;     // the message outgrew the limit: the rest is not kept
  // The buffer of the last parsed message, reused for the next one so that a long fetch does
  // not touch fresh memory for every message.
  std::string spare_;
  std::optional<std::string> sizeText_;
  struct PendingMessage {
    std::string text;
    std::optional<std::string> sizeText;
    int number = 0;
  };
  std::optional<PendingMessage> pending_;
  UidlTable uidl_;
  std::optional<AccountFields> fields_;
  // The greeting, kept for APOP's timestamp when the login waits for TLS.
  std::string greeting_;
  bool stlsOffered_ = false;
  bool secured_ = false;      // STLS has secured the connection
  bool pipelining_ = false;   // the last CAPA listed PIPELINING
  bool capaListed_ = false;   // the last CAPA was answered with a listing
  bool xoauth2_ = false;      // the last CAPA's SASL line offered XOAUTH2
  bool oauthBearer_ = false;  // ... and OAUTHBEARER
  bool oauth_ = false;        // the account signs in with an OAuth token
  OAuthSaslExchange sasl_;
  ReplyWindow window_;
  std::string out_;            // commands queued by the line being handled
  bool fetching_ = false;      // LISTs (or the final UIDL) are still to be sent
  long long nextList_ = 0;     // the next message to LIST
  bool skippingText_ = false;  // the head is dropped and its text is being read
  size_t skippedBytes_ = 0;    // of the text being dropped
  size_t capaBytes_ = 0;       // of the capability list being read
};

// A reply is positive when it is longer than two characters and begins with "+OK" (the O and
// the K in either case).
bool IsPositiveReply(std::string_view line);

}  // namespace postwink
