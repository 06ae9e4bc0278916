#pragma once
// Test doubles for the POP3 session: an in-memory POP3 server that answers commands with reply
// lines, and a session host that builds items without the real parser.

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "core/config/account.h"
#include "core/mime/mail_item.h"
#include "core/pop3/md5.h"
#include "core/pop3/pop3_session.h"

namespace postwink::testing {

struct FakeMessage {
  std::string text;
  std::string uid;
};

inline FakeMessage MakeMessage(const std::string& id, const std::string& extraHeader = "") {
  return {"From: a@example.com\r\nSubject: " + id + "\r\nMessage-Id: <" + id + "@test>\r\n" +
              extraHeader + "\r\nbody of " + id + "\r\n..dotted\r\n",
          "uid-" + id};
}

class FakeServer {
 public:
  std::vector<FakeMessage> messages;
  std::string greeting = "+OK ready <1896.697170952@dbc.mtview.ca.us>";
  std::string user = "user";
  std::string password = "secret";
  bool noUidl = false;
  bool noTop = false;
  bool noList = false;
  int refuseRetr = 0;  // a message whose RETR is answered "-ERR"
  int extraUidlLines = 0;
  // CAPA answers with these lines (none: -ERR); STLS is answered "+OK" when stlsAccepted.
  std::vector<std::string> capabilities;
  bool stlsAccepted = false;
  std::string userReply;  // when set, the answer to USER (a refusal, say)
  // An AUTH that carries this text is accepted; any other is refused at once.
  std::string acceptedAuth = "\x01no token\x01";
  std::vector<std::string> commands;  // as received, without CR LF

  std::vector<std::string> Respond(std::string_view command) {
    std::string cmd(command);
    if (cmd.size() >= 2 && cmd.ends_with("\r\n")) cmd.resize(cmd.size() - 2);
    commands.push_back(cmd);
    std::vector<std::string> out;
    std::string word = cmd.substr(0, cmd.find(' '));
    int n = 0;
    int lines = -1;
    if (size_t sp = cmd.find(' '); sp != std::string::npos) {
      n = std::atoi(cmd.c_str() + sp + 1);
      if (size_t sp2 = cmd.find(' ', sp + 1); sp2 != std::string::npos) {
        lines = std::atoi(cmd.c_str() + sp2 + 1);
      }
    }
    bool valid = n >= 1 && n <= static_cast<int>(messages.size());
    if (word == "CAPA") {
      if (capabilities.empty()) {
        out.push_back("-ERR unknown command");
      } else {
        out.push_back("+OK capability list follows");
        for (const std::string& c : capabilities) out.push_back(c);
        out.push_back(".");
      }
    } else if (word == "STLS") {
      out.push_back(stlsAccepted ? "+OK begin TLS" : "-ERR not now");
    } else if (word == "AUTH") {
      out.push_back(cmd.find(acceptedAuth) != std::string::npos ? "+OK in" : "-ERR [AUTH] failed");
    } else if (word == "USER" && !userReply.empty()) {
      out.push_back(userReply);
    } else if (word == "USER") {
      out.push_back(cmd == "USER " + user ? "+OK" : "-ERR who?");
    } else if (word == "PASS") {
      out.push_back(cmd == "PASS " + password ? "+OK in" : "-ERR wrong");
    } else if (word == "APOP") {
      std::string stamp = greeting.substr(greeting.rfind('<'));
      out.push_back(cmd == "APOP " + user + " " + Md5Hex(stamp + password) ? "+OK in" : "-ERR no");
    } else if (word == "STAT") {
      size_t total = 0;
      for (auto& m : messages) total += m.text.size();
      out.push_back("+OK " + std::to_string(messages.size()) + " " + std::to_string(total));
    } else if (word == "LIST") {
      if (noList || !valid) {
        out.push_back("-ERR no such message");
      } else {
        out.push_back("+OK " + std::to_string(n) + " " +
                      std::to_string(messages[n - 1].text.size()));
      }
    } else if (word == "RETR" || word == "TOP") {
      if (!valid || (word == "TOP" && noTop) || (word == "RETR" && n == refuseRetr)) {
        out.push_back("-ERR no");
      } else {
        out.push_back("+OK");
        const std::string& text = messages[n - 1].text;
        size_t body = text.find("\r\n\r\n");
        auto push = [&out](std::string_view part, int limit) {
          int count = 0;
          size_t pos = 0;
          while (pos < part.size() && (limit < 0 || count < limit)) {
            size_t end = part.find("\r\n", pos);
            if (end == std::string_view::npos) end = part.size();
            out.emplace_back(part.substr(pos, end - pos));
            pos = end + 2;
            ++count;
          }
        };
        push(std::string_view(text).substr(0, body), -1);
        out.push_back("");
        push(std::string_view(text).substr(body + 4), word == "TOP" ? lines : -1);
        out.push_back(".");
      }
    } else if (word == "UIDL") {
      if (noUidl) {
        out.push_back("-ERR what?");
      } else {
        out.push_back("+OK");
        for (size_t i = 0; i < messages.size() + extraUidlLines; ++i) {
          out.push_back(std::to_string(i + 1) + " " +
                        (i < messages.size() ? messages[i].uid : "x" + std::to_string(i)));
        }
        out.push_back(".");
      }
    } else if (word == "QUIT") {
      out.push_back("+OK bye");
    } else {
      out.push_back("-ERR unknown");
    }
    return out;
  }
};

// Message-Id between angle brackets, else X-UIDL, else empty; enough for these tests.
inline std::string FakeIdentity(std::string_view text) {
  std::string_view header = text.substr(0, text.find("\r\n\r\n"));
  size_t at = header.find("Message-Id: <");
  if (at != std::string_view::npos) {
    size_t close = header.find('>', at);
    if (close != std::string_view::npos)
      return std::string(header.substr(at + 12, close - at - 11));
  }
  at = header.find("X-UIDL: ");
  if (at != std::string_view::npos) {
    size_t end = header.find("\r\n", at);
    return std::string(header.substr(at + 8, end - at - 8));
  }
  return ".";
}

class FakeSessionHost : public SessionHost {
 public:
  std::vector<std::string> log;
  std::vector<std::string> texts;  // message texts built into items
  std::vector<std::optional<std::string>> sizes;
  uint32_t flagsForNewItems = 0;

