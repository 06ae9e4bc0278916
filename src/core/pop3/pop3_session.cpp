#include "core/pop3/pop3_session.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/config/credentials.h"
#include "core/net/net_address.h"
#include "core/net/net_texts.h"
#include "core/net/security_setting.h"
#include "core/oauth/oauth_settings.h"
#include "core/oauth/oauth_texts.h"
#include "core/pop3/md5.h"
#include "core/pop3/pop3_texts.h"
#include "core/text/case.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

constexpr size_t kDefaultBuffer = 32768;
constexpr char kQuit[] = "QUIT\r\n";

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string NumberCommand(const char* verb, int number) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s %d\r\n", verb, number);
  return buf;
}

std::string TopCommand(int number, int lines) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "TOP %d %d\r\n", number, lines);
  return buf;
}

// The word after the first word and its spaces, and where the text after it starts.
std::string_view NextWord(std::string_view text, size_t& pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  size_t start = pos;
  while (pos < text.size() && text[pos] != ' ') ++pos;
  return text.substr(start, pos - start);
}

bool WantsStls(const AccountFields& fields) {
  return fields.security == static_cast<int>(SecurityMode::kStls);
}

// A refusal that names SSL or TLS, as Dovecot's "-ERR [AUTH] Plaintext authentication
// disallowed on non-secure (SSL/TLS) connections." does: the password is not the problem.
bool AsksForTls(std::string_view reply) {
  return !IsPositiveReply(reply) && (ContainsNoCase(reply, "TLS") || ContainsNoCase(reply, "SSL"));
}

int TopEstimate(int getLine) {
  long long estimate = 80LL * std::max(getLine, 0) + 2400;
  return static_cast<int>(std::min<long long>(estimate, 1 << 30));
}

}  // namespace

bool IsPositiveReply(std::string_view line) {
  return line.size() > 2 && line[0] == '+' && Upper(line[1]) == 'O' && Upper(line[2]) == 'K';
}

void Pop3Session::LogLine(const Account& account, std::string_view text) {
  std::string entry = "[";
  entry += fields_ ? fields_->mailbox : account.mailbox.value_or("");
  entry += "] ";
  entry += text;
  host_.Log(entry);
}

void Pop3Session::ForgetCommands() {
  window_.Clear();
  out_.clear();
  queued_ = lastBatch_ = 0;
  fetching_ = false;
}

void Pop3Session::Begin(const Account& account) {
  SetState(SessionState::kGreeting);
  fields_ = FieldsOf(account);
}

const AccountFields& Pop3Session::Fields(const Account& account) {
  if (!fields_) fields_ = FieldsOf(account);
  return *fields_;
}

void Pop3Session::SetState(SessionState state) {
  if (state == SessionState::kGreeting) fields_.reset();
  ForgetCommands();
  window_.Push(ExpectedReply{state, currentNumber_});
  Enter();
}

void Pop3Session::Queue(Account& account, ExpectedReply reply, std::string command,
                        std::string_view logText) {
  LogLine(account, logText.empty() ? std::string_view(command) : logText);
  reply.commandBytes = command.size();
  out_ += command;
  ++queued_;
  window_.Push(std::move(reply));
  if (window_.Size() == 1) Enter();
}

SessionReply Pop3Session::Flush() {
  SessionReply reply;
  lastSent_ = out_ == "STAT\r\n" ? SentKind::kStat : SentKind::kOther;
  reply.command = std::move(out_);
  out_.clear();
  lastBatch_ = queued_;
  queued_ = 0;
  return reply;
}

void Pop3Session::Pop() {
  window_.PopFront();
  if (!window_.Empty()) Enter();
}

void Pop3Session::Enter() {
  const ExpectedReply& head = window_.Front();
  state_ = head.state;
  currentNumber_ = head.number;
  skippingText_ = false;
  skippedBytes_ = 0;
  capaBytes_ = 0;
  if (head.skip) return;
  switch (state_) {
    case SessionState::kTopSent:
    case SessionState::kRetrSent:
      sizeText_ = head.sizeText;
      ResetMessage(head.expected > 0 ? static_cast<size_t>(head.expected) + 3 : kDefaultBuffer + 3);
      break;
    case SessionState::kCapaSent:
    case SessionState::kResyncUidl:
    case SessionState::kFillUidl:
      listingSeen_ = false;
      break;
    default:
      break;
  }
}

