#pragma once
// A fake host with a virtual clock and an in-memory network of fake POP3 servers, so the check
// engine runs whole cycles in unit tests.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/check/check_engine.h"
#include "core/pop3/pop3_texts.h"
#include "unit/pop3/fake_pop3.h"

namespace postwink::testing {

// count enabled accounts "box0", "box1", ... on the servers "pop0", "pop1", ..., with the user
// and password the fake servers expect.
inline std::vector<std::unique_ptr<Account>> MakeAccounts(int count) {
  std::vector<std::unique_ptr<Account>> accounts;
  for (int i = 0; i < count; ++i) {
    auto a = std::make_unique<Account>();
    SetFields(*a, {"box" + std::to_string(i), "pop" + std::to_string(i), 110, "user", "secret", 0,
                   10, 1, 0, 0x123456, 0, ""});
    accounts.push_back(std::move(a));
  }
  return accounts;
}

class FakeTransport : public Transport {
 public:
  std::map<std::string, FakeServer*> servers;  // by server name
  std::vector<std::string> opened;             // server names, in connection order
  bool silent = false;                         // servers say nothing at all
  std::set<std::string> silentServers;         // these accept and never greet
  std::string hangUpOn;                        // a command the server closes on, unanswered
  int readsLeft = -1;  // read events Pump still delivers (-1: no limit); then it pauses
  // Addresses of a server beyond its first, which refuse the connection (or never answer it).
  std::map<std::string, int> refusingAddresses;
  bool refusalsHang = false;
  // TLS as this network plays it: servers named here say nothing before a handshake; a
  // handshake ends at the next read with handshakeResult.
  std::set<std::string> tlsFromStart;
  TlsFailure handshakeResult = TlsFailure::kNone;
  std::vector<TlsTarget> tlsStarts;
  std::vector<std::string> sentInClear;  // commands sent before a handshake succeeded
  uint64_t extraBytes = 0;               // bytes that arrived without completing a line
  // The server closes the connection after this many lines of a connection (-1: never).
  int closeAfterLines = -1;
  // After its reply to QUIT the server sends these lines and keeps the connection open.
  std::vector<std::string> afterQuit;
  bool quitKeepsOpen = false;