  std::unique_ptr<MailItem> BuildItem(Account& account, std::string_view text,
                                      std::optional<std::string_view> sizeText) override {
    auto item = std::make_unique<MailItem>();
    item->account = &account;
    item->identity = FakeIdentity(text);
    size_t uidl = text.find("X-UIDL: ");
    if (uidl != std::string_view::npos && uidl < text.find("\r\n\r\n")) {
      item->uniqueId = std::string(text.substr(uidl + 8, text.find("\r\n", uidl) - uidl - 8));
    }
    if (sizeText) item->sizeText = std::string(*sizeText);
    item->flags = flagsForNewItems;
    texts.emplace_back(text);
    sizes.emplace_back(item->sizeText);
    return item;
  }
  std::string Identity(std::string_view text) override { return FakeIdentity(text); }
  void Log(std::string_view text) override { log.emplace_back(text); }
};

struct SessionRun {
  SessionReply last;
  std::vector<std::string> commands;
  size_t securedAfter = 0;  // commands the server had received when TLS was up (0: never)
  size_t mostInFlight = 0;  // the most commands that waited for their replies at once
};

// The commands of one send, each with its CR LF.
inline std::vector<std::string> SplitCommands(std::string_view text) {
  std::vector<std::string> out;
  while (!text.empty()) {
    size_t end = text.find("\r\n");
    end = end == std::string_view::npos ? text.size() : end + 2;
    out.emplace_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return out;
}

// Runs one connection: the greeting, then the server's replies, strictly in the order of the
// commands, until the session ends or has quit. The server answers each command as soon as it
// has it; with inBatches it answers the commands of one round only after the session has read
// every line it had, as a server that gathers pipelined commands would.
inline SessionRun RunSession(Pop3Session& session, Account& account, FakeServer& server,
                             bool inBatches = false) {
  SessionRun run;
  session.SetState(SessionState::kGreeting);
  std::deque<std::string> lines{server.greeting};
  std::vector<std::string> held;
  auto answer = [&](const std::string& command) {
    for (std::string& line : server.Respond(command)) lines.push_back(std::move(line));
  };
  for (int guard = 0; guard < 1000000; ++guard) {
    if (lines.empty()) {
      if (held.empty()) break;
      for (const std::string& command : held) answer(command);
      held.clear();
      continue;
    }
    std::string line = std::move(lines.front());
    lines.pop_front();
    run.last = session.OnLine(line, account);
    if (run.last.startTls) {
      // The transport's handshake succeeds; the session goes on inside TLS.
      EXPECT_TRUE(run.last.command.empty());
      lines.clear();
      run.securedAfter = server.commands.size();
      run.last = session.OnSecured(account);
    }
    run.mostInFlight = std::max(run.mostInFlight, session.InFlight());
    for (const std::string& command : SplitCommands(run.last.command)) {
      if (inBatches && run.last.goOn) {
        held.push_back(command);
      } else {
        answer(command);
      }
    }
    if (!run.last.goOn) break;
  }
  run.commands = server.commands;
  return run;
}

}  // namespace postwink::testing
