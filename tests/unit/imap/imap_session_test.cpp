#include "core/imap/imap_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/imap/imap_texts.h"
#include "core/mime/transfer_encoding.h"
#include "core/net/net_texts.h"
#include "core/pop3/pop3_texts.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

class FakeHost : public SessionHost {
 public:
  std::unique_ptr<MailItem> BuildItem(Account&, std::string_view text,
                                      std::optional<std::string_view> sizeText) override {
    texts.push_back(RemoveDotStuffing(text));
    auto item = std::make_unique<MailItem>();
    item->sizeText = sizeText ? std::optional<std::string>(*sizeText) : std::nullopt;
    return item;
  }
  std::string Identity(std::string_view) override { return {}; }
  void Log(std::string_view text) override { log.emplace_back(text); }
  std::vector<std::string> texts;
  std::vector<std::string> log;
};

struct Step {
  std::string server;  // lines, each ending in CR LF
  std::string client;  // what the session sends in answer to all of them
};

class ImapSessionTest : public ::testing::Test {
 protected:
  ImapSessionTest() {
    account.mailbox = "box";
    account.user = "alice";
    account.password = "pa\"ss";
    settings.getLine = 10;  // 3200 bytes of text
    account.folders = "INBOX, Lists";
  }

  // Feeds each step's lines and checks the commands sent in answer; returns the last reply.
  SessionReply Converse(const std::vector<Step>& steps) {
    session.SetSettings(settings);
    session.Begin(account);
    SessionReply last;
    for (const Step& step : steps) {
      std::string sent;
      std::string_view rest = step.server;
      while (!rest.empty()) {
        const size_t end = rest.find("\r\n");
        last = session.OnLine(rest.substr(0, end), account);
        sent += last.command;
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
        if (!last.goOn) break;
      }
      EXPECT_EQ(sent, step.client) << "after server lines:\n" << step.server;
      if (!last.goOn) break;
    }
    return last;
  }

  Account account;
  ImapSessionSettings settings;
  FakeHost host;
  ItemKeeper keeper;
  ImapSession session{host, keeper};
};

constexpr char kGreeting[] = "* OK [CAPABILITY IMAP4rev1 IDLE LITERAL+ AUTH=PLAIN] ready\r\n";
constexpr char kLogin[] = "a1 LOGIN \"alice\" \"pa\\\"ss\"\r\n";
constexpr char kLoggedIn[] = "a1 OK [CAPABILITY IMAP4rev1 IDLE UIDPLUS] Logged in\r\n";
constexpr char kFetchItems[] =
    " (UID FLAGS RFC822.SIZE BODYSTRUCTURE BODY.PEEK[HEADER] BODY.PEEK[TEXT]<0.3200>)\r\n";

std::string Examined(const char* tag, int validity, int next) {
  return "* 5 EXISTS\r\n* OK [UIDVALIDITY " + std::to_string(validity) + "] UIDs valid\r\n" +
         "* OK [UIDNEXT " + std::to_string(next) + "] Predicted next UID\r\n" + tag +
         " OK [READ-ONLY] Examine completed\r\n";
}

std::string FetchResponse(int number, int uid, const std::string& flags,
                          const std::string& subject) {
  const std::string header = "Subject: " + subject + "\r\nFrom: x@example.org\r\n\r\n";
  return "* " + std::to_string(number) + " FETCH (UID " + std::to_string(uid) + " FLAGS (" + flags +
         ") RFC822.SIZE 1234 BODYSTRUCTURE (\"text\" \"plain\" (\"charset\" \"utf-8\") " +
         "NIL NIL \"7bit\" 6 1 NIL NIL NIL NIL) BODY[HEADER] {" + std::to_string(header.size()) +
         "}\r\n" + header + " BODY[TEXT]<0> {6}\r\nhello\n)\r\n";
}

