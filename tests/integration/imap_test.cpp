// IMAP accounts checked through the engine: against the real Dovecot (started with an IMAP
// listener by scripts/with-servers.sh) and against the scripted IMAP fault server.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/check/attachment_fetch.h"
#include "core/imap/imap_texts.h"
#include "core/list/list_commands.h"
#include "core/mime/body_and_parts.h"
#include "core/mime/date.h"
#include "core/mime/parse_message.h"
#include "core/mime/transfer_encoding.h"
#include "core/net/sasl.h"
#include "core/pop3/pop3_texts.h"
#include "integration/harness.h"

namespace postwink::integration {
namespace {

namespace fs = std::filesystem;

std::multiset<std::string> Subjects(CheckEngine& engine) {
  std::multiset<std::string> subjects;
  for (const auto& item : engine.List().Items()) subjects.insert(item->subject.value_or(""));
  return subjects;
}

Account& AddImapAccount(Checker& checker, const std::string& mailbox, int port,
                        const std::string& user, const std::string& password,
                        const std::string& folders) {
  Account& account = checker.AddAccount(mailbox, port, user, password);
  account.protocol = kProtocolImap;
  account.folders = folders;
  account.push = 0;
  return account;
}

// The client may only read: every command it logged ("[box] a7 VERB ...") is one that reads.
// (The capability list names MOVE and the like, so a plain search of the log would not do.)
void ExpectReadOnly(const std::string& log, const std::string& mailbox) {
  const std::string prefix = "[" + mailbox + "] a";
  size_t commands = 0;
  for (size_t at = log.find(prefix); at != std::string::npos; at = log.find(prefix, at + 1)) {
    const size_t end = log.find_first_of("\r\n", at);
    const std::string line = log.substr(at + prefix.size(), end - at - prefix.size());
    const std::string verb = line.substr(line.find(' ') + 1);
    // The server's tagged answers are logged too.
    if (verb.starts_with("OK") || verb.starts_with("NO ") || verb.starts_with("BAD ")) continue;
    bool reads = false;
    for (const char* allowed :
         {"CAPABILITY", "LOGIN ", "ENABLE ", "EXAMINE ", "UID SEARCH ", "UID FETCH ", "LOGOUT"}) {
      reads = reads || verb.starts_with(allowed);
    }
    EXPECT_TRUE(reads) << line;
    if (verb.starts_with("UID FETCH ")) {
      EXPECT_NE(verb.find("BODY.PEEK["), std::string::npos);
      EXPECT_EQ(verb.find("BODY["), std::string::npos);
    }
    ++commands;
  }
  EXPECT_GT(commands, 4u);
}

class DovecotImapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT("POSTWINK_IMAP_PORT");
    port = std::atoi(Env("POSTWINK_IMAP_PORT")->c_str());
    user = *Env("POSTWINK_IMAP_USER");
    password = *Env("POSTWINK_IMAP_PASS");
    inbox = fs::path(*Env("POSTWINK_DOVECOT_MAIL")) / user / "Maildir";
    lists = inbox / ".Lists";
    Clear();
  }
  void TearDown() override {
    if (!inbox.empty()) Clear();
  }
  void Clear() {
    ClearMaildir(inbox);
    ClearMaildir(lists);
  }
  // A message some other client has read already.
  void DeliverSeen(const fs::path& maildir, const std::string& id) {
    DeliverMessage(maildir, id);
    for (const auto& e : fs::directory_iterator(maildir / "new")) {
      const std::string name = e.path().filename().string();
      if (name.ends_with("P1." + id)) fs::rename(e.path(), maildir / "cur" / (name + ":2,S"));
    }
  }
  // The Maildir flags of every message file ("" for none).
  static std::multiset<std::string> Flags(const fs::path& maildir) {
    std::multiset<std::string> flags;
    for (const char* sub : {"new", "cur"}) {
      for (const auto& e : fs::directory_iterator(maildir / sub)) {
        const std::string name = e.path().filename().string();
        const size_t colon = name.find(":2,");
        flags.insert(colon == std::string::npos ? "" : name.substr(colon + 3));
      }
    }
    return flags;
  }

  int port = 0;
  std::string user, password;
  fs::path inbox, lists;
};