SessionReply Pop3Session::Send(Account& account, SessionState next, std::string command,
                               std::string_view logText) {
  int number = currentNumber_;
  Pop();
  Queue(account, ExpectedReply{next, number}, std::move(command), logText);
  return Flush();
}

SessionReply Pop3Session::Quit(Account& account) {
  sizeText_.reset();
  message_ = std::string();
  spare_ = std::string();
  fetching_ = false;
  window_.Clear();
  Queue(account, ExpectedReply{SessionState::kQuitting}, kQuit);
  SessionReply reply = Flush();
  lastSent_ = SentKind::kQuit;
  return reply;
}

SessionReply Pop3Session::Fail(std::string error) {
  state_ = SessionState::kFailed;
  ForgetCommands();
  sizeText_.reset();
  message_ = std::string();
  spare_ = std::string();
  uidl_.Clear();
  lastSent_ = SentKind::kQuit;  // the QUIT after a failure is not looked at
  SessionReply reply;
  reply.goOn = false;
  reply.command = kQuit;
  reply.error = std::move(error);
  return reply;
}

SessionReply Pop3Session::FailWithReply(const char* message, std::string_view reply) {
  std::string text = message;
  text += reply;
  return Fail(CutErrorText(std::move(text)));
}

SessionReply Pop3Session::OnSendFailed(Account& account) {
  // The message before the command that failed was fetched whole: keep it.
  CompletePending(account);
  SessionReply reply;
  reply.goOn = false;
  reply.error = texts::kSendFailed;
  if (lastSent_ == SentKind::kOther) {
    // Any other command: the session fails, which still says QUIT.
    reply = Fail(texts::kSendFailed);
  } else {
    state_ = SessionState::kFailed;
    window_.Clear();
  }
  return reply;
}

void Pop3Session::ResetMessage(size_t expected) {
  message_ = std::move(spare_);
  spare_ = std::string();
  message_.clear();
  message_.reserve(std::min(expected, kMaxReserve));
  messageReceived_ = 0;
  messageCut_ = false;
  statusSeen_ = false;
}

bool Pop3Session::AppendToMessage(std::string_view line) {
  messageReceived_ += line.size() + 2;
  if (messageReceived_ > kDrainFactor * settings_.maxMessageBytes) return false;
  // Once a line is dropped, every later one is too: what is kept is the start of the message.
  if (messageCut_ || messageReceived_ > settings_.maxMessageBytes) {
    messageCut_ = true;
    return true;
  }
  message_.append(line);
  message_.append("\r\n", 2);
  return true;
}

void Pop3Session::LogOverLimit(const Account& account, const char* what) {
  char text[160];
  std::snprintf(text, sizeof text, "message %d is over the size limit of %zu bytes: %s",
                currentNumber_, settings_.maxMessageBytes, what);
  LogLine(account, text);
}

SessionReply Pop3Session::OnLine(std::string_view line, Account& account) {
  if (PendingDue()) {
    SessionReply parsed = CompletePending(account);
    if (!parsed.goOn) return parsed;
  }
  if (!window_.Empty() && window_.Front().skip) return SkipLine(line, account);
  switch (state_) {
    case SessionState::kGreeting:
      if (settings_.log) LogLine(account, line);
      return Greeting(line, account);
    case SessionState::kCapaSent:
      return CapaLine(line, account);
    case SessionState::kStlsSent:
      return StlsReply(line, account);
    case SessionState::kStartingTls:
      // Nothing may come in clear between STLS and the handshake.
      LogLine(account, line);
      return FailWithReply(texts::kBadGreeting, line);
    case SessionState::kUserSent: {
      if (settings_.log) LogLine(account, line);
      if (!IsPositiveReply(line)) return LoginRejected(texts::kUserRejected, line, account);
      return Send(account, SessionState::kAuthSent, "PASS " + Fields(account).password + "\r\n",
                  "PASS ****");
    }
    case SessionState::kSaslSent:
      return SaslLine(line, account);
    case SessionState::kAuthSent:
      if (settings_.log) LogLine(account, line);
      if (!IsPositiveReply(line)) return LoginRejected(texts::kAuthRejected, line, account);
      return Send(account, SessionState::kStatSent, "STAT\r\n");
    case SessionState::kStatSent:
      return StatReply(line, account);
    case SessionState::kListSent:
      return ListReply(line, account);
    case SessionState::kTopSent:
    case SessionState::kRetrSent:
      return FetchLine(line, account);
    case SessionState::kResyncUidl:
    case SessionState::kFillUidl:
      return UidlLine(line, account);
    case SessionState::kQuitting: {
      if (StartsWithNoCase(line, "+OK") || StartsWithNoCase(line, "-ER")) LogLine(account, line);
      // Whatever the server says after this is not waited for.
      SessionReply reply;
      reply.quitAnswered = true;
      return reply;
    }
    case SessionState::kFailed:
      break;
  }
  SessionReply reply;
  reply.goOn = false;
  return reply;
}