// The first check of two folders: every unseen message is fetched, under pipelined tags, and
// nothing but read-only commands goes out.
TEST_F(ImapSessionTest, FirstCheckFetchesEveryUnseenMessageOfEachFolder) {
  settings.fetchBatch = 2;
  SessionReply last = Converse({
      {kGreeting, kLogin},
      {kLoggedIn, "a2 EXAMINE \"INBOX\"\r\n"},
      {Examined("a2", 7, 12), "a3 UID SEARCH UNSEEN\r\n"},
      {"* SEARCH 9 3 11\r\na3 OK Search completed\r\n",
       std::string("a4 UID FETCH 3,9") + kFetchItems + "a5 UID FETCH 11" + kFetchItems},
      {FetchResponse(1, 3, "", "one") + "* 2 EXISTS\r\n" +
           FetchResponse(2, 9, "\\Answered", "two") + "a4 OK Fetch completed\r\n",
       ""},
      {FetchResponse(4, 11, "\\Recent", "three") + "a5 OK Fetch completed\r\n",
       "a6 EXAMINE \"Lists\"\r\n"},
      {Examined("a6", 3, 40), "a7 UID SEARCH UNSEEN\r\n"},
      {"* SEARCH\r\na7 OK Search completed\r\n", "a8 LOGOUT\r\n"},
      {"* BYE Logging out\r\na8 OK Logout completed\r\n", ""},
  });
  // The server's close ends the check.
  EXPECT_TRUE(last.goOn);
  EXPECT_TRUE(session.LoggingOut());
  ASSERT_EQ(host.texts.size(), 3u);
  EXPECT_EQ(host.texts[0], "Subject: one\r\nFrom: x@example.org\r\n\r\nhello\n");
  EXPECT_EQ(session.NewCount(), 3);
  ASSERT_EQ(account.items.size(), 3u);
  EXPECT_EQ(account.items[2]->uniqueId, "INBOX/7/11");
  ASSERT_TRUE(account.items[2]->imapPlace);
  EXPECT_EQ(account.items[2]->imapPlace->folder, "INBOX");
  EXPECT_EQ(account.items[2]->imapPlace->uidValidity, 7u);
  EXPECT_EQ(account.items[2]->imapPlace->uid, 11u);
  ASSERT_TRUE(account.items[2]->serverParts);
  EXPECT_EQ(account.items[2]->serverParts->at(0).section, "1");
  EXPECT_EQ(account.items[2]->sizeText, "1234");
  EXPECT_EQ(FolderState(account, "INBOX").highestUid, 11u);
  EXPECT_EQ(FolderState(account, "Lists").highestUid, 39u);
  EXPECT_EQ(account.messageCount, 10);
  // The password never reaches the log.
  for (const std::string& entry : host.log) EXPECT_EQ(entry.find("pa\\\"ss"), std::string::npos);
}

// A later check asks only above the highest UID known, drops the newest message that "n:*"
// always matches, and skips a message another client read between the search and the fetch.
TEST_F(ImapSessionTest, LaterCheckAnnouncesOnlyWhatArrivedSince) {
  account.folders = "INBOX";
  account.imapFolders = {{"INBOX", 7, 11, true}};
  SessionReply last = Converse({
      {kGreeting, kLogin},
      {kLoggedIn, "a2 EXAMINE \"INBOX\"\r\n"},
      {Examined("a2", 7, 15), "a3 UID SEARCH UID 12:* UNSEEN\r\n"},
      {"* SEARCH 11 12 14\r\na3 OK Search completed\r\n",
       std::string("a4 UID FETCH 12,14") + kFetchItems},
      {FetchResponse(5, 12, "\\Seen", "read elsewhere") + FetchResponse(6, 14, "", "new") +
           FetchResponse(6, 14, "", "repeated") + "a4 OK Fetch completed\r\n",
       "a5 LOGOUT\r\n"},
  });
  EXPECT_TRUE(last.goOn);
  ASSERT_EQ(host.texts.size(), 1u);
  EXPECT_NE(host.texts[0].find("Subject: new"), std::string::npos);
  EXPECT_EQ(FolderState(account, "INBOX").highestUid, 14u);
}

// A renumbered folder: its messages are old whatever their UIDs, so nothing is searched or
// fetched, and the next check starts from UIDNEXT.
TEST_F(ImapSessionTest, ChangedUidValidityResynchronisesWithoutAnnouncing) {
  account.folders = "INBOX";
  account.imapFolders = {{"INBOX", 7, 11, true}};
  Converse({
      {kGreeting, kLogin},
      {kLoggedIn, "a2 EXAMINE \"INBOX\"\r\n"},
      {Examined("a2", 8, 5), "a3 LOGOUT\r\n"},
  });
  EXPECT_TRUE(host.texts.empty());
  EXPECT_EQ(FolderState(account, "INBOX").uidValidity, 8u);
  EXPECT_EQ(FolderState(account, "INBOX").highestUid, 4u);
}