TEST_F(DovecotImapTest, UnseenMailOfTwoFoldersIsListedOnceAndLeftUnread) {
  DeliverMessage(inbox, "i1");
  DeliverMessage(inbox, "i2");
  DeliverSeen(inbox, "read");
  DeliverMessage(lists, "l1");
  DeliverSeen(lists, "read-list");
  Checker checker;
  AddImapAccount(checker, "imap", port, user, password, "INBOX, Lists");

  checker.CheckNow();
  ASSERT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  EXPECT_EQ(Subjects(checker.Engine()),
            (std::multiset<std::string>{"message i1", "message i2", "message l1"}));
  EXPECT_EQ(checker.AccountAt(0).messageCount, 5);
  ExpectReadOnly(checker.LogText(), "imap");
  // Nothing was marked read: the unseen files still carry no S.
  EXPECT_EQ(Flags(inbox), (std::multiset<std::string>{"", "", "S"}));
  EXPECT_EQ(Flags(lists), (std::multiset<std::string>{"", "S"}));

  // The next check announces only what arrived since.
  DeliverMessage(lists, "l2");
  checker.CheckNow();
  ASSERT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  EXPECT_EQ(Subjects(checker.Engine()),
            (std::multiset<std::string>{"message i1", "message i2", "message l1", "message l2"}));
  EXPECT_EQ(checker.LogText().find("UID SEARCH UNSEEN"), std::string::npos)
      << "a later check asks only above the UIDs it knows";

  // A check with nothing new adds nothing.
  checker.CheckNow();
  EXPECT_EQ(checker.Engine().List().Size(), 4u);
}

// Dovecot gives a folder a new UIDVALIDITY when its UID list is lost: what is there then is not
// announced again, and what arrives afterwards is.
TEST_F(DovecotImapTest, ChangedUidValidityDoesNotAnnounceOldMailAgain) {
  DeliverMessage(inbox, "before");
  Checker checker;
  AddImapAccount(checker, "imap", port, user, password, "INBOX");
  checker.CheckNow();
  ASSERT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  ASSERT_EQ(checker.Engine().List().Size(), 1u);
  const uint32_t validity = FolderState(checker.AccountAt(0), "INBOX").uidValidity;

  fs::remove(inbox / "dovecot-uidlist");
  for (const auto& e : fs::directory_iterator(inbox)) {
    if (e.path().filename().string().starts_with("dovecot.index")) fs::remove(e.path());
  }
  checker.CheckNow();
  ASSERT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  EXPECT_EQ(checker.Engine().List().Size(), 1u);
  EXPECT_NE(FolderState(checker.AccountAt(0), "INBOX").uidValidity, validity);

  DeliverMessage(inbox, "after");
  checker.CheckNow();
  EXPECT_EQ(Subjects(checker.Engine()),
            (std::multiset<std::string>{"message before", "message after"}));
}

TEST_F(DovecotImapTest, MissingFolderReadsClearly) {
  DeliverMessage(inbox, "kept");
  Checker checker;
  AddImapAccount(checker, "folders", port, user, password, "Nope, INBOX");
  checker.CheckNow();
  ASSERT_TRUE(checker.OutcomeOf(0).failed);
  EXPECT_TRUE(
      checker.OutcomeOf(0).error.starts_with(std::string(texts::kImapFolderMissing) + "Nope"))
      << checker.OutcomeOf(0).error;
  // The folder that exists was checked all the same.
  EXPECT_EQ(Subjects(checker.Engine()), (std::multiset<std::string>{"message kept"}));
}