SessionReply Pop3Session::Greeting(std::string_view line, Account& account) {
  if (!IsPositiveReply(line)) return FailWithReply(texts::kBadGreeting, line);
  greeting_.assign(line);
  oauth_ = OAuthSettingsOf(Fields(account)).has_value();
  // An account that cannot log in fails here, before any STLS.
  if (const char* problem = LoginProblem(Fields(account), account)) return Fail(problem);
  secured_ = false;
  stlsOffered_ = false;
  pipelining_ = false;
  capaListed_ = xoauth2_ = oauthBearer_ = false;
  return Send(account, SessionState::kCapaSent, "CAPA\r\n");
}

std::optional<std::string_view> Pop3Session::ApopTimestamp() const {
  size_t open = greeting_.rfind('<');
  size_t close = open == std::string::npos ? open : greeting_.rfind('>');
  if (open == std::string::npos || close == std::string::npos || close < open) return std::nullopt;
  return std::string_view(greeting_).substr(open, close - open + 1);
}

const char* Pop3Session::LoginProblem(const AccountFields& fields, const Account& account) const {
  if (oauth_) return OAuthLoginProblem(fields.user, fields.security, account.accessToken);
  if (fields.user.empty()) return texts::kNoUserName;
  if (fields.password.empty()) return texts::kNoPassword;
  if (!IsSendableCredential(fields.user) || !IsSendableCredential(fields.password)) {
    return kCredentialRefused;
  }
  if (fields.apop == 1 && !ApopTimestamp()) return texts::kNoApop;
  return nullptr;
}

SessionReply Pop3Session::Login(Account& account) {
  const AccountFields& fields = Fields(account);
  if (const char* problem = LoginProblem(fields, account)) return Fail(problem);
  if (oauth_) return OAuthLogin(account);
  if (fields.apop == 1) {
    std::string stamp(*ApopTimestamp());
    stamp += fields.password;
    return Send(account, SessionState::kAuthSent,
                "APOP " + fields.user + " " + Md5Hex(stamp) + "\r\n", "APOP ****");
  }
  return Send(account, SessionState::kUserSent, "USER " + fields.user + "\r\n");
}

SessionReply Pop3Session::OAuthLogin(Account& account) {
  const AccountFields& fields = Fields(account);
  // A server without CAPA may still take XOAUTH2; its answer decides.
  OAuthMechanism mechanism = ChooseOAuthMechanism(oauthBearer_, xoauth2_ || !capaListed_);
  if (mechanism == OAuthMechanism::kNone) return Fail(texts::kOAuthNotOffered);
  std::string name = OAuthMechanismName(mechanism);
  std::string response = OAuthInitialResponse(mechanism, fields.user, ServerHostName(fields.server),
                                              fields.port, account.accessToken);
  std::string command = "AUTH " + name + " " + response + "\r\n";
  // A command longer than 255 octets must leave its initial response to the continuation.
  const bool initial = command.size() <= 255;
  sasl_.Start(mechanism, std::move(response), initial);
  if (!initial) command = "AUTH " + name + "\r\n";
  return Send(account, SessionState::kSaslSent, std::move(command),
              "AUTH " + name + (initial ? " ****" : ""));
}

SessionReply Pop3Session::SaslLine(std::string_view line, Account& account) {
  LogLine(account, line);
  if (IsPositiveReply(line)) return Send(account, SessionState::kStatSent, "STAT\r\n");
  if (!line.empty() && line[0] == '+') {
    std::string answer = sasl_.OnContinuation(line.substr(1));
    return Send(account, SessionState::kSaslSent, answer + "\r\n", sasl_.LastLogText());
  }
  SessionReply reply = FailWithReply(OAuthRefusedText(sasl_.ServerStatus()).c_str(), line);
  reply.tokenRefused = true;
  return reply;
}