// A check cut off during its fetches has not seen the rest: the next one fetches it.
TEST_F(ImapSessionTest, CutOffFetchLeavesTheRestForTheNextCheck) {
  account.folders = "INBOX";
  Converse({
      {kGreeting, kLogin},
      {kLoggedIn, "a2 EXAMINE \"INBOX\"\r\n"},
      {Examined("a2", 7, 30), "a3 UID SEARCH UNSEEN\r\n"},
      {"* SEARCH 3 9\r\na3 OK\r\n", std::string("a4 UID FETCH 3,9") + kFetchItems},
      {FetchResponse(1, 3, "", "one"), ""},
  });
  EXPECT_EQ(FolderState(account, "INBOX").highestUid, 3u);
}

TEST_F(ImapSessionTest, StartTlsBeforeSignInAndCapabilitiesAskedAgain) {
  account.security = 2;
  account.folders = "INBOX";
  session.SetSettings(settings);
  session.Begin(account);
  SessionReply reply =
      session.OnLine("* OK [CAPABILITY IMAP4rev1 STARTTLS LOGINDISABLED] hi", account);
  EXPECT_EQ(reply.command, "a1 STARTTLS\r\n");
  reply = session.OnLine("a1 OK Begin TLS negotiation now.", account);
  EXPECT_TRUE(reply.startTls);
  EXPECT_EQ(reply.command, "");
  reply = session.OnSecured(account);
  EXPECT_EQ(reply.command, "a2 CAPABILITY\r\n");
  EXPECT_EQ(session.OnLine("* CAPABILITY IMAP4rev1 AUTH=PLAIN SASL-IR", account).command, "");
  EXPECT_EQ(session.OnLine("a2 OK", account).command, "a3 LOGIN \"alice\" \"pa\\\"ss\"\r\n");
}

TEST_F(ImapSessionTest, AuthenticatePlainWhereLoginIsDisabledInsideTls) {
  account.security = 1;
  session.SetSettings(settings);
  session.Begin(account);
  SessionReply reply =
      session.OnLine("* OK [CAPABILITY IMAP4rev1 LOGINDISABLED AUTH=PLAIN SASL-IR] hi", account);
  // "\0alice\0pa\"ss"
  EXPECT_EQ(reply.command, "a1 AUTHENTICATE PLAIN AGFsaWNlAHBhInNz\r\n");
}

