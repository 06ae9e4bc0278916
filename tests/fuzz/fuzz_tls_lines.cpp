// The boundary between TLS and the line splitter: the server's text, sealed into records of
// sizes the input chooses, arrives in pieces of sizes the input chooses, through the connection
// stream and a channel that, like SChannel, takes whole records only. The lines that come out
// must be exactly the lines of the text; and bytes that are no valid record stream at all (the
// same input taken raw) must end in a clean failure, never a crash or a line out of nowhere.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/connection_stream.h"
#include "unit/net/fake_tls_channel.h"

namespace {

using namespace postwink;

// Sizes from a seed: 1 to limit, varied.
struct Sizes {
  uint32_t state;
  size_t limit;
  size_t Next() {
    state = state * 1103515245u + 12345u;
    return 1 + (state >> 16) % limit;
  }
};

std::vector<std::string> Deliver(std::string_view wire, Sizes pieces, ReceiveStatus& last,
                                 int& securedReports) {
  ConnectionStream stream(1 << 16);
  std::string sent;
  auto send = [&](std::string_view bytes) {
    sent.append(bytes);
    return true;
  };
  std::vector<std::string> lines;
  auto receive = [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  };
  if (stream.StartTls(std::make_unique<testing::FakeTlsChannel>(), send) != TlsFailure::kNone) {
    std::abort();
  }
  last = ReceiveStatus::kHandled;
  while (!wire.empty() && last != ReceiveStatus::kTlsFailed) {
    size_t n = std::min(pieces.Next(), wire.size());
    last = stream.Receive(wire.substr(0, n), send, receive);
    if (last == ReceiveStatus::kSecured) ++securedReports;
    wire.remove_prefix(n);
  }
  // Nothing may be sent in clear, before or after: every byte out is a record.
  if (WholeRecordsLength(sent) != sent.size()) std::abort();
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  Sizes records{data[0], 1 + static_cast<size_t>(data[0]) * 4};
  Sizes pieces{data[1], 1 + static_cast<size_t>(data[1])};
  std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

  std::string wire = testing::TlsRecord(22, "server-hello");
  for (std::string_view rest = text; !rest.empty();) {
    size_t n = std::min(records.Next(), rest.size());
    wire += testing::TlsRecord(23, rest.substr(0, n));
    rest.remove_prefix(n);
  }
  ReceiveStatus last;
  int secured = 0;
  std::vector<std::string> lines = Deliver(wire, pieces, last, secured);
  std::vector<std::string> expected;
  LineSplitter plain(1 << 16);
  ReceiveStatus plainStatus = plain.Feed(text, [&](std::string_view line) {
    expected.emplace_back(line);
    return true;
  });
  if (secured != 1) std::abort();
  if (plainStatus == ReceiveStatus::kHandled &&
      (last == ReceiveStatus::kTlsFailed || lines != expected)) {
    std::abort();
  }

  // The same bytes taken raw, as a hostile server might send them.
  secured = 0;
  Deliver(text, pieces, last, secured);
  if (secured > 1) std::abort();
  return 0;
}