SessionReply Pop3Session::LoginRejected(const char* message, std::string_view line,
                                        const Account& account) {
  if (Fields(account).security == static_cast<int>(SecurityMode::kNone) && AsksForTls(line)) {
    return FailWithReply(texts::kTlsRequired, line);
  }
  return FailWithReply(message, line);
}

SessionReply Pop3Session::CapaLine(std::string_view line, Account& account) {
  LogLine(account, line);
  capaBytes_ += line.size() + 2;
  if (capaBytes_ > kMaxCapaBytes) return Fail(texts::kOutOfMemory);
  if (!listingSeen_) {
    if (IsPositiveReply(line)) {
      listingSeen_ = true;
      return {};
    }
    return AfterCapa(account, false);
  }
  if (line != ".") {
    std::string_view name = line.substr(0, line.find(' '));
    if (EqualsNoCase(name, "STLS")) stlsOffered_ = true;
    if (EqualsNoCase(name, "PIPELINING")) pipelining_ = true;
    if (EqualsNoCase(name, "SASL")) {
      size_t pos = 0;
      NextWord(line, pos);
      for (std::string_view word = NextWord(line, pos); !word.empty(); word = NextWord(line, pos)) {
        xoauth2_ = xoauth2_ || EqualsNoCase(word, "XOAUTH2");
        oauthBearer_ = oauthBearer_ || EqualsNoCase(word, "OAUTHBEARER");
      }
    }
    return {};
  }
  listingSeen_ = false;
  return AfterCapa(account, true);
}

SessionReply Pop3Session::AfterCapa(Account& account, bool listed) {
  capaListed_ = listed;
  if (!WantsStls(Fields(account)) || secured_) return Login(account);
  // A server without CAPA may still know STLS; its answer decides.
  if (listed && !stlsOffered_) return Fail(texts::kStlsNotOffered);
  return Send(account, SessionState::kStlsSent, "STLS\r\n");
}

SessionReply Pop3Session::StlsReply(std::string_view line, Account& account) {
  LogLine(account, line);
  if (!IsPositiveReply(line)) return FailWithReply(texts::kStlsRefused, line);
  SetState(SessionState::kStartingTls);
  SessionReply reply;
  reply.startTls = true;
  return reply;
}

SessionReply Pop3Session::OnSecured(Account& account) {
  if (state_ != SessionState::kStartingTls) return {};
  // What the server said in clear no longer counts.
  secured_ = true;
  stlsOffered_ = false;
  pipelining_ = false;
  capaListed_ = xoauth2_ = oauthBearer_ = false;
  return Send(account, SessionState::kCapaSent, "CAPA\r\n");
}

SessionReply Pop3Session::StatReply(std::string_view line, Account& account) {
  host_.OnStatReply();
  LogLine(account, line);
  if (!IsPositiveReply(line)) return FailWithReply(texts::kStatRejected, line);
  size_t pos = 0;
  NextWord(line, pos);
  std::string_view count = NextWord(line, pos);
  account.messageCount = ReadReplyNumber(count);
  account.mailboxSize = 0;
  if (pos < line.size()) {
    ++pos;  // the one space after the count
    account.mailboxSize = ReadReplyNumber(line.substr(pos));
  }
  bool firstAndEmpty = account.lastNumber == -1 && account.messageCount == 0;
  if (!firstAndEmpty) useRetr_ = settings_.listDown != 0;
  return Follow(AfterStat(account), account);
}

SessionReply Pop3Session::Follow(const SyncStep& step, Account& account) {
  switch (step.kind) {
    case SyncStep::Kind::kQuit: {
      if (!MissesUniqueIds(account)) return Quit(account);
      // Items that a cut-off check left without ids get them now, before a resynchronisation
      // would have to take them for gone.
      Pop();
      ExpectedReply uidl{SessionState::kFillUidl};
      uidl.catchUp = true;
      Queue(account, std::move(uidl), "UIDL\r\n");
      return Flush();
    }
    case SyncStep::Kind::kResync:
      listingSeen_ = false;
      uidl_.Clear();
      return Send(account, SessionState::kResyncUidl, "UIDL\r\n");
    case SyncStep::Kind::kVerify:
      currentNumber_ = step.number;
      return Send(account, SessionState::kTopSent, TopCommand(step.number, 0));
    case SyncStep::Kind::kFetch:
      return StartFetch(account, step.number);
  }
  return Quit(account);
}