// Each failure ends the account's check with its message; no credential goes out in clear.
TEST_F(ImapSessionTest, FailuresEndWithClearMessages) {
  struct Case {
    const char* name;
    int security;
    std::vector<std::string> lines;
    std::string error;
    std::string sentLast;
  };
  const Case cases[] = {
      {"wrong_password",
       0,
       {kGreeting, "a1 NO [AUTHENTICATIONFAILED] Authentication failed."},
       std::string(texts::kAuthRejected) + "[AUTHENTICATIONFAILED] Authentication failed.",
       "a2 LOGOUT\r\n"},
      {"login_disabled_in_clear",
       0,
       {"* OK [CAPABILITY IMAP4rev1 STARTTLS LOGINDISABLED] hi"},
       texts::kTlsRequired,
       "a1 LOGOUT\r\n"},
      {"no_starttls", 2, {kGreeting}, texts::kImapStartTlsNotOffered, "a1 LOGOUT\r\n"},
      {"bye_greeting",
       0,
       {"* BYE Too many connections"},
       std::string(texts::kImapServerBye) + "Too many connections",
       ""},
      {"garbage_greeting",
       0,
       {"+OK POP3 ready"},
       std::string(texts::kBadGreeting) + "+OK POP3 ready",
       ""},
      {"bye_mid_check",
       0,
       {kGreeting, kLoggedIn, "* BYE Server shutting down."},
       std::string(texts::kImapServerBye) + "Server shutting down.",
       "a3 LOGOUT\r\n"},
      {"garbage_mid_check",
       0,
       {kGreeting, kLoggedIn, "* 1 FETCH (UID"},
       std::string(texts::kBadGreeting) + "unterminated list",
       "a3 LOGOUT\r\n"},
      {"unexpected_continuation",
       0,
       {kGreeting, "+ go on"},
       std::string(texts::kBadGreeting) + "+ go on",
       "a2 LOGOUT\r\n"},
      {"search_refused",
       0,
       {kGreeting, kLoggedIn, Examined("a2", 1, 2), "a3 BAD Error in IMAP command"},
       std::string(texts::kImapCommandRejected) + "Error in IMAP command",
       "a4 LOGOUT\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHost host;
    ItemKeeper keeper;
    ImapSession session(host, keeper);
    account.security = c.security;
    session.SetSettings(settings);
    session.Begin(account);
    SessionReply reply;
    std::string all;
    for (const std::string& chunk : c.lines) {
      std::string_view rest = chunk;
      while (!rest.empty() && reply.goOn) {
        const size_t end = rest.find("\r\n");
        reply = session.OnLine(rest.substr(0, end), account);
        all += reply.command;
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
      }
    }
    EXPECT_FALSE(reply.goOn);
    EXPECT_EQ(reply.error, c.error);
    EXPECT_EQ(reply.command, c.sentLast);
    if (c.security == 2 || c.name == std::string("login_disabled_in_clear")) {
      EXPECT_EQ(all.find("LOGIN \""), std::string::npos);
    }
    EXPECT_EQ(session.OnLine("a9 OK late", account).goOn, false);
  }
}

// A server's error text is cut with the message at the same length as POP3's, never inside a
// character.
TEST_F(ImapSessionTest, LongServerTextIsCutAtWholeCharacters) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "\xE3\x81\x82";  // "あ"
  session.SetSettings(settings);
  session.Begin(account);
  EXPECT_EQ(session.OnLine("* OK [CAPABILITY IMAP4rev1] hi", account).command, kLogin);
  SessionReply reply = session.OnLine("a1 NO " + text, account);
  EXPECT_FALSE(reply.goOn);
  EXPECT_EQ(CountChars(reply.error), kErrorTextMax);
  EXPECT_TRUE(reply.error.starts_with(texts::kAuthRejected));
  EXPECT_TRUE(reply.error.ends_with("\xE3\x81\x82"));
}

// A missing folder does not keep the others from being checked; the account still reports it.
TEST_F(ImapSessionTest, MissingFolderIsReportedAfterTheOthers) {
  account.folders = "Nope,INBOX";
  SessionReply last = Converse({
      {kGreeting, kLogin},
      {kLoggedIn, "a2 EXAMINE \"Nope\"\r\n"},
      {"a2 NO Mailbox doesn't exist: Nope\r\n", "a3 EXAMINE \"INBOX\"\r\n"},
      {Examined("a3", 1, 5), "a4 UID SEARCH UNSEEN\r\n"},
      {"* SEARCH 4\r\na4 OK\r\n", std::string("a5 UID FETCH 4") + kFetchItems},
      {FetchResponse(1, 4, "", "kept") + "a5 OK\r\n", "a6 LOGOUT\r\n"},
  });
  EXPECT_FALSE(last.goOn);
  EXPECT_EQ(last.error,
            std::string(texts::kImapFolderMissing) + "Nope\n\nMailbox doesn't exist: Nope");
  EXPECT_EQ(account.items.size(), 1u);
}

// Folder names go out in modified UTF-7, or as UTF-8 once the server enabled UTF8=ACCEPT.
TEST_F(ImapSessionTest, FolderNamesAreSpelledForTheServer) {
  account.folders =
      "Entw\xC3\xBC"
      "rfe";
  Converse({
      {kGreeting, kLogin},
      {kLoggedIn, "a2 EXAMINE \"Entw&APw-rfe\"\r\n"},
  });
  Converse({
      {kGreeting, kLogin},
      {"a1 OK [CAPABILITY IMAP4rev1 ENABLE UTF8=ACCEPT] Logged in\r\n",
       "a2 ENABLE UTF8=ACCEPT\r\n"},
      {"* ENABLED UTF8=ACCEPT\r\na2 OK Enabled\r\n",
       "a3 EXAMINE \"Entw\xC3\xBC"
       "rfe\"\r\n"},
  });
  // Without a capability list on the tagged OK, it is asked for after sign-in.
  Converse({
      {kGreeting, kLogin},
      {"a1 OK Logged in\r\n", "a2 CAPABILITY\r\n"},
      {"* CAPABILITY IMAP4rev1\r\na2 OK\r\n", "a3 EXAMINE \"Entw&APw-rfe\"\r\n"},
  });
}

