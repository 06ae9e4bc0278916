#pragma once
// A fake host with a virtual clock and an in-memory network of fake POP3 servers, so the check
// engine runs whole cycles in unit tests.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/check/check_engine.h"
#include "core/pop3/pop3_texts.h"
#include "unit/pop3/fake_pop3.h"

namespace postwink::testing {

class FakeTransport : public Transport {
 public:
  std::map<std::string, FakeServer*> servers;  // by server name
  std::vector<std::string> opened;             // server names, in connection order
  bool silent = false;                         // servers say nothing at all
  std::string hangUpOn;                        // a command the server closes on, unanswered

  // The real rules around the lookup; a server's address is its place in the map, from 1.
  ResolveResult ResolveHost(std::string_view name) override {
    return ResolveWith(name, [this](const std::string& host) -> uint32_t {
      auto it = servers.find(host);
      if (it == servers.end()) return 0;
      return static_cast<uint32_t>(std::distance(servers.begin(), it) + 1);
    });
  }
  OpenResult OpenConnection(uint32_t address, int) override {
    auto it = servers.begin();
    std::advance(it, address - 1);
    conn_ = Connection{};
    conn_.server = it->second;
    conn_.open = true;
    if (!silent) conn_.lines.push_back(it->second->greeting);
    opened.push_back(it->first);
    OpenResult r;
    r.socket = ++handle_;
    return r;
  }
  ReceiveStatus ReceiveLines(SocketHandle socket,
                             const LineSplitter::LineReceiver& receiver) override {
    if (socket != handle_ || !conn_.open) return ReceiveStatus::kReadFailed;
    // Only what had arrived before the read; the answers to commands sent meanwhile come with
    // the next read.
    for (size_t n = conn_.lines.size(); n > 0 && conn_.open; --n) {
      std::string line = conn_.lines.front();
      conn_.lines.pop_front();
      if (!receiver(line)) break;
    }
    return ReceiveStatus::kHandled;
  }
  bool SendText(SocketHandle socket, std::string_view text) override {
    if (socket != handle_ || !conn_.open) return false;
    if (silent) return true;
    if (!hangUpOn.empty() && text == hangUpOn + "\r\n") {
      conn_.server->commands.emplace_back(hangUpOn);
      conn_.closing = true;
      return true;
    }
    for (std::string& line : conn_.server->Respond(text)) conn_.lines.push_back(line);
    if (text == "QUIT\r\n") conn_.closing = true;
    return true;
  }
  void CloseConnection(SocketHandle socket) override {
    if (socket == handle_) conn_.open = false;
  }

  // Delivers the events of the open connection until nothing more happens.
  void Pump(CheckEngine& engine) {
    for (int guard = 0; guard < 100000 && conn_.open; ++guard) {
      if (!conn_.connected) {
        conn_.connected = true;
        engine.OnSocketEvent(handle_, SocketEvent::kConnect, 0);
      } else if (!conn_.lines.empty()) {
        engine.OnSocketEvent(handle_, SocketEvent::kRead, 0);
      } else if (conn_.closing) {
        conn_.closing = false;
        engine.OnSocketEvent(handle_, SocketEvent::kClose, 0);
      } else {
        break;
      }
    }
  }
  bool Open() const { return conn_.open; }

 private:
  struct Connection {
    FakeServer* server = nullptr;
    std::deque<std::string> lines;
    bool open = false;
    bool connected = false;
    bool closing = false;
  };
  Connection conn_;
  SocketHandle handle_ = 0;
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
  void RefilterItem(MailItem& item) override { item.flags |= flagsForNewItems; }

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
