#pragma once
// Runs check cycles through the engine, the POSIX host and the POSIX transport against the test
// servers that scripts/with-servers.sh starts, and reads back the log and the fault server's
// transcript.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/check/check_engine.h"
#include "core/check/headless_check_host.h"
#include "core/config/log_file.h"
#include "core/platform/system.h"
#include "posix/transport_posix.h"

namespace postwink::integration {

inline std::optional<std::string> Env(const char* name) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == 0) return std::nullopt;
  return std::string(v);
}

#define SKIP_WITHOUT(var)                                                      \
  if (!::postwink::integration::Env(var)) {                                    \
    GTEST_SKIP() << var << " is not set: run through scripts/with-servers.sh"; \
  }

struct Outcome {
  bool checked = false;
  bool failed = false;
  std::string error;
};

// One Postwink "installation": settings, accounts, a log in a temporary folder, an engine.
class Checker {
 public:
  explicit Checker(Settings settings = DefaultSettings()) : settings_(std::move(settings)) {
    dir_ = std::filesystem::temp_directory_path() /
           ("postwink-it-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(dir_);
    System& system = PlatformSystem();
    log_ = std::make_unique<LogFile>(system.files, system.clock, system.codePage);
    log_->SetLogPath(dir_.string(), kLogFileName);
    host_ =
        std::make_unique<HeadlessCheckHost>(system, PlatformCharsetConverter(), PlatformTimeZone(),
                                            settings_, log_.get(), dir_.string() + "/");
    host_->onAccountEnded = [this](int position, const std::string* error) {
      if (position < 0) return;
      if (outcomes_.size() <= static_cast<size_t>(position)) outcomes_.resize(position + 1);
      outcomes_[position].checked = true;
      outcomes_[position].failed = error != nullptr;
      outcomes_[position].error = error ? *error : "";
    };
  }
  ~Checker() {
    engine_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  static Settings DefaultSettings() {
    Settings s;
    s.listDown = 1;
    s.getLine = 0;
    s.sokigErr = 1;
    s.svTimeout = 20;
    s.log = 0;
    s.st1Rgb = 0x5fff;
    s.st2Rgb = 0xff9046;
    s.st3Rgb = 0xca00;
    s.bgRgb = 0xe6ffff;
    return s;
  }

  Account& AddAccount(const std::string& mailbox, int port, const std::string& user,
                      const std::string& password, bool apop = false) {
    auto a = std::make_unique<Account>();
    a->mailbox = mailbox;
    a->server = "127.0.0.1";
    a->port = port;
    a->user = user;
    a->password = password;
    a->apop = apop ? 1 : 0;
    a->enabled = 1;
    pending_.push_back(std::move(a));
    return *pending_.back();
  }

  // One check-now cycle; the log and the outcomes are those of this cycle.
  void CheckNow(int limitSeconds = 60) {
    if (!engine_) {
      engine_ = std::make_unique<CheckEngine>(*host_, transport_, settings_, std::move(pending_));
      engine_->SetPipelining(pipelining_);
      engine_->SetTokenProvider(tokens_);
    }
    log_->DeleteLogFile();
    outcomes_.assign(engine_->Accounts().size(), Outcome{});
    engine_->CheckNow();
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    host_->Run(
        *engine_, transport_,
        [&] { return !engine_->CycleActive() || std::chrono::steady_clock::now() > end; }, nullptr);
    ASSERT_FALSE(engine_->CycleActive()) << "the cycle did not end in time";
  }

  const Outcome& OutcomeOf(int position) const { return outcomes_.at(position); }
  CheckEngine& Engine() { return *engine_; }
  Account& AccountAt(int position) { return *engine_->Accounts().at(position); }
  Settings& MutableSettings() { return settings_; }
  // Before the first check: send commands ahead where the server offers PIPELINING (the default).
  void SetPipelining(bool on) { pipelining_ = on; }
  // Before the first check: where OAuth accounts take their tokens.
  void SetTokenProvider(TokenProvider* tokens) { tokens_ = tokens; }

  // The commands of the log ("[box] CMD" lines), without CR LF, for one mailbox.
  std::vector<std::string> Commands(const std::string& mailbox) const {
    std::vector<std::string> out;
    std::optional<std::string> text = PlatformSystem().files.ReadAll(log_->Path());
    if (!text) return out;
    std::string prefix = "[" + mailbox + "] ";
    static const char* kVerbs[] = {"USER", "PASS", "APOP", "STAT", "LIST", "TOP ",
                                   "RETR", "UIDL", "QUIT", "DELE", "CAPA", "STLS"};
    bool inCapabilities = false;  // the lines of a CAPA reply name commands too
    size_t pos = 0;
    while (pos < text->size()) {
      size_t end = text->find("\r\n", pos);
      if (end == std::string::npos) end = text->size();
      std::string line = text->substr(pos, end - pos);
      pos = end + 2;
      size_t at = line.find(prefix);
      if (at == std::string::npos) continue;
      std::string rest = line.substr(at + prefix.size());
      if (inCapabilities) {
        inCapabilities = rest != "." && !rest.starts_with("-");
        continue;
      }
      if (rest == "CAPA") inCapabilities = true;
      for (const char* verb : kVerbs) {
        if (rest.rfind(verb, 0) == 0) {
          out.push_back(rest);
          break;
        }
      }
    }
    return out;
  }
  std::string LogText() const { return PlatformSystem().files.ReadAll(log_->Path()).value_or(""); }

 private:
  static inline int counter_ = 0;
  Settings settings_;
  std::filesystem::path dir_;
  std::unique_ptr<LogFile> log_;
  std::unique_ptr<HeadlessCheckHost> host_;
  PosixTransport transport_;
  std::vector<std::unique_ptr<Account>> pending_;
  std::unique_ptr<CheckEngine> engine_;
  std::vector<Outcome> outcomes_;
  bool pipelining_ = true;
  TokenProvider* tokens_ = nullptr;
};

// Puts a message into a Maildir under a name that sorts after the ones delivered before, so
// that the server numbers the messages in this order.
inline void DeliverMessage(const std::filesystem::path& maildir, const std::string& id,
                           const std::string& extra = "") {
  static int serial = 0;
  ++serial;
  std::string name =
      std::to_string(1700000000 + serial) + ".M" + std::to_string(serial) + "P1." + id;
  std::ofstream f(maildir / "new" / name, std::ios::binary);
  f << "From: Sender <sender@example.com>\r\nTo: user@example.com\r\nSubject: message " << id
    << "\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\nMessage-Id: <" << id << "@test>\r\n"
    << extra << "\r\nline one of " << id << "\r\nline two\r\nline three\r\n";
}

inline void ClearMaildir(const std::filesystem::path& maildir) {
  for (const char* sub : {"new", "cur"}) {
    for (const auto& e : std::filesystem::directory_iterator(maildir / sub)) {
      std::filesystem::remove(e.path());
    }
  }
}

// A short request to the fault server's control port; returns its one-line answer.
inline std::string FaultControl(const std::string& request,
                                const char* portVariable = "POSTWINK_FAULT_CONTROL_PORT") {
  int port = std::atoi(Env(portVariable).value_or("0").c_str());
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    std::string line = request + "\n";
    ::send(fd, line.data(), line.size(), 0);
    char buf[65536];
    ssize_t n;
    while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) {
      answer.append(buf, n);
      if (answer.find('\n') != std::string::npos) break;
    }
  }
  ::close(fd);
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  return answer;
}

}  // namespace postwink::integration
