#include "core/net/connection_stream.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/net/tls_records.h"
#include "unit/net/fake_tls_channel.h"

namespace postwink {
namespace {

using testing::FakeTlsChannel;
using testing::TlsRecord;
using Lines = std::vector<std::string>;

class StreamTest : public ::testing::Test {
 protected:
  ConnectionStream::Sender Sender() {
    return [this](std::string_view bytes) {
      if (!sendWorks) return false;
      sent.append(bytes);
      return true;
    };
  }
  LineSplitter::LineReceiver Receiver() {
    return [this](std::string_view line) {
      lines.emplace_back(line);
      return true;
    };
  }
  ReceiveStatus Receive(std::string_view raw) { return stream.Receive(raw, Sender(), Receiver()); }
  TlsFailure StartFake(TlsFailure certificate = TlsFailure::kNone) {
    auto channel = std::make_unique<FakeTlsChannel>();
    channel->certificate = certificate;
    return stream.StartTls(std::move(channel), Sender());
  }

  ConnectionStream stream;
  std::string sent;
  bool sendWorks = true;
  Lines lines;
};

TEST_F(StreamTest, PlainBytesGoStraightThrough) {
  EXPECT_EQ(Receive("+OK hi\r\n+OK t"), ReceiveStatus::kHandled);
  EXPECT_EQ(Receive("wo\r\n"), ReceiveStatus::kHandled);
  EXPECT_EQ(lines, (Lines{"+OK hi", "+OK two"}));
  EXPECT_TRUE(stream.Send("USER u\r\n", Sender()));
  EXPECT_EQ(sent, "USER u\r\n");
  EXPECT_EQ(stream.ReceivedBytes(), 17u);
}

TEST_F(StreamTest, NothingLeavesInClearOnceTlsIsAskedFor) {
  ASSERT_EQ(StartFake(), TlsFailure::kNone);
  EXPECT_EQ(sent, TlsRecord(22, "client-hello"));
  EXPECT_FALSE(stream.Send("PASS secret\r\n", Sender()));
  // The server's handshake and its greeting arrive in one read: the greeting is delivered and
  // the read reports the connection secured.
  sent.clear();
  EXPECT_EQ(Receive(TlsRecord(22, "server-hello") + TlsRecord(23, "+OK ready\r\n")),
            ReceiveStatus::kSecured);
  EXPECT_EQ(sent, TlsRecord(22, "client-finished"));
  EXPECT_EQ(lines, (Lines{"+OK ready"}));
  EXPECT_TRUE(stream.Secured());
  sent.clear();
  EXPECT_TRUE(stream.Send("PASS secret\r\n", Sender()));
  EXPECT_EQ(sent, TlsRecord(23, "PASS secret\r\n"));
  sent.clear();
  stream.Close(Sender());
  EXPECT_EQ(sent, TlsRecord(21, "close"));
}

TEST_F(StreamTest, PlainTextPendingBeforeTheSwitchIsDropped) {
  // A line cut short before STLS must not be completed by text from inside TLS.
  Receive("+OK begin TLS\r\nUSER injected");
  ASSERT_EQ(StartFake(), TlsFailure::kNone);
  Receive(TlsRecord(22, "server-hello") + TlsRecord(23, "\r\n+OK after\r\n"));
  EXPECT_EQ(lines, (Lines{"+OK begin TLS", "", "+OK after"}));
}

TEST_F(StreamTest, FailuresAreReportedAndStick) {
  struct Case {
    const char* name;
    std::string reply;
    TlsFailure certificate;
    TlsFailure expected;
  };
  const Case cases[] = {
      {"plain greeting", "+OK Dovecot ready.\r\n", TlsFailure::kNone, TlsFailure::kNotTls},
      {"alert", TlsRecord(21, "bad"), TlsFailure::kNone, TlsFailure::kHandshake},
      {"certificate", TlsRecord(22, "server-hello"), TlsFailure::kUntrusted,
       TlsFailure::kUntrusted},
      {"oversized record", std::string("\x16\x03\x03\xFF\xFF", 5), TlsFailure::kNone,
       TlsFailure::kHandshake},
  };
  for (const Case& c : cases) {
    stream.Reset();
    lines.clear();
    StartFake(c.certificate);
    EXPECT_EQ(Receive(c.reply), ReceiveStatus::kTlsFailed) << c.name;
    EXPECT_EQ(stream.Failure(), c.expected) << c.name;
    EXPECT_EQ(Receive(TlsRecord(23, "+OK late\r\n")), ReceiveStatus::kTlsFailed) << c.name;
    EXPECT_TRUE(lines.empty()) << c.name;
    EXPECT_FALSE(stream.Send("USER u\r\n", Sender())) << c.name;
  }
}

// close_notify is the server's close: the lines before it still count.
TEST_F(StreamTest, CloseNotifyEndsTheConnection) {
  ASSERT_EQ(StartFake(), TlsFailure::kNone);
  ASSERT_EQ(Receive(TlsRecord(22, "server-hello")), ReceiveStatus::kSecured);
  EXPECT_EQ(Receive(TlsRecord(23, "+OK bye\r\n") + TlsRecord(21, "close")), ReceiveStatus::kClosed);
  EXPECT_EQ(lines, Lines{"+OK bye"});
}

TEST_F(StreamTest, AHandshakeAnswerThatCannotBeSentFailsTheHandshake) {
  StartFake();
  sendWorks = false;
  EXPECT_EQ(Receive(TlsRecord(22, "server-hello")), ReceiveStatus::kTlsFailed);
  EXPECT_EQ(stream.Failure(), TlsFailure::kHandshake);
}

TEST(TlsRecords, WholeRecordsAndPlainText) {
  std::string two = TlsRecord(23, "abc") + TlsRecord(23, "");
  EXPECT_EQ(WholeRecordsLength(two), two.size());
  EXPECT_EQ(WholeRecordsLength(two.substr(0, two.size() - 1)), 8u);
  EXPECT_EQ(WholeRecordsLength(two.substr(0, 4)), 0u);
  EXPECT_EQ(WholeRecordsLength(""), 0u);
  EXPECT_TRUE(StartsLikePlainText("+OK"));
  EXPECT_TRUE(StartsLikePlainText("-ERR"));
  EXPECT_FALSE(StartsLikePlainText("\x16\x03\x03"));
  EXPECT_FALSE(StartsLikePlainText(""));
}

}  // namespace
}  // namespace postwink
