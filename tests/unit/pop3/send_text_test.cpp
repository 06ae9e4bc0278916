#include "core/pop3/send_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace postwink {
namespace {

TEST(SendText, LongTextGoesInChunksInOrderAndShortSendsAdvanceByWhatWasTaken) {
  std::string text;
  for (int i = 0; i < 700; ++i) text += static_cast<char>('a' + i % 26);
  std::string received;
  std::vector<size_t> chunkSizes;
  int call = 0;
  bool ok = SendText(text, [&](std::string_view chunk) -> std::optional<size_t> {
    chunkSizes.push_back(chunk.size());
    size_t take = (++call % 3 == 0) ? 0 : (call % 2 ? chunk.size() : chunk.size() / 2);
    received.append(chunk.substr(0, take));
    return take;
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(received, text);
  for (size_t n : chunkSizes) EXPECT_LE(n, kSendChunk);
}

TEST(SendText, SocketErrorAndAPeerThatNeverTakesFail) {
  EXPECT_FALSE(SendText("QUIT\r\n", [](std::string_view) { return std::optional<size_t>(); }));
  EXPECT_FALSE(SendText(
      "QUIT\r\n", [](std::string_view) { return std::optional<size_t>(0); }, 5));
}

}  // namespace
}  // namespace postwink
