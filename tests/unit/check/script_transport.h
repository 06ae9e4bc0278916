#pragma once
// A transport for the tests of a connection object (a push connection, an attachment fetch): one
// connection at a time, whose server lines the test queues and whose commands it reads back.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/pop3/transport.h"

namespace postwink::testing {

// One IMAP connection at a time whose server lines the test queues.
class ScriptTransport : public Transport {
 public:
  int opens = 0;
  int closes = 0;
  bool refuse = false;     // connections fail at once
  std::vector<int> ports;  // every connection tried, by port
  std::vector<std::string> sent;
  std::deque<std::string> lines;

  ResolveResult ResolveHost(std::string_view) override {
    return {std::vector<NetAddress>{NetAddress{}}, ""};
  }
  OpenResult OpenConnection(const NetAddress&, int port) override {
    ports.push_back(port);
    if (refuse) return {kNoSocket, "refused"};
    return {++opens, ""};
  }
  ReceiveStatus ReceiveLines(SocketHandle, const LineSplitter::LineReceiver& receiver) override {
    while (!lines.empty()) {
      std::string line = lines.front();
      lines.pop_front();
      if (!receiver(line)) break;
    }
    return ReceiveStatus::kHandled;
  }
  bool SendText(SocketHandle, std::string_view text) override {
    sent.emplace_back(text);
    return true;
  }
  void CloseConnection(SocketHandle) override { ++closes; }
  TlsFailure StartTls(SocketHandle, const TlsTarget&) override { return TlsFailure::kNone; }
  TlsFailure LastTlsFailure() const override { return TlsFailure::kNone; }
  uint64_t ReceivedBytes() const override { return 0; }
};

}  // namespace postwink::testing