  // The real rules around the lookup; a server's address is its place in the map, from 1.
  ResolveResult ResolveHost(std::string_view name) override {
    // The refusing addresses come first; the server's own address is the last.
    return ResolveWith(name, [this](const std::string& host) {
      std::vector<NetAddress> addresses;
      auto it = servers.find(host);
      if (it == servers.end()) return addresses;
      int index = static_cast<int>(std::distance(servers.begin(), it)) + 1;
      int refusing = refusingAddresses.count(host) ? refusingAddresses[host] : 0;
      for (int i = refusing; i >= 0; --i) {
        NetAddress a;
        a.bytes[0] = static_cast<uint8_t>(index);
        a.bytes[1] = static_cast<uint8_t>(i);
        addresses.push_back(a);
      }
      return addresses;
    });
  }
  OpenResult OpenConnection(const NetAddress& address, int) override {
    auto it = servers.begin();
    std::advance(it, address.bytes[0] - 1);
    conn_ = Connection{};
    conn_.server = it->second;
    conn_.open = true;
    conn_.refusing = address.bytes[1] != 0;
    conn_.tls = tlsFromStart.count(it->first) != 0;
    if (!silent && !conn_.refusing && !silentServers.count(it->first)) {
      conn_.lines.push_back(it->second->greeting);
    }
    opened.push_back(it->first);
    OpenResult r;
    r.socket = ++handle_;
    return r;
  }
  ReceiveStatus ReceiveLines(SocketHandle socket,
                             const LineSplitter::LineReceiver& receiver) override {
    if (socket != handle_ || !conn_.open) return ReceiveStatus::kReadFailed;
    bool justSecured = false;
    if (conn_.handshaking) {
      conn_.handshaking = false;
      if (handshakeResult != TlsFailure::kNone) {
        lastFailure_ = handshakeResult;
        return ReceiveStatus::kTlsFailed;
      }
      conn_.secured = justSecured = true;
    }
    if (conn_.tls && !conn_.secured) return ReceiveStatus::kHandled;
    // Only what had arrived before the read; the answers to commands sent meanwhile come with
    // the next read.
    for (size_t n = conn_.lines.size(); n > 0 && conn_.open; --n) {
      if (conn_.linesSent == closeAfterLines) {
        conn_.lines.clear();
        conn_.closing = true;
        break;
      }
      ++conn_.linesSent;
      std::string line = conn_.lines.front();
      conn_.lines.pop_front();
      received_ += line.size() + 2;
      if (!receiver(line)) {
        conn_.lines.clear();
        break;
      }
    }
    return justSecured ? ReceiveStatus::kSecured : ReceiveStatus::kHandled;
  }
  bool SendText(SocketHandle socket, std::string_view text) override {
    if (socket != handle_ || !conn_.open) return false;
    if (conn_.handshaking) return false;
    // Writing to a server that has hung up fails (EPIPE), while what it sent before it went is
    // still there to be read.
    if (conn_.hungUp) return false;
    // A pipelining session sends several commands at once; each is answered in turn.
    for (const std::string& command : SplitCommands(text)) {
      if (!conn_.secured) sentInClear.emplace_back(command.substr(0, command.size() - 2));
      if (silent || conn_.closing) continue;
      if (!hangUpOn.empty() && command == hangUpOn + "\r\n") {
        conn_.server->commands.emplace_back(hangUpOn);
        conn_.closing = true;
        conn_.hungUp = true;
        continue;
      }
      for (std::string& line : conn_.server->Respond(command)) conn_.lines.push_back(line);
      if (command == "QUIT\r\n") {
        for (const std::string& line : afterQuit) conn_.lines.push_back(line);
        conn_.closing = !quitKeepsOpen;
      }
    }
    return true;
  }
  void CloseConnection(SocketHandle socket) override {
    if (socket == handle_) conn_.open = false;
  }
  TlsFailure StartTls(SocketHandle socket, const TlsTarget& target) override {
    if (socket != handle_ || !conn_.open) return TlsFailure::kUnavailable;
    tlsStarts.push_back(target);
    // After STLS, anything the server said in clear is gone; a POP3S server greets inside TLS.
    if (!conn_.tls) conn_.lines.clear();
    conn_.tls = true;
    conn_.handshaking = true;
    return TlsFailure::kNone;
  }
  TlsFailure LastTlsFailure() const override { return lastFailure_; }
  uint64_t ReceivedBytes() const override { return received_ + extraBytes; }

  // Delivers the events of the open connection until nothing more happens.
  void Pump(CheckEngine& engine) {
    for (int guard = 0; guard < 100000 && conn_.open; ++guard) {
      if (!conn_.connected) {
        if (conn_.refusing && refusalsHang) break;
        conn_.connected = true;
        engine.OnSocketEvent(handle_, SocketEvent::kConnect, conn_.refusing ? 10061 : 0);
      } else if ((!conn_.lines.empty() || conn_.handshaking) && readsLeft != 0) {
        if (readsLeft > 0) --readsLeft;
        engine.OnSocketEvent(handle_, SocketEvent::kRead, 0);
      } else if (conn_.closing && conn_.lines.empty()) {
        conn_.closing = false;
        engine.OnSocketEvent(handle_, SocketEvent::kClose, 0);
      } else {
        break;
      }
    }
  }
  bool Open() const { return conn_.open; }
  SocketHandle Handle() const { return handle_; }

