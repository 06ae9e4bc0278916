// The IMAP session fed with arbitrary server lines: it must not crash or leak, may only ever send
// CAPABILITY, STARTTLS, LOGIN, AUTHENTICATE, ENABLE, EXAMINE, UID SEARCH, UID FETCH with
// BODY.PEEK and LOGOUT (never a command that changes the mailbox), and an account that wants
// STARTTLS never sends a credential before the transport has reported the connection secured.
// The first bytes choose the account and the settings; a session that ends is followed by the
// next one with the same folder state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "core/check/display_list.h"
#include "core/imap/imap_session.h"
#include "core/pop3/line_splitter.h"

namespace {

using namespace postwink;

class Host : public SessionHost {
 public:
  std::unique_ptr<MailItem> BuildItem(Account& account, std::string_view text,
                                      std::optional<std::string_view>) override {
    auto item = std::make_unique<MailItem>();
    item->account = &account;
    item->identity = std::string(text.substr(0, 16));
    return item;
  }
  std::string Identity(std::string_view) override { return {}; }
  void Log(std::string_view) override {}
};

void CheckOneCommand(std::string_view command, bool secretAllowed) {
  const size_t space = command.find(' ');
  if (space == std::string_view::npos) std::abort();
  std::string_view verb = command.substr(space + 1);
  static const char* kAllowed[] = {
      "CAPABILITY\r\n", "STARTTLS\r\n", "LOGOUT\r\n", "ENABLE UTF8=ACCEPT\r\n", "EXAMINE \"",
      "UID SEARCH ",    "UID FETCH ",   "LOGIN ",     "AUTHENTICATE PLAIN "};
  bool allowed = false;
  for (const char* prefix : kAllowed) allowed = allowed || verb.starts_with(prefix);
  if (!allowed) std::abort();
  const bool secret = verb.starts_with("LOGIN ") || verb.starts_with("AUTHENTICATE ");
  if (secret && !secretAllowed) std::abort();
  if (verb.starts_with("UID FETCH ") && (verb.find("BODY[") != std::string_view::npos ||
                                         verb.find("STORE") != std::string_view::npos)) {
    std::abort();
  }
}

void CheckCommand(const std::string& text, bool secretAllowed) {
  std::string_view rest = text;
  while (!rest.empty()) {
    const size_t end = rest.find("\r\n");
    if (end == std::string_view::npos) std::abort();
    CheckOneCommand(rest.substr(0, end + 2), secretAllowed);
    rest.remove_prefix(end + 2);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  Host host;
  ItemKeeper keeper;
  DisplayList list;
  Account account;
  account.mailbox = "fuzz";
  account.user = "user";
  account.password = "secret";
  account.security = data[0] % 3;
  ImapSessionSettings settings;
  settings.getLine = data[1] % 8;
  settings.fetchBatch = 1 + data[1] % 5;
  account.folders = "INBOX, Lists, \xC3\xA9t\xC3\xA9";
  ImapSession session(host, keeper);
  session.SetSettings(settings);
  session.Begin(account);
  bool secured = false;

  LineSplitter splitter(1 << 16);
  std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  splitter.Feed(rest, [&](std::string_view line) {
    SessionReply reply = session.OnLine(line, account);
    CheckCommand(reply.command, account.security != 2 || secured);
    if (reply.startTls && line.size() % 5 != 4) {
      secured = true;
      reply = session.OnSecured(account);
      CheckCommand(reply.command, true);
    }
    if (!reply.goOn || (session.LoggingOut() && line.size() % 3 == 0)) {
      MergeIntoDisplayList(account, list, keeper);
      session.Begin(account);
      secured = false;
    }
    return true;
  });
  MergeIntoDisplayList(account, list, keeper);
  return 0;
}
