#include "core/imap/imap_session.h"

#include <algorithm>
#include <cstdio>

#include "core/config/credentials.h"
#include "core/imap/imap_session_internal.h"
#include "core/imap/imap_texts.h"
#include "core/mime/transfer_encoding.h"
#include "core/net/net_address.h"
#include "core/net/net_texts.h"
#include "core/net/sasl.h"
#include "core/net/security_setting.h"
#include "core/oauth/oauth_settings.h"
#include "core/oauth/oauth_texts.h"
#include "core/pop3/pop3_texts.h"
#include "core/text/utf8.h"

namespace postwink {

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

namespace {

std::optional<uint32_t> CodeNumber(const ImapResponse& response) {
  uint64_t value = 0;
  if (response.codeArgs.empty() || response.codeArgs.size() > 10) return std::nullopt;
  for (char c : response.codeArgs) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// "[CODE args] text" as the server wrote it, for the user.
std::string ServerText(const ImapResponse& response) {
  std::string text;
  if (!response.code.empty()) {
    text = "[" + response.code;
    if (!response.codeArgs.empty()) text += " " + response.codeArgs;
    text += "] ";
  }
  return text + response.text;
}

}  // namespace

ImapFolderState& FolderState(Account& account, std::string_view name) {
  for (ImapFolderState& folder : account.imapFolders) {
    if (folder.name == name) return folder;
  }
  account.imapFolders.push_back(ImapFolderState{std::string(name)});
  return account.imapFolders.back();
}

std::vector<std::string> SplitFolders(std::string_view folders) {
  std::vector<std::string> names;
  while (true) {
    const size_t comma = folders.find(',');
    std::string_view name = folders.substr(0, comma);
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
      names.emplace_back(name);
    }
    if (comma == std::string_view::npos) break;
    folders.remove_prefix(comma + 1);
  }
  if (names.empty()) names.emplace_back("INBOX");
  return names;
}

size_t TextBytesFor(int getLine) {
  if (getLine <= 0) return kWholeTextBytes;
  return static_cast<size_t>(std::min<long long>(80LL * getLine + 2400, kWholeTextBytes * 16));
}

void ImapSession::Begin(Account& account) {
  reader_.Reset();
  part_.reset();
  partTooLarge_ = false;
  if (partRequest_) {
    folders_ = {partRequest_->place.folder};
    reader_.SetLiteralKept(partRequest_->maxBytes);
  } else {
    folders_ = SplitFolders(account.folders);
    account.messageCount = 0;
    reader_.SetLiteralKept(std::max(kMaxHeaderBytes, TextBytesFor(settings_.getLine)));
  }
  phase_ = ImapState::kGreeting;
  nextTag_ = 0;
  capabilities_.clear();
  capabilitiesSeen_ = false;
  greeted_ = false;
  secured_ = false;
  utf8_ = false;
  folderIndex_ = 0;
  fetchesLeft_ = 0;
  found_.clear();
  folderError_.clear();
  rounds_ = 0;
}

SessionReply ImapSession::Wake(Account& account) {
  if (phase_ != ImapState::kIdling) return {};
  phase_ = ImapState::kIdleDone;
  LogLine(account, "DONE");
  SessionReply reply;
  reply.command = "DONE\r\n";
  return reply;
}

void ImapSession::Abandon() {
  phase_ = ImapState::kFailed;
  reader_.Reset();
}

SessionReply ImapSession::OnSendFailed(Account&) { return Fail(texts::kSendFailed); }

void ImapSession::LogLine(const Account& account, std::string_view text) {
  std::string entry = "[";
  entry += account.mailbox.value_or("");
  entry += "] ";
  entry += text;
  host_.Log(entry);
}

std::string ImapSession::Tag() { return "a" + std::to_string(++nextTag_); }

SessionReply ImapSession::Send(Account& account, ImapState next, const std::string& command,
                               std::string_view logText) {
  phase_ = next;
  SessionReply reply;
  reply.command = Tag() + " " + command + "\r\n";
  LogLine(account, logText.empty() ? std::string_view(reply.command)
                                   : std::string_view("a" + std::to_string(nextTag_) + " " +
                                                      std::string(logText)));
  return reply;
}

SessionReply ImapSession::Fail(std::string error) {
  const bool connected = greeted_ && phase_ != ImapState::kStartingTls;
  phase_ = ImapState::kFailed;
  reader_.Reset();
  SessionReply reply;
  reply.goOn = false;
  reply.error = CutErrorText(std::move(error));
  // A polite goodbye where the conversation is still in step.
  if (connected) reply.command = Tag() + " LOGOUT\r\n";
  return reply;
}

SessionReply ImapSession::FailWith(const char* message, const ImapResponse& response) {
  return Fail(message + ServerText(response));
}

SessionReply ImapSession::Logout(Account& account) {
  if (!folderError_.empty()) return Fail(folderError_);
  if (idle_ && Has("IDLE")) {
    // IDLE watches the selected folder: the first one is selected again after the others.
    if (folders_.size() > 1) {
      return Send(account, ImapState::kExamineForIdle, "EXAMINE " + *WireName(folders_[0]));
    }
    return Send(account, ImapState::kIdle, "IDLE");
  }
  return Send(account, ImapState::kLoggingOut, "LOGOUT");
}

SessionReply ImapSession::OnLine(std::string_view line, Account& account) {
  if (phase_ == ImapState::kFailed) {
    SessionReply reply;
    reply.goOn = false;
    return reply;
  }
  // Message text is logged only when it is asked for; the protocol's own lines always.
  const bool messageText = phase_ == ImapState::kFetch || phase_ == ImapState::kFetchPart;
  if (settings_.log || !messageText) LogLine(account, line);
  line_ = line;
  ImapResponseReader::Result result = reader_.Feed(line);
  if (result.status == ImapResponseReader::Status::kMore) return {};
  if (result.status == ImapResponseReader::Status::kError) {
    return Fail(texts::kBadGreeting + result.error);
  }
  return OnResponse(result.response, account);
}

SessionReply ImapSession::OnResponse(ImapResponse& response, Account& account) {
  // Nothing may come in clear between STARTTLS and the handshake.
  if (phase_ == ImapState::kStartingTls) return Fail(texts::kBadGreeting + std::string(line_));
  if (phase_ == ImapState::kGreeting) return Greeting(response, account);
  switch (response.kind) {
    case ImapResponse::Kind::kUntagged:
      return Untagged(response, account);
    case ImapResponse::Kind::kTagged:
      return Tagged(response, account);
    case ImapResponse::Kind::kContinuation:
      break;
  }
  if (phase_ == ImapState::kIdle) {
    phase_ = ImapState::kIdling;
    return {};
  }
  if (phase_ == ImapState::kLogin && oauth_) {
    SessionReply reply;
    reply.command = sasl_.OnContinuation(response.text) + "\r\n";
    LogLine(account, sasl_.LastLogText());
    return reply;
  }
  // Nothing else we send waits for a continuation.
  return Fail(texts::kBadGreeting + std::string(line_));
}

SessionReply ImapSession::Greeting(ImapResponse& response, Account& account) {
  if (response.kind != ImapResponse::Kind::kUntagged ||
      (response.status != ImapStatus::kOk && response.status != ImapStatus::kPreauth)) {
    if (response.status == ImapStatus::kBye) return FailWith(texts::kImapServerBye, response);
    return Fail(texts::kBadGreeting + std::string(line_));
  }
  greeted_ = true;
  oauth_ = OAuthSettingsOf(FieldsOf(account)).has_value();
  if (oauth_) {
    if (const char* problem =
            OAuthLoginProblem(account.user.value_or(""), account.security, account.accessToken)) {
      return Fail(problem);
    }
  } else {
    if (account.user.value_or("").empty()) return Fail(texts::kNoUserName);
    if (account.password.value_or("").empty()) return Fail(texts::kNoPassword);
    if (!IsSendableCredential(*account.user) || !IsSendableCredential(*account.password)) {
      return Fail(kCredentialRefused);
    }
  }
  if (response.status == ImapStatus::kPreauth) {
    // Signed in already: a STARTTLS now would come too late to protect anything.
    if (account.security == static_cast<int>(SecurityMode::kStls)) {
      return Fail(texts::kImapStartTlsNotOffered);
    }
    phase_ = ImapState::kLogin;
    if (response.code == "CAPABILITY") TakeCapabilities(response.codeArgs);
    return AfterLogin(account);
  }
  if (response.code == "CAPABILITY") {
    TakeCapabilities(response.codeArgs);
    return AfterCapabilities(account);
  }
  return Send(account, ImapState::kCapability, "CAPABILITY");
}

void ImapSession::TakeCapabilities(std::string_view list) {
  capabilities_.clear();
  capabilitiesSeen_ = true;
  while (!list.empty()) {
    const size_t space = list.find(' ');
    std::string_view word = list.substr(0, space);
    if (!word.empty()) capabilities_.insert(UpperAscii(word));
    if (space == std::string_view::npos) break;
    list.remove_prefix(space + 1);
  }
}

SessionReply ImapSession::Untagged(ImapResponse& response, Account& account) {
  if (response.status == ImapStatus::kBye) {
    if (phase_ == ImapState::kLoggingOut) return {};
    return FailWith(texts::kImapServerBye, response);
  }
  if (response.name == "CAPABILITY") {
    std::string list;
    for (const ImapValue& value : response.values) {
      if (value.kind == ImapValue::Kind::kAtom) list += value.text + " ";
    }
    TakeCapabilities(list);
    return {};
  }
  if (response.status == ImapStatus::kOk && response.code == "CAPABILITY") {
    TakeCapabilities(response.codeArgs);
    return {};
  }
  switch (phase_) {
    case ImapState::kEnable:
      if (response.name == "ENABLED") {
        for (const ImapValue& value : response.values) utf8_ = utf8_ || value.IsAtom("UTF8=ACCEPT");
      }
      break;
    case ImapState::kExamine:
      if (response.name == "EXISTS" && response.number) {
        exists_ = *response.number;
      } else if (response.status == ImapStatus::kOk && response.code == "UIDVALIDITY") {
        uidValidity_ = CodeNumber(response);
      } else if (response.status == ImapStatus::kOk && response.code == "UIDNEXT") {
        uidNext_ = CodeNumber(response);
      }
      break;
    case ImapState::kSearch:
      if (response.name == "SEARCH") {
        for (const ImapValue& value : response.values) {
          if (value.kind == ImapValue::Kind::kNumber && value.number > 0 &&
              value.number <= UINT32_MAX) {
            found_.push_back(static_cast<uint32_t>(value.number));
          }
        }
      }
      break;
    case ImapState::kIdling:
      // New mail (or a change) in the watched folder: leave IDLE and look.
      if (response.name == "EXISTS" || response.name == "RECENT") {
        phase_ = ImapState::kIdleDone;
        SessionReply reply;
        reply.command = "DONE\r\n";
        LogLine(account, "DONE");
        return reply;
      }
      break;
    case ImapState::kFetch:
      if (response.name == "FETCH" && response.values.size() == 1 &&
          response.values[0].kind == ImapValue::Kind::kList) {
        Fetched(response, account);
      }
      break;
    case ImapState::kFetchPart:
      if (response.name == "FETCH" && response.values.size() == 1 &&
          response.values[0].kind == ImapValue::Kind::kList) {
        PartFetched(response);
      }
      break;
    default:
      break;
  }
  // EXISTS, RECENT, EXPUNGE, FLAGS and the like change nothing of a read-only check.
  return {};
}

SessionReply ImapSession::Tagged(ImapResponse& response, Account& account) {
  const bool ok = response.status == ImapStatus::kOk;
  if (response.code == "CAPABILITY") TakeCapabilities(response.codeArgs);
  switch (phase_) {
    case ImapState::kCapability:
      if (!ok) return FailWith(texts::kImapCommandRejected, response);
      capabilitiesSeen_ = true;
      return AfterCapabilities(account);
    case ImapState::kCapabilityAfterLogin:
      if (!ok) return FailWith(texts::kImapCommandRejected, response);
      capabilitiesSeen_ = true;
      return AfterLogin(account);
    case ImapState::kStartTls:
      if (!ok) return FailWith(texts::kImapStartTlsRefused, response);
      {
        phase_ = ImapState::kStartingTls;
        reader_.Reset();
        SessionReply reply;
        reply.startTls = true;
        return reply;
      }
    case ImapState::kLogin:
      if (!ok) {
        if (oauth_) {
          SessionReply reply = FailWith(OAuthRefusedText(sasl_.ServerStatus()).c_str(), response);
          reply.tokenRefused = true;
          return reply;
        }
        if (account.security == static_cast<int>(SecurityMode::kNone) &&
            response.code == "PRIVACYREQUIRED") {
          return FailWith(texts::kTlsRequired, response);
        }
        return FailWith(texts::kAuthRejected, response);
      }
      // The capabilities before sign-in are not those after it.
      if (response.code != "CAPABILITY") capabilitiesSeen_ = false;
      return AfterLogin(account);
    case ImapState::kEnable:
      return NextFolder(account);
    case ImapState::kExamine:
      if (!ok) {
        const std::string& name = folders_[folderIndex_];
        LogLine(account, "folder " + name + " could not be opened");
        if (folderError_.empty()) {
          folderError_ = texts::kImapFolderMissing + name + "\n\n" + ServerText(response);
        }
        ++folderIndex_;
        return NextFolder(account);
      }
      return Examined(account);
    case ImapState::kSearch:
      if (!ok) return FailWith(texts::kImapCommandRejected, response);
      return Searched(account);
    case ImapState::kFetch:
      if (!ok) return FailWith(texts::kImapCommandRejected, response);
      if (fetchesLeft_ > 0 && --fetchesLeft_ > 0) return {};
      return FolderDone(account);
    case ImapState::kFetchPart:
      return PartDone(response, account);
    case ImapState::kLoggingOut:
      // The server's close ends the check.
      return {};
    case ImapState::kExamineForIdle:
      if (!ok) return FailWith(texts::kImapCommandRejected, response);
      return Send(account, ImapState::kIdle, "IDLE");
    case ImapState::kIdle:
    case ImapState::kIdleDone:
      if (!ok) return FailWith(texts::kImapCommandRejected, response);
      // IDLE ended: every folder is looked at again, then the session idles once more.
      ++rounds_;
      folderIndex_ = 0;
      return NextFolder(account);
    default:
      break;
  }
  return Fail(texts::kBadGreeting + std::string(line_));
}

SessionReply ImapSession::AfterCapabilities(Account& account) {
  if (!capabilitiesSeen_) return Send(account, ImapState::kCapability, "CAPABILITY");
  if (account.security == static_cast<int>(SecurityMode::kStls) && !secured_) {
    if (!Has("STARTTLS")) return Fail(texts::kImapStartTlsNotOffered);
    return Send(account, ImapState::kStartTls, "STARTTLS");
  }
  return Login(account);
}

SessionReply ImapSession::OnSecured(Account& account) {
  if (phase_ != ImapState::kStartingTls) return {};
  secured_ = true;
  // What the server said in clear no longer counts.
  capabilitiesSeen_ = false;
  return Send(account, ImapState::kCapability, "CAPABILITY");
}

SessionReply ImapSession::OAuthLogin(Account& account) {
  OAuthMechanism mechanism = ChooseOAuthMechanism(Has("AUTH=OAUTHBEARER"), Has("AUTH=XOAUTH2"));
  if (mechanism == OAuthMechanism::kNone) return Fail(texts::kOAuthNotOffered);
  std::string name = OAuthMechanismName(mechanism);
  const std::string& server = account.server.value_or("");
  std::string response = OAuthInitialResponse(mechanism, *account.user, ServerHostName(server),
                                              account.port, account.accessToken);
  const bool initial = Has("SASL-IR");
  std::string command = "AUTHENTICATE " + name;
  if (initial) command += " " + response;
  sasl_.Start(mechanism, std::move(response), initial);
  return Send(account, ImapState::kLogin, command,
              "AUTHENTICATE " + name + (initial ? " ****" : ""));
}

SessionReply ImapSession::Login(Account& account) {
  if (oauth_) return OAuthLogin(account);
  const std::string& user = *account.user;
  const std::string& password = *account.password;
  if (Has("LOGINDISABLED")) {
    if (account.security == static_cast<int>(SecurityMode::kNone)) return Fail(texts::kTlsRequired);
    if (!Has("AUTH=PLAIN") || !Has("SASL-IR")) return Fail(texts::kImapNoLoginMethod);
    return Send(account, ImapState::kLogin, "AUTHENTICATE PLAIN " + SaslPlain(user, password),
                "AUTHENTICATE PLAIN ****");
  }
  return Send(account, ImapState::kLogin, "LOGIN " + Quoted(user) + " " + Quoted(password),
              "LOGIN " + Quoted(user) + " ****");
}

SessionReply ImapSession::AfterLogin(Account& account) {
  if (!capabilitiesSeen_) return Send(account, ImapState::kCapabilityAfterLogin, "CAPABILITY");
  if (Has("ENABLE") && Has("UTF8=ACCEPT")) {
    return Send(account, ImapState::kEnable, "ENABLE UTF8=ACCEPT");
  }
  return NextFolder(account);
}

}  // namespace postwink