// Fetches one part the way the program does when an attachment is opened, pumping the fetch's
// own transport until it ends.
AttachmentFetchResult FetchPart(const Account& account, const ImapPartRequest& request,
                                std::string* log) {
  std::unique_ptr<PumpedTransport> owned = MakePlatformTransport();
  PumpedTransport& transport = *owned;
  std::optional<AttachmentFetchResult> result;
  const auto now = [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  AttachmentFetch fetch(
      std::move(owned), account, nullptr, request, 20000, now,
      [&](std::string_view line) { *log += std::string(line) + "\n"; },
      [&](AttachmentFetchResult r) { result = std::move(r); });
  fetch.Start();
  while (!result) {
    transport.Pump(100, fetch);
    fetch.Tick();
  }
  return *result;
}

// A message with two attachments: the check lists their names from the structure without
// fetching them, and opening one fetches exactly that part, byte for byte, leaving every flag.
TEST_F(DovecotImapTest, AttachmentNamesComeFromTheStructureAndOnePartIsFetchedWhenOpened) {
  std::string binary;
  for (int i = 0; i < 100000; ++i) binary.push_back(static_cast<char>((i * 7 + i / 256) & 0xff));
  // The CR LF before a boundary line belongs to the boundary.
  const std::string report = "Zeile 1: \xC3\xA4\xC3\xB6\xC3\xBC\r\nline = two";
  const std::string extra =
      "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n";
  DeliverMessage(lists, "attached", extra);
  // The body DeliverMessage writes is the preamble; the parts follow it.
  for (const auto& e : fs::directory_iterator(lists / "new")) {
    std::ofstream f(e.path(), std::ios::binary | std::ios::app);
    f << "--b1\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nSee the files.\r\n"
      << "--b1\r\nContent-Type: application/octet-stream; name=\"=?UTF-8?B?"
      << Base64Encode("写真.bin") << "?=\"\r\nContent-Transfer-Encoding: base64\r\n"
      << "Content-Disposition: attachment\r\n\r\n"
      << Base64Encode(binary) << "\r\n"
      << "--b1\r\nContent-Type: text/plain; charset=utf-8\r\n"
      << "Content-Transfer-Encoding: quoted-printable\r\n"
      << "Content-Disposition: attachment;\r\n filename*=utf-8''%E5%A0%B1%E5%91%8A.txt\r\n\r\n"
      << "Zeile 1: =C3=A4=C3=B6=C3=BC\r\nline =3D two\r\n--b1--\r\n";
  }
  const auto flagsBefore = Flags(lists);
  Checker checker;
  AddImapAccount(checker, "imap", port, user, password, "Lists");
  checker.CheckNow();
  ASSERT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  ASSERT_EQ(checker.Engine().List().Items().size(), 1u);
  const MailItem& item = *checker.Engine().List().Items()[0];
  EXPECT_TRUE(item.hasAttachment);
  const CharsetContext charsets{PlatformSystem().codePage, PlatformCharsetConverter()};
  PartList parts;
  AttachmentParts(item, parts, charsets);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[1].name, "写真.bin");
  EXPECT_EQ(parts[2].name, "報告.txt");
  // The check fetched the text's first bytes only, far fewer than the attachment's.
  EXPECT_NE(checker.LogText().find("BODY.PEEK[TEXT]<0." + std::to_string(kWholeTextBytes) + ">"),
            std::string::npos);
  EXPECT_EQ(Flags(lists), flagsBefore);

  const ImapPlace place = *item.imapPlace;
  std::string log;
  for (size_t index : {1u, 2u}) {
    SCOPED_TRACE(index);
    AttachmentFetchResult result =
        FetchPart(checker.AccountAt(0), {place, *parts[index].section, kMaxPartBytes}, &log);
    ASSERT_TRUE(result.content) << result.error;
    EXPECT_EQ(DecodeContent(*result.content, parts[index]), index == 1 ? binary : report);
  }
  EXPECT_NE(log.find("UID FETCH " + std::to_string(place.uid) + " (UID BODY.PEEK[2])"),
            std::string::npos);
  EXPECT_NE(log.find("EXAMINE \"Lists\""), std::string::npos);
  ExpectReadOnly(log, "imap");
  EXPECT_EQ(Flags(lists), flagsBefore);

  // A folder numbered anew or a message gone is said so, never another message's bytes.
  ImapPlace renumbered = place;
  ++renumbered.uidValidity;
  EXPECT_EQ(FetchPart(checker.AccountAt(0), {renumbered, "2", kMaxPartBytes}, &log).error,
            texts::kImapFolderRenumbered);
  ImapPlace gone = place;
  gone.uid += 1000;
  EXPECT_EQ(FetchPart(checker.AccountAt(0), {gone, "2", kMaxPartBytes}, &log).error,
            texts::kImapMessageGone);
  // A part larger than allowed is refused, not cut.
  AttachmentFetchResult small = FetchPart(checker.AccountAt(0), {place, "2", 1000}, &log);
  EXPECT_FALSE(small.content);
  EXPECT_TRUE(small.error.starts_with(texts::kImapPartTooLarge)) << small.error;
}

// The attachment menu's labels of a part list, greyed ones marked.
std::vector<std::string> MenuLabels(const PartList& parts) {
  std::vector<std::string> labels;
  for (const AttachmentEntry& entry : AttachmentMenuEntries(parts)) {
    labels.push_back(entry.label + (entry.greyed ? " (greyed)" : ""));
  }
  return labels;
}