 private:
  struct Connection {
    FakeServer* server = nullptr;
    std::deque<std::string> lines;
    bool open = false;
    bool connected = false;
    bool closing = false;
    bool refusing = false;
    bool tls = false;
    bool handshaking = false;
    bool secured = false;
    bool hungUp = false;
    int linesSent = 0;
  };
  Connection conn_;
  SocketHandle handle_ = 0;
  uint64_t received_ = 0;
  TlsFailure lastFailure_ = TlsFailure::kNone;
};

class FakeCheckHost : public CheckHost {
 public:
  int64_t now = 0;
  std::map<CheckTimer, std::pair<int, int64_t>> timers;  // period, next due
  std::vector<std::string> toolTips;
  std::vector<std::pair<std::string, std::string>> boxes;  // text, caption
  std::vector<std::string> sounds;
  int listWindowsShown = 0;
  int listRefreshes = 0;
  bool listOpen = false;
  bool listTopMost = false;
  bool animating = false;
  TrayIcon icon = TrayIcon::kNormal;
  TrayFrames frames = TrayFrames::kReceiving;
  bool internet = true;
  std::vector<std::string> log;
  uint32_t flagsForNewItems = 0;
  int timeoutStarts = 0;
  std::vector<int> signInNeeded;  // positions
  std::function<void()> onBuildItem;

  FakeSessionHost items;  // builds items without the real parser

  void StartTimer(CheckTimer timer, int periodMs) override {
    timers[timer] = {periodMs, now + periodMs};
    if (timer == CheckTimer::kServerTimeout) ++timeoutStarts;
  }
  void StopTimer(CheckTimer timer) override { timers.erase(timer); }
  void SetTrayFrames(TrayFrames f) override { frames = f; }
  void StartTrayAnimation(int) override { animating = true; }
  void StopTrayAnimation() override { animating = false; }
  void AddTrayFrame(TrayIcon) override {}
  void SetTrayIcon(TrayIcon i) override { icon = i; }
  void SetToolTip(const std::string& text) override { toolTips.push_back(text); }
  void ShowErrorBox(const std::string& text, const std::string& caption) override {
    boxes.emplace_back(text, caption);
  }
  void PlaySoundFile(const std::string& path) override { sounds.push_back(path); }
  bool InternetConnected() override { return internet; }
  bool ListWindowOpen() override { return listOpen; }
  void RefreshListWindow(bool raise) override {
    ++listRefreshes;
    if (raise) listTopMost = true;
  }
  void ShowNewListWindow() override {
    ++listWindowsShown;
    listOpen = true;
    listTopMost = true;
  }
  void SetListWindowTopMost(bool topMost) override { listTopMost = topMost; }
  void LogSeparator(std::string_view label) override { log.push_back("--- " + std::string(label)); }
  int64_t MonotonicMs() override { return now; }
  void RefilterItem(MailItem& item) override { item.flags |= flagsForNewItems; }
  void SignInNeeded(int position) override { signInNeeded.push_back(position); }

  std::unique_ptr<MailItem> BuildItem(Account& account, std::string_view text,
                                      std::optional<std::string_view> sizeText) override {
    items.flagsForNewItems = flagsForNewItems;
    if (onBuildItem) onBuildItem();
    return items.BuildItem(account, text, sizeText);
  }
  std::string Identity(std::string_view text) override { return items.Identity(text); }
  void Log(std::string_view text) override { log.emplace_back(text); }

  // Runs the virtual clock forward, firing due timers in order and letting the network answer
  // after each.
  void Advance(int64_t ms, CheckEngine& engine, FakeTransport& network) {
    int64_t end = now + ms;
    while (true) {
      network.Pump(engine);
      CheckTimer next{};
      int64_t due = end + 1;
      for (auto& [timer, t] : timers) {
        if (t.second < due) {
          due = t.second;
          next = timer;
        }
      }
      if (due > end) break;
      now = due;
      timers[next].second = now + timers[next].first;
      engine.OnTimer(next);
    }
    now = end;
  }
};

}  // namespace postwink::testing
