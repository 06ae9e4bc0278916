#include "core/check/attachment_fetch.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/check/access_token.h"
#include "core/check/check_texts.h"
#include "core/imap/imap_texts.h"
#include "core/net/oauth_sasl.h"
#include "core/oauth/oauth_texts.h"
#include "core/pop3/pop3_texts.h"
#include "unit/check/script_transport.h"
#include "unit/config/fake_system.h"
#include "unit/oauth/fake_oauth_platform.h"

namespace postwink {
namespace {

constexpr int64_t kDeadline = 5000;

// An account, a scripted server and the fetch of part 2 of UID 12 in INBOX (UIDVALIDITY 7).
struct Rig {
  explicit Rig(TokenProvider* tokens = nullptr, const std::function<void(Account&)>& adjust = {}) {
    account.mailbox = "imap";
    account.server = "imap.example";
    account.user = "u";
    account.password = "p";
    account.protocol = kProtocolImap;
    account.imapFolders.push_back({"INBOX", 7, 40, true});
    if (adjust) adjust(account);
    auto owned = std::make_unique<testing::ScriptTransport>();
    transport = owned.get();
    fetch = std::make_unique<AttachmentFetch>(
        std::move(owned), account, tokens, ImapPartRequest{{"INBOX", 7, 12}, "2", 1000}, kDeadline,
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

// An account that signs in with OAuth takes a fresh token before it connects, without waiting
// for it; one that would send it in clear never connects.
TEST(AttachmentFetch, AnOAuthAccountConnectsWithAFreshTokenOnlyInsideTls) {
  testing::FakeOAuthPlatform fake;
  testing::FakeClock clock;
  TokenProvider tokens{fake.platform, clock};
  const auto oauth = [](int security) {
    return [security](Account& a) {
      a.user = "alice@example.com";
      a.password = "";
      a.security = security;
      a.port = 993;
      a.oauth.tokenCommand = "print-token";
    };
  };

  Rig rig(&tokens, oauth(1));
  rig.fetch->Start();
  rig.fetch->Tick();
  EXPECT_EQ(rig.transport->opens, 0);
  ASSERT_EQ(fake.commands.pending.size(), 1u);
  fake.commands.pending.front()({true, "TOKEN", {}});
  rig.fetch->Tick();
  ASSERT_EQ(rig.transport->opens, 1);
  rig.fetch->OnSocketEvent(1, SocketEvent::kConnect, 0);
  rig.Read({"* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2] hi"});
  EXPECT_EQ(rig.transport->sent.back(),
            "a1 AUTHENTICATE XOAUTH2 " +
                OAuthInitialResponse(OAuthMechanism::kXOAuth2, "alice@example.com", "imap.example",
                                     993, "TOKEN") +
                "\r\n");

  // A provider that never answers ends the fetch like a silent server.
  fake.commands.pending.clear();
  clock.monotonicMs += 3600 * 1000;
  Rig waiting(&tokens, oauth(1));
  waiting.fetch->Start();
  waiting.now = kTokenWaitMs + 1;
  waiting.fetch->Tick();
  ASSERT_TRUE(waiting.result);
  EXPECT_EQ(waiting.result->error, texts::kTimedOut);
  EXPECT_EQ(waiting.transport->opens, 0);

  fake.commands.pending.clear();
  Rig inClear(&tokens, oauth(0));
  inClear.fetch->Start();
  ASSERT_TRUE(inClear.result);
  EXPECT_EQ(inClear.result->error, texts::kOAuthNeedsTls);
  EXPECT_EQ(inClear.transport->opens, 0);
  EXPECT_TRUE(fake.commands.pending.empty());
}

}  // namespace
}  // namespace postwink