SessionReply Pop3Session::StartFetch(Account& account, int first) {
  Pop();
  fetching_ = true;
  nextList_ = FirstFetched(account, first, settings_.bounds);
  return Refill(account);
}

SessionReply Pop3Session::Refill(Account& account) {
  size_t limit = settings_.pipelining && pipelining_ ? kPipelineCommands : 1;
  while (fetching_) {
    if (nextList_ <= account.messageCount) {
      int number = static_cast<int>(nextList_);
      std::string command = NumberCommand("LIST", number);
      if (!window_.HasRoom(limit, command.size())) break;
      Queue(account, ExpectedReply{SessionState::kListSent, number}, std::move(command));
      ++nextList_;
      continue;
    }
    // The UIDL that fills in unique ids goes after the last fetch command, which waits for the
    // last LIST reply.
    if (window_.Awaits(SessionState::kListSent) || !window_.HasRoom(limit, 6)) break;
    fetching_ = false;
    Queue(account, ExpectedReply{SessionState::kFillUidl}, "UIDL\r\n");
  }
  return Flush();
}

SessionReply Pop3Session::ListReply(std::string_view line, Account& account) {
  LogLine(account, line);
  int number = currentNumber_;
  ExpectedReply fetch{useRetr_ ? SessionState::kRetrSent : SessionState::kTopSent, number};
  bool tooBig = false;
  if (IsPositiveReply(line)) {
    size_t pos = 0;
    NextWord(line, pos);
    NextWord(line, pos);
    std::string_view size = NextWord(line, pos);
    fetch.sizeText.emplace(size);
    fetch.expected = ReadReplyNumber(size);
    tooBig = useRetr_ && fetch.expected > 0 &&
             static_cast<size_t>(fetch.expected) > settings_.maxMessageBytes;
    int estimate = TopEstimate(settings_.getLine);
    if (!useRetr_ && (fetch.expected <= 0 || fetch.expected >= estimate)) fetch.expected = estimate;
  }
  std::string command;
  if (tooBig) {
    // Its header is enough to list it with its size and subject; a server without TOP sends it
    // whole instead, and what fits is kept.
    LogOverLimit(account, "only its header is fetched");
    fetch.state = SessionState::kTopSent;
    fetch.headerOnly = true;
    fetch.expected = kDefaultBuffer;
    command = TopCommand(number, 0);
  } else if (useRetr_) {
    command = NumberCommand("RETR", number);
  } else {
    command = TopCommand(number, settings_.getLine);
  }
  Pop();
  Queue(account, std::move(fetch), std::move(command));
  return Refill(account);
}

SessionReply Pop3Session::FetchLine(std::string_view line, Account& account) {
  if (!statusSeen_) {
    LogLine(account, line);
    if (line == ".") return {};
    if (IsPositiveReply(line)) {
      statusSeen_ = true;
      return {};
    }
    message_ = std::string();
    if (currentNumber_ == account.lastNumber) {
      // The numbering is in doubt: whatever else was asked for is read and dropped.
      fetching_ = false;
      Pop();
      window_.SkipAll();
      Queue(account, ExpectedReply{SessionState::kResyncUidl}, "UIDL\r\n");
      return Flush();
    }
    if (state_ == SessionState::kRetrSent) return FailWithReply(texts::kRetrRejected, line);
    return TopRefused(account);
  }
  if (line != ".") {
    bool cut = messageCut_;
    if (!AppendToMessage(line)) return Fail(texts::kOutOfMemory);
    if (messageCut_ && !cut) LogOverLimit(account, "the rest of it is not kept");
    return {};
  }
  return MessageComplete(account);
}

SessionReply Pop3Session::MessageComplete(Account& account) {
  if (currentNumber_ == account.lastNumber && account.lastIdentity) {
    std::string identity = host_.Identity(message_);
    message_ = std::string();
    return Follow(AfterVerification(account, identity), account);
  }
  pending_.emplace(PendingMessage{std::move(message_), std::move(sizeText_), currentNumber_});
  message_ = std::string();
  sizeText_.reset();
  Pop();
  return Refill(account);
}

