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
#include "core/pop3/pop3_session_internal.h"
#include "core/pop3/pop3_texts.h"
#include "core/text/case.h"
#include "core/text/utf8.h"

namespace postwink {

// The word after the first word and its spaces, and where the text after it starts.
std::string_view NextWord(std::string_view text, size_t& pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  size_t start = pos;
  while (pos < text.size() && text[pos] != ' ') ++pos;
  return text.substr(start, pos - start);
}

namespace {

constexpr char kQuit[] = "QUIT\r\n";

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool WantsStls(const AccountFields& fields) {
  return fields.security == static_cast<int>(SecurityMode::kStls);
}

// A refusal that names SSL or TLS, as Dovecot's "-ERR [AUTH] Plaintext authentication
// disallowed on non-secure (SSL/TLS) connections." does: the password is not the problem.
bool AsksForTls(std::string_view reply) {
  return !IsPositiveReply(reply) && (ContainsNoCase(reply, "TLS") || ContainsNoCase(reply, "SSL"));
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

}  // namespace postwink
