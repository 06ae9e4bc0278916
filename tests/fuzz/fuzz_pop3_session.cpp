// The POP3 session fed with arbitrary server lines in arbitrary states (a CAPA listing
// PIPELINING among them): it must not crash or leak, keeps its window of commands sent ahead
// bounded, may only ever ask for USER, PASS, APOP, STAT, LIST, TOP, RETR, UIDL and QUIT (and
// CAPA and STLS), and an account that wants STLS never sends a credential before the transport
// has reported the connection secured.
// The first bytes choose the settings and the account; the rest is cut into lines by the line
// splitter, and a session that ends is followed by the next one on the same account.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "core/check/display_list.h"
#include "core/mime/message_identity.h"
#include "core/pop3/line_splitter.h"
#include "core/pop3/pop3_session.h"

namespace {

using namespace postwink;

class Host : public SessionHost {
 public:
  std::unique_ptr<MailItem> BuildItem(Account& account, std::string_view text,
                                      std::optional<std::string_view> sizeText) override {
    auto item = std::make_unique<MailItem>();
    item->account = &account;
    item->identity = MessageIdentity(text);
    if (text.size() % 3 == 0) item->uniqueId = item->identity;
    if (sizeText) item->sizeText = std::string(*sizeText);
    return item;
  }
  std::string Identity(std::string_view text) override { return MessageIdentity(text); }
  void Log(std::string_view) override {}
};

// A SASL response: base64 alone, or empty to end an exchange the server refused.
bool IsSaslResponse(std::string_view command) {
  command.remove_suffix(2);
  return command.find_first_not_of(
             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") ==
         std::string_view::npos;
}

void CheckOneCommand(std::string_view command, bool inSasl) {
  static const char* kAllowed[] = {"USER ",    "PASS ",    "APOP ",    "STAT\r\n",
                                   "LIST ",    "TOP ",     "RETR ",    "UIDL\r\n",
                                   "QUIT\r\n", "CAPA\r\n", "STLS\r\n", "AUTH "};
  bool allowed = inSasl && IsSaslResponse(command);
  for (const char* verb : kAllowed) allowed = allowed || command.starts_with(verb);
  if (!allowed) std::abort();
}

// One command, or several sent ahead to a pipelining server, each ended by its only CR LF.
// inSasl: the session was waiting for the server's SASL continuation.
void CheckCommand(const std::string& text, bool inSasl = false) {
  std::string_view rest = text;
  while (!rest.empty()) {
    size_t end = rest.find("\r\n");
    if (end == std::string_view::npos) std::abort();
    CheckOneCommand(rest.substr(0, end + 2), inSasl);
    rest.remove_prefix(end + 2);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  Host host;
  ItemKeeper keeper;
  DisplayList list;
  Account account;
  account.mailbox = "fuzz";
  account.user = "user";
  account.password = "secret";
  account.apop = data[0] & 1;
  account.security = (data[0] >> 4) % 3;
  SessionSettings settings;
  settings.listDown = (data[0] >> 1) & 1;
  settings.getLine = data[1] % 8;
  settings.log = (data[0] >> 2) & 1;
  settings.maxMessageBytes = 1 << 16;
  account.lastNumber = static_cast<int8_t>(data[2]) % 6;
  if (data[0] & 8) account.lastIdentity = "<x@y>";
  Pop3Session session(host, keeper);
  session.SetSettings(settings);
  session.SetState(static_cast<SessionState>(data[3] % 14));
  // From a greeting on, an STLS account's credentials wait for the secured connection.
  bool watching = session.State() == SessionState::kGreeting;
  bool secured = false;
  auto checkSecret = [&](const std::string& command) {
    bool secret =
        command.starts_with("USER") || command.starts_with("PASS") || command.starts_with("APOP");
    if (watching && account.security == 2 && !secured && secret) std::abort();
  };

  LineSplitter splitter(1 << 16);
  std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
  splitter.Feed(rest, [&](std::string_view line) {
    const bool inSasl = session.State() == SessionState::kSaslSent;
    SessionReply reply = session.OnLine(line, account);
    CheckCommand(reply.command, inSasl);
    // The window stays bounded (a refused TOP may requeue what it had).
    if (session.InFlight() > 2 * kPipelineCommands + 2) std::abort();
    checkSecret(reply.command);
    if (reply.startTls && line.size() % 5 != 4) {
      secured = true;
      reply = session.OnSecured(account);
      CheckCommand(reply.command);
    }
    if (!reply.command.empty() && line.size() % 7 == 3) {
      reply = session.OnSendFailed(account);
      CheckCommand(reply.command);
    }
    if (!reply.goOn || session.State() == SessionState::kQuitting) {
      MergeIntoDisplayList(account, list, keeper);
      session.SetState(SessionState::kGreeting);
      watching = true;
      secured = false;
    }
    return true;
  });
  MergeIntoDisplayList(account, list, keeper);
  return 0;
}