// The paper clip and the attachment menu of each test message read the same whether the
// message was fetched whole (as POP3 does) or only its structure was (IMAP).
TEST_F(DovecotImapTest, AttachmentsAreJudgedAsForAMessageFetchedWhole) {
  const fs::path data = fs::path(POSTWINK_TEST_DATA) / "mail";
  std::vector<std::string> texts;
  int serial = 0;
  for (const char* name : {"nested_multipart.eml", "odd_attachment_names.eml", "single_base64.eml",
                           "japanese_jis.eml"}) {
    std::ifstream in(data / name, std::ios::binary);
    texts.push_back(WithCrLfLineEnds(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())));
    std::ofstream(lists / "new" / ("17000000" + std::to_string(++serial) + ".fixture." + name),
                  std::ios::binary)
        << texts.back();
  }
  Checker checker;
  AddImapAccount(checker, "imap", port, user, password, "Lists");
  checker.CheckNow();
  ASSERT_FALSE(checker.OutcomeOf(0).failed) << checker.OutcomeOf(0).error;
  ASSERT_EQ(checker.Engine().List().Items().size(), texts.size());

  const CharsetContext charsets{PlatformSystem().codePage, PlatformCharsetConverter()};
  LocalZone zone{PlatformTimeZone()};
  ParseOptions options(charsets, zone);
  options.dotStuffed = false;
  size_t offered = 0;  // attachment menu entries compared
  for (const std::string& text : texts) {
    MailItem whole;
    ParseMessage(whole, text, std::nullopt, options);
    SCOPED_TRACE(whole.subject.value_or(""));
    const MailItem* listed = nullptr;
    for (const auto& item : checker.Engine().List().Items()) {
      if (item->subject == whole.subject) listed = item.get();
    }
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->hasAttachment, whole.hasAttachment);
    PartList fromText, fromStructure;
    ListMessageParts(whole, fromText, charsets);
    AttachmentParts(*listed, fromStructure, charsets);
    EXPECT_EQ(MenuLabels(fromStructure), MenuLabels(fromText));
    offered += MenuLabels(fromText).size();
  }
  // Messages with attachments among them, not only plain ones.
  EXPECT_GE(offered, 3u);
}

class ImapFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT("POSTWINK_IMAP_FAULT_PORT");
    port = std::atoi(Env("POSTWINK_IMAP_FAULT_PORT")->c_str());
  }
  static void Scenario(const std::string& json) {
    ASSERT_EQ(FaultControl(json, "POSTWINK_IMAP_FAULT_CONTROL_PORT"), "OK");
  }
  int port = 0;
};

TEST_F(ImapFaultTest, HostileAnswersEndInAClearErrorOrAreReadWhole) {
  struct Case {
    const char* name;
    const char* scenario;
    std::string error;  // empty: the check succeeds with the one message
  };
  const Case cases[] = {
      {"split_into_tiny_reads", R"({"split": 3})", ""},
      {"huge_literal", R"({"huge_literal_mb": 48})", ""},
      {"exists_flood", R"({"exists_flood": 300000})", ""},
      {"untagged_bye", R"({"bye_at": "UID SEARCH"})",
       std::string(texts::kImapServerBye) + "going away"},
      {"garbage", R"({"answers": {"EXAMINE": "* 1 FETCH (((\r\n"}})",
       std::string(texts::kBadGreeting) + "unterminated list"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scenario(c.scenario);
    Checker checker;
    AddImapAccount(checker, "fault", port, "fuser", "fpass", "INBOX");
    checker.CheckNow(120);
    EXPECT_EQ(checker.OutcomeOf(0).failed, !c.error.empty()) << checker.OutcomeOf(0).error;
    EXPECT_EQ(checker.OutcomeOf(0).error, c.error);
    if (c.error.empty()) {
      EXPECT_EQ(Subjects(checker.Engine()), (std::multiset<std::string>{"fault message"}));
    }
  }
}

// A server that stops answering holds only its own account: the time-out ends it, and the
// account after it is checked.
TEST_F(ImapFaultTest, SilentServerTimesOutAndTheNextAccountIsChecked) {
  SKIP_WITHOUT("POSTWINK_IMAP_PORT");
  Scenario(R"({"silent_at": "UID FETCH"})");
  Settings settings = Checker::DefaultSettings();
  settings.svTimeout = 2;
  Checker checker(settings);
  AddImapAccount(checker, "silent", port, "fuser", "fpass", "INBOX");
  const fs::path inbox =
      fs::path(*Env("POSTWINK_DOVECOT_MAIL")) / *Env("POSTWINK_IMAP_USER") / "Maildir";
  ClearMaildir(inbox);
  DeliverMessage(inbox, "other");
  AddImapAccount(checker, "dove", std::atoi(Env("POSTWINK_IMAP_PORT")->c_str()),
                 *Env("POSTWINK_IMAP_USER"), *Env("POSTWINK_IMAP_PASS"), "INBOX");
  checker.CheckNow();
  EXPECT_TRUE(checker.OutcomeOf(0).failed);
  EXPECT_FALSE(checker.OutcomeOf(1).failed) << checker.OutcomeOf(1).error;
  EXPECT_EQ(Subjects(checker.Engine()), (std::multiset<std::string>{"message other"}));
  ClearMaildir(inbox);
}

}  // namespace
}  // namespace postwink::integration