// Push: the session idles on the first folder after looking at all of them; new mail ends the
// IDLE, every folder is looked at again (only above what was announced), and it idles again.
TEST_F(ImapSessionTest, PushIdlesAndLooksAgainWhenMailArrives) {
  session.SetIdle(true);
  const std::string greeting = "* OK [CAPABILITY IMAP4rev1 IDLE AUTH=PLAIN] ready\r\n";
  Converse({
      {greeting, kLogin},
      {kLoggedIn, "a2 EXAMINE \"INBOX\"\r\n"},
      {Examined("a2", 7, 4), "a3 UID SEARCH UNSEEN\r\n"},
      {"* SEARCH\r\na3 OK\r\n", "a4 EXAMINE \"Lists\"\r\n"},
      {Examined("a4", 3, 9), "a5 UID SEARCH UNSEEN\r\n"},
      {"* SEARCH\r\na5 OK\r\n", "a6 EXAMINE \"INBOX\"\r\n"},
      {Examined("a6", 7, 4), "a7 IDLE\r\n"},
      {"+ idling\r\n", ""},
  });
  EXPECT_TRUE(session.Idling());
  auto feed = [&](const std::string& lines) {
    std::string sent;
    std::string_view rest = lines;
    while (!rest.empty()) {
      const size_t end = rest.find("\r\n");
      sent += session.OnLine(rest.substr(0, end), account).command;
      rest.remove_prefix(end + 2);
    }
    return sent;
  };
  EXPECT_EQ(feed("* 6 EXISTS\r\n"), "DONE\r\n");
  EXPECT_EQ(feed("* 7 EXISTS\r\na7 OK Idle completed.\r\n"), "a8 EXAMINE \"INBOX\"\r\n");
  EXPECT_EQ(feed(Examined("a8", 7, 6)), "a9 UID SEARCH UID 4:* UNSEEN\r\n");
  EXPECT_EQ(feed("* SEARCH 5\r\na9 OK\r\n"), std::string("a10 UID FETCH 5") + kFetchItems);
  EXPECT_EQ(feed(FetchResponse(6, 5, "", "pushed") + "a10 OK\r\n"), "a11 EXAMINE \"Lists\"\r\n");
  EXPECT_EQ(feed(Examined("a11", 3, 9)), "a12 UID SEARCH UID 9:* UNSEEN\r\n");
  EXPECT_EQ(feed("* SEARCH 8\r\na12 OK\r\n"), "a13 EXAMINE \"INBOX\"\r\n");
  EXPECT_EQ(feed(Examined("a13", 7, 6) + "+ idling\r\n"), "a14 IDLE\r\n");
  EXPECT_TRUE(session.Idling());
  ASSERT_EQ(host.texts.size(), 1u);
  EXPECT_NE(host.texts[0].find("Subject: pushed"), std::string::npos);
  EXPECT_EQ(session.Rounds(), 1);

  // A renewal ends the IDLE the same way; a BYE while idling ends the session.
  EXPECT_EQ(session.Wake(account).command, "DONE\r\n");
  EXPECT_EQ(session.Wake(account).command, "");
  EXPECT_EQ(feed("a14 OK\r\n"), "a15 EXAMINE \"INBOX\"\r\n");
  SessionReply bye = session.OnLine("* BYE Server shutting down.", account);
  EXPECT_FALSE(bye.goOn);
  EXPECT_EQ(bye.error, std::string(texts::kImapServerBye) + "Server shutting down.");
}

// Without IDLE at the server a push account signs out as a polled one does.
TEST_F(ImapSessionTest, PushWithoutIdleSignsOut) {
  session.SetIdle(true);
  account.folders = "INBOX";
  Converse({
      {kGreeting, kLogin},
      {"a1 OK [CAPABILITY IMAP4rev1] Logged in\r\n", "a2 EXAMINE \"INBOX\"\r\n"},
      {Examined("a2", 7, 4), "a3 UID SEARCH UNSEEN\r\n"},
      {"* SEARCH\r\na3 OK\r\n", "a4 LOGOUT\r\n"},
  });
}

