#include "core/check/attachment_fetch.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/check/check_texts.h"
#include "core/imap/imap_texts.h"
#include "core/pop3/pop3_texts.h"
#include "unit/check/script_transport.h"

namespace postwink {
namespace {

constexpr int64_t kDeadline = 5000;

// An account, a scripted server and the fetch of part 2 of UID 12 in INBOX (UIDVALIDITY 7).
struct Rig {
  Rig() {
    account.mailbox = "imap";
    account.server = "imap.example";
    account.user = "u";
    account.password = "p";
    account.protocol = kProtocolImap;
    account.imapFolders.push_back({"INBOX", 7, 40, true});
    auto owned = std::make_unique<testing::ScriptTransport>();
    transport = owned.get();
    fetch = std::make_unique<AttachmentFetch>(
        std::move(owned), account, ImapPartRequest{{"INBOX", 7, 12}, "2", 1000}, kDeadline,
        [this] { return now; }, [this](std::string_view line) { log.emplace_back(line); },
        [this](AttachmentFetchResult r) {
          ++calls;
          result = std::move(r);
        });
  }
  void Read(std::vector<std::string> lines) {
    for (std::string& line : lines) transport->lines.push_back(std::move(line));
    fetch->OnSocketEvent(transport->opens, SocketEvent::kRead, 0);
  }
  // Connected, signed in, and the folder examined under the given UIDVALIDITY.
  void UpToExamined(int validity) {
    fetch->Start();
    fetch->OnSocketEvent(transport->opens, SocketEvent::kConnect, 0);
    Read({"* OK [CAPABILITY IMAP4rev1] hi"});
    Read({"a1 OK [CAPABILITY IMAP4rev1] in"});
    Read({"* OK [UIDVALIDITY " + std::to_string(validity) + "] ok", "a2 OK [READ-ONLY] done"});
  }

  Account account;
  testing::ScriptTransport* transport = nullptr;
  std::unique_ptr<AttachmentFetch> fetch;
  int64_t now = 0;
  std::vector<std::string> log;
  std::optional<AttachmentFetchResult> result;
  int calls = 0;
};

TEST(AttachmentFetch, FetchesThePartAndClosesOnceItIsIn) {
  Rig rig;
  rig.UpToExamined(7);
  rig.Read({"* 3 FETCH (UID 12 BODY[2] {8}", "aGVsbG8=)", "a3 OK done"});
  ASSERT_EQ(rig.calls, 1);
  ASSERT_TRUE(rig.result->content) << rig.result->error;
  EXPECT_EQ(*rig.result->content, "aGVsbG8=");
  EXPECT_EQ(rig.transport->sent,
            (std::vector<std::string>{"a1 LOGIN \"u\" \"p\"\r\n", "a2 EXAMINE \"INBOX\"\r\n",
                                      "a3 UID FETCH 12 (UID BODY.PEEK[2])\r\n", "a4 LOGOUT\r\n"}));
  EXPECT_EQ(rig.transport->closes, 1);
  // The server's close after the goodbye changes nothing.
  rig.fetch->OnSocketEvent(rig.transport->opens, SocketEvent::kClose, 0);
  EXPECT_EQ(rig.calls, 1);
  // The account it was copied from kept its own state.
  EXPECT_EQ(rig.account.imapFolders.size(), 1u);
}

// Every way the fetch can end without the part gives one clear error, once.
TEST(AttachmentFetch, EndsWithOneClearErrorWithoutThePart) {
  struct Case {
    const char* name;
    std::function<void(Rig&)> run;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"silent_server",
       [](Rig& t) {
         t.fetch->Start();
         t.now = kDeadline + 1;
         t.fetch->Tick();
       },
       texts::kTimedOut},
      {"closed_before_the_part",
       [](Rig& t) {
         t.UpToExamined(7);
         t.Read({"* 3 FETCH (UID 12 BODY[2] {8}"});
         t.fetch->OnSocketEvent(t.transport->opens, SocketEvent::kClose, 0);
       },
       texts::kDisconnected},
      {"folder_renumbered", [](Rig& t) { t.UpToExamined(8); }, texts::kImapFolderRenumbered},
      {"connect_failed",
       [](Rig& t) {
         t.fetch->Start();
         t.fetch->OnSocketEvent(t.transport->opens, SocketEvent::kConnect, 10061);
       },
       texts::kConnectFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig t;
    c.run(t);
    EXPECT_EQ(t.calls, 1);
    ASSERT_TRUE(t.result);
    EXPECT_FALSE(t.result->content);
    EXPECT_EQ(t.result->error, c.error);
    EXPECT_EQ(t.transport->closes, 1);
    t.now += 10 * kDeadline;
    t.fetch->Tick();
    EXPECT_EQ(t.calls, 1);
  }
}

}  // namespace
}  // namespace postwink
