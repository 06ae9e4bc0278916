#include "core/pop3/line_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace postwink {
namespace {

struct Collector {
  std::vector<std::string> lines;
  size_t stopAfter = SIZE_MAX;
  LineSplitter::LineReceiver Receiver() {
    return [this](std::string_view line) {
      lines.emplace_back(line);
      return lines.size() < stopAfter;
    };
  }
};

struct SplitCase {
  const char* name;
  std::vector<std::string> reads;
  std::vector<std::string> lines;
  size_t pending;
};

class LineSplitterCases : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LineSplitterCases, DeliversWholeLinesInOrder) {
  const SplitCase& c = GetParam();
  LineSplitter splitter;
  Collector out;
  for (const std::string& read : c.reads) {
    EXPECT_EQ(splitter.Feed(read, out.Receiver()), ReceiveStatus::kHandled);
  }
  EXPECT_EQ(out.lines, c.lines);
  EXPECT_EQ(splitter.PendingSize(), c.pending);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Reads, LineSplitterCases,
    ::testing::Values(
        SplitCase{"several_in_one_read", {"+OK a\r\n+OK b\r\ntail"}, {"+OK a", "+OK b"}, 4},
        SplitCase{"split_across_reads", {"+OK hel", "lo\r\n"}, {"+OK hello"}, 0},
        SplitCase{"cr_then_lf_in_next_read", {"abc\r", "\ndef\r\n"}, {"abc", "def"}, 0},
        SplitCase{"empty_lines_and_dot", {"\r\n\r\n.\r\n"}, {"", "", "."}, 0},
        SplitCase{"lone_cr_and_lf_stay_inside", {"a\rb\nc\r\n"}, {"a\rb\nc"}, 0},
        SplitCase{"nul_bytes_keep_the_line_and_the_rest",
                  {"Sub\0ject: x\r\n.\r\n"s, "more\0\r\n"s},
                  {"Sub\0ject: x"s, ".", "more\0"s},
                  0},
        SplitCase{"one_byte_reads", {"+", "O", "K", "\r", "\n", "\r", "\n", "."}, {"+OK", ""}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineSplitter, ReceiverThatStopsDropsTheRestOfTheRead) {
  LineSplitter splitter;
  Collector out;
  out.stopAfter = 1;
  splitter.Feed("one\r\ntwo\r\npartial", out.Receiver());
  EXPECT_EQ(out.lines, std::vector<std::string>{"one"});
  EXPECT_EQ(splitter.PendingSize(), 0u);
}

// A receiver that stops may have closed the connection and, before returning, fed the first
// bytes of the next connection into the same splitter (a message loop running inside it). What
// the new connection left pending must survive the old read's end.
TEST(LineSplitter, ReceiverThatStopsAfterANewConnectionLeavesItsBytesAlone) {
  LineSplitter splitter;
  std::vector<std::string> lines;
  auto next = [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  };
  splitter.Feed("+OK old\r\nrest of the old read\r\n", [&](std::string_view line) {
    lines.emplace_back(line);
    splitter.Reset();  // the old connection is closed
    splitter.Feed("+OK new gree", next);
    return false;
  });
  EXPECT_EQ(splitter.PendingSize(), 12u);
  splitter.Feed("ting\r\n", next);
  EXPECT_EQ(lines, (std::vector<std::string>{"+OK old", "+OK new greeting"}));
}

TEST(LineSplitter, EndlessLineFailsOnceItPassesTheLimit) {
  LineSplitter splitter(1000);
  Collector out;
  std::string chunk(300, 'x');
  EXPECT_EQ(splitter.Feed(chunk, out.Receiver()), ReceiveStatus::kHandled);
  EXPECT_EQ(splitter.Feed(chunk, out.Receiver()), ReceiveStatus::kHandled);
  EXPECT_EQ(splitter.Feed(chunk, out.Receiver()), ReceiveStatus::kHandled);
  EXPECT_EQ(splitter.Feed(chunk, out.Receiver()), ReceiveStatus::kOutOfMemory);
  EXPECT_TRUE(out.lines.empty());
  EXPECT_EQ(splitter.PendingSize(), 0u);
}

TEST(LineSplitter, LongLineInSmallReadsIsDeliveredWhole) {
  // Many small reads of one long line must not rescan the whole pending text each time.
  LineSplitter splitter;
  Collector out;
  std::string line(4 << 20, 'y');
  for (size_t i = 0; i < line.size(); i += 100) {
    splitter.Feed(std::string_view(line).substr(i, 100), out.Receiver());
  }
  splitter.Feed("\r\n", out.Receiver());
  ASSERT_EQ(out.lines.size(), 1u);
  EXPECT_EQ(out.lines[0], line);
}

}  // namespace
}  // namespace postwink