// Opening an attachment: the folder is examined read-only, its UIDVALIDITY compared with the
// one the message was listed under, and only that part fetched with BODY.PEEK.
TEST_F(ImapSessionTest, PartRequestFetchesOnePartOrSaysWhyNot) {
  struct Case {
    const char* name;
    std::string examined;
    std::string fetched;
    std::string error;  // empty: the part arrives
    std::string afterFetch;
  };
  const std::string fetch = "a3 UID FETCH 11 (UID BODY.PEEK[2.1])\r\n";
  const Case cases[] = {
      {"fetched", Examined("a2", 7, 12),
       "* 4 FETCH (UID 11 BODY[2.1] {8}\r\naGVsbG8=)\r\na3 OK Fetch completed\r\n", "",
       "a4 LOGOUT\r\n"},
      {"folder_renumbered", Examined("a2", 8, 12), "", texts::kImapFolderRenumbered, ""},
      {"message_gone", Examined("a2", 7, 12), "a3 OK Fetch completed\r\n", texts::kImapMessageGone,
       "a4 LOGOUT\r\n"},
      {"too_large", Examined("a2", 7, 12),
       "* 4 FETCH (UID 11 BODY[2.1] {20}\r\n01234567890123456789)\r\na3 OK\r\n",
       std::string(texts::kImapPartTooLarge) + "0 MB", "a4 LOGOUT\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHost host;
    ItemKeeper keeper;
    ImapSession session(host, keeper);
    Account copy = account;
    session.SetPartRequest(ImapPartRequest{{"Lists", 7, 11}, "2.1", 10});
    session.Begin(copy);
    std::string sent;
    SessionReply last;
    for (const std::string& lines :
         {std::string(kGreeting), std::string(kLoggedIn), c.examined, c.fetched}) {
      std::string_view rest = lines;
      while (!rest.empty() && last.goOn) {
        const size_t end = rest.find("\r\n");
        last = session.OnLine(rest.substr(0, end), copy);
        sent += last.command;
        rest.remove_prefix(end + 2);
      }
    }
    EXPECT_EQ(sent, std::string(kLogin) + "a2 EXAMINE \"Lists\"\r\n" +
                        (c.name == std::string("folder_renumbered") ? "a3 LOGOUT\r\n"
                                                                    : fetch + c.afterFetch));
    EXPECT_EQ(last.goOn, c.error.empty());
    EXPECT_EQ(last.error, c.error);
    if (c.error.empty()) {
      EXPECT_TRUE(session.LoggingOut());
      EXPECT_EQ(session.TakeFetchedPart(), "aGVsbG8=");
    } else {
      EXPECT_FALSE(session.HasFetchedPart());
    }
    // The part's bytes stay out of the log; the commands are in it.
    for (const std::string& entry : host.log) EXPECT_EQ(entry.find("aGVsbG8="), std::string::npos);
    EXPECT_TRUE(copy.imapFolders.empty());
    EXPECT_TRUE(host.texts.empty());
  }
}

// The messages are shown as the program's other texts are, in UTF-8.
TEST(ImapTexts, AreUtf8LikeTheProgramsOtherTexts) {
  for (const char* text :
       {texts::kImapFolderMissing, texts::kImapFolderName, texts::kImapServerBye,
        texts::kImapStartTlsRefused, texts::kImapCommandRejected, texts::kImapNoLoginMethod,
        texts::kImapMessageGone, texts::kImapFolderRenumbered, texts::kImapPartTooLarge}) {
    EXPECT_TRUE(IsUtf8WithMultiByte(text)) << text;
  }
}

TEST(SplitFolders, TrimsSkipsEmptiesAndDefaultsToInbox) {
  EXPECT_EQ(SplitFolders(" INBOX , Lists,,Lists, Work/Old "),
            (std::vector<std::string>{"INBOX", "Lists", "Work/Old"}));
  EXPECT_EQ(SplitFolders(""), std::vector<std::string>{"INBOX"});
  EXPECT_EQ(SplitFolders(" , "), std::vector<std::string>{"INBOX"});
}

}  // namespace
}  // namespace postwink