SessionReply Pop3Session::TopRefused(Account& account) {
  // RETR for this message and for every later one, as lock-step would ask. Every fetch already
  // sent for a later message is read and dropped and asked again after it, so that the messages
  // still come in order and lastNumber never passes a message not fetched yet.
  useRetr_ = true;
  auto retr = [](const ExpectedReply& top) {
    ExpectedReply r{SessionState::kRetrSent, top.number};
    r.sizeText = top.sizeText;
    r.expected = r.sizeText ? ReadReplyNumber(*r.sizeText) : 0;
    return r;
  };
  std::vector<ExpectedReply> again{retr(window_.Front())};
  auto& replies = window_.Replies();
  for (size_t i = 1; i < replies.size(); ++i) {
    ExpectedReply& r = replies[i];
    if (r.skip) continue;
    if (r.state == SessionState::kFillUidl) {
      // The listing must come after the messages asked for again: it is asked again too.
      r.skip = true;
      fetching_ = true;
    }
    if (r.state != SessionState::kTopSent && r.state != SessionState::kRetrSent) continue;
    r.skip = true;
    if (r.headerOnly) {
      ExpectedReply header = r;
      header.skip = false;
      again.push_back(std::move(header));
    } else {
      again.push_back(retr(r));
    }
  }
  Pop();
  for (ExpectedReply& r : again) {
    std::string command = r.headerOnly ? TopCommand(r.number, 0) : NumberCommand("RETR", r.number);
    Queue(account, std::move(r), std::move(command));
  }
  return Refill(account);
}

SessionReply Pop3Session::SkipLine(std::string_view line, Account& account) {
  if (!skippingText_) {
    LogLine(account, line);
    bool multiLine = state_ != SessionState::kListSent;
    if (multiLine && line == ".") return {};
    if (multiLine && IsPositiveReply(line)) {
      skippingText_ = true;
      return {};
    }
  } else if (line != ".") {
    skippedBytes_ += line.size() + 2;
    if (skippedBytes_ > settings_.maxMessageBytes) return Fail(texts::kOutOfMemory);
    return {};
  }
  Pop();
  return Refill(account);
}

SessionReply Pop3Session::CompletePending(Account& account) {
  if (!pending_) return {};
  PendingMessage message = std::move(*pending_);
  pending_.reset();
  if (message.number == account.lastNumber) EmptyItems(account, keeper_);
  std::optional<std::string_view> size;
  if (message.sizeText) size = *message.sizeText;
  std::unique_ptr<MailItem> built = host_.BuildItem(account, message.text, size);
  bool fetching = state_ == SessionState::kRetrSent || state_ == SessionState::kTopSent;
  if (fetching && message.text.capacity() <= kMaxReserve) {
    message.text.clear();
    spare_ = std::move(message.text);
  }
  if (!built) return Fail(texts::kOutOfMemory);
  built->account = &account;
  built->isNew = 1;
  built->number = message.number;
  MailItem* item = keeper_.Adopt(std::move(built));
  account.items.push_back(item);
  ++newCount;
  account.lastNumber = message.number;
  account.lastIdentity = item->identity;
  KeepWithinBounds(account, keeper_, settings_.bounds);
  return {};
}

SessionReply Pop3Session::UidlLine(std::string_view line, Account& account) {
  LogLine(account, line);
  bool resync = state_ == SessionState::kResyncUidl;
  if (!listingSeen_) {
    if (IsPositiveReply(line)) {
      listingSeen_ = true;
      uidl_.Clear();
      return {};
    }
    if (!resync) return window_.Front().catchUp ? Quit(account) : Fail("");
    EmptyItems(account, keeper_);
    account.lastNumber = 0;
    return StartFetch(account, 1);
  }
  if (line != ".") {
    // The listing may not outgrow what STAT announced, nor the memory bound.
    if (static_cast<long long>(uidl_.Size()) >= account.messageCount ||
        uidl_.Bytes() + line.size() > kMaxUidlBytes) {
      return Fail(texts::kOutOfMemory);
    }
    uidl_.Add(line);
    return {};
  }
  listingSeen_ = false;
  if (resync) return Follow(Resynchronise(account, uidl_, keeper_), account);
  FillUniqueIds(account, uidl_);
  return Quit(account);
}

}  // namespace postwink
