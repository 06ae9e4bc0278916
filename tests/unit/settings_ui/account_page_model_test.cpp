#include "core/settings_ui/account_page_model.h"

#include <gtest/gtest.h>

#include "core/config/credentials.h"
#include "core/config/password.h"
#include "core/net/net_texts.h"
#include "core/settings_ui/settings_ui_texts.h"
#include "unit/check/fake_check_host.h"

namespace postwink {
namespace {

using Names = std::vector<std::string>;
constexpr int kSt3 = 0xCA00;

using testing::MakeAccounts;

TEST(AccountsPage, OpensOnCopiesWithTheFirstAccountShown) {
  auto accounts = MakeAccounts(2);
  accounts[1]->user = "";  // cannot log in: offered as not enabled
  AccountsPageModel page(accounts, kSt3);
  EXPECT_EQ(page.Names(), (Names{"box0", "box1"}));
  EXPECT_EQ(page.Shown(), 0);
  EXPECT_TRUE(page.ControlsEnabled());
  EXPECT_EQ(page.ShownFields(), FieldsOf(*accounts[0]));
  EXPECT_EQ(page.Copies()[0].origin, accounts[0].get());
  EXPECT_EQ(page.Copies()[1].fields.enabled, 0);
  EXPECT_EQ(accounts[1]->enabled, 1);  // the account itself is untouched until Apply
}

TEST(AccountsPage, WithoutAccountsAnEmptyMailbox1IsOffered) {
  AccountsPageModel page({}, kSt3);
  ASSERT_EQ(page.Copies().size(), 1u);
  EXPECT_EQ(page.Copies()[0].origin, nullptr);
  AccountFields expected;
  expected.mailbox = "MAILBOX-1";
  expected.colour = kSt3;
  EXPECT_EQ(page.ShownFields(), expected);
  EXPECT_EQ(expected.port, 110);
  EXPECT_EQ(expected.interval, 10);
  EXPECT_EQ(expected.enabled, 0);
}

TEST(AccountsPage, ShowingAnotherAccountStoresAndRenamesTheShownOne) {
  auto accounts = MakeAccounts(3);
  AccountsPageModel page(accounts, kSt3);
  AccountFields typed = page.ShownFields();
  typed.mailbox = "renamed";  // typed into the drop-down's field
  typed.server = "pop.example.org";
  page.Show(2, typed);
  EXPECT_EQ(page.Shown(), 2);
  EXPECT_EQ(page.Names(), (Names{"renamed", "box1", "box2"}));
  EXPECT_EQ(page.Copies()[0].fields, typed);
  EXPECT_EQ(page.ShownFields(), FieldsOf(*accounts[2]));
}

TEST(AccountsPage, NewAccountsCountTheEntriesAndStopAtTen) {
  auto accounts = MakeAccounts(2);
  AccountsPageModel page(accounts, kSt3);
  AccountFields typed = page.ShownFields();
  typed.user = "changed";
  EXPECT_FALSE(page.AddAccount(typed));
  EXPECT_EQ(page.Copies()[0].fields.user, "changed");
  EXPECT_EQ(page.Shown(), 2);
  EXPECT_EQ(page.ShownFields().mailbox, "MAILBOX-3");
  EXPECT_EQ(page.ShownFields().colour, kSt3);
  EXPECT_EQ(page.Copies()[2].origin, nullptr);

  while (page.Copies().size() < 10) ASSERT_FALSE(page.AddAccount(page.ShownFields()));
  EXPECT_EQ(page.ShownFields().mailbox, "MAILBOX-10");
  EXPECT_EQ(page.AddAccount(page.ShownFields()), std::string(texts::kTooManyAccounts));
  EXPECT_EQ(page.Copies().size(), 10u);
  EXPECT_EQ(page.Shown(), 9);
}

TEST(AccountsPage, DeletingShowsTheAccountAtTheSamePositionOrTheLast) {
  struct Case {
    int count, shown;
    Names left;
    int shownAfter;
  } cases[] = {
      {3, 0, {"box1", "box2"}, 0},
      {3, 1, {"box0", "box2"}, 1},
      {3, 2, {"box0", "box1"}, 1},
      {1, 0, {}, -1},
  };
  for (const Case& c : cases) {
    auto accounts = MakeAccounts(c.count);
    AccountsPageModel page(accounts, kSt3);
    page.Show(c.shown, page.ShownFields());
    page.DeleteShown();
    EXPECT_EQ(page.Names(), c.left) << c.count << "/" << c.shown;
    EXPECT_EQ(page.Shown(), c.shownAfter);
    EXPECT_EQ(page.ControlsEnabled(), c.shownAfter >= 0);
  }
}

TEST(AccountsPage, ApplyIsRefusedForAnIncompleteEnabledAccountOrAnUnstorablePassword) {
  auto edit = [](auto change) {
    AccountFields f = FieldsOf(*MakeAccounts(2)[1]);
    change(f);
    return f;
  };
  struct Case {
    const char* what;
    AccountFields second;
    std::optional<std::string> message;
  } cases[] = {
      {"complete", edit([](AccountFields&) {}), std::nullopt},
      {"no server", edit([](AccountFields& f) { f.server = ""; }), texts::kIncompleteAccount},
      {"no user", edit([](AccountFields& f) { f.user = ""; }), texts::kIncompleteAccount},
      {"no password", edit([](AccountFields& f) { f.password = ""; }), texts::kIncompleteAccount},
      {"port 0", edit([](AccountFields& f) { f.port = 0; }), texts::kIncompleteAccount},
      {"disabled and empty", edit([](AccountFields& f) {
         f = AccountFields();
         f.mailbox = "box1";
       }),
       std::nullopt},
      {"Japanese password", edit([](AccountFields& f) { f.password = "\x83\x70\x83\x58"; }),
       CheckPasswordStorable("\x83\x70").error},
      {"disabled, Japanese password", edit([](AccountFields& f) {
         f.enabled = 0;
         f.password = "\x83\x70";
       }),
       CheckPasswordStorable("\x83\x70").error},
      {"a fingerprint of the wrong length",
       edit([](AccountFields& f) { f.tlsFingerprint = "AB:CD"; }), texts::kFingerprintInvalid},
      {"a pinned STLS account", edit([](AccountFields& f) {
         f.security = 2;
         f.tlsFingerprint = std::string(64, 'a');
       }),
       std::nullopt},
      {"a line break in the user name", edit([](AccountFields& f) { f.user = "me\r\nDELE 1"; }),
       kCredentialRefused},
  };
  for (const Case& c : cases) {
    auto accounts = MakeAccounts(2);
    AccountsPageModel page(accounts, kSt3);
    page.Show(1, page.ShownFields());
    page.Show(0, c.second);  // what the controls held for the second account, stored
    std::optional<AccountsPageModel::Refusal> refusal = page.Validate(page.ShownFields());
    ASSERT_EQ(refusal.has_value(), c.message.has_value()) << c.what;
    if (!refusal) continue;
    EXPECT_EQ(refusal->position, 1) << c.what;
    EXPECT_EQ(refusal->message, *c.message) << c.what;
  }
}

TEST(AccountsPage, ChoosingTlsProposesItsPort) {
  struct Case {
    int security, port, proposed;
  } cases[] = {
      {1, 110, 995}, {0, 995, 110}, {2, 995, 110}, {2, 110, 110}, {1, 1995, 1995}, {0, 110, 110},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProposedPort(kProtocolPop3, c.security, c.port), c.proposed);
}

// Choosing IMAP moves the usual POP3 ports to IMAP's and back; a port of the user's own stays.
TEST(AccountsPage, ChoosingAProtocolProposesItsPort) {
  struct Case {
    int protocol, security, port, proposed;
  } cases[] = {
      {kProtocolImap, 0, 110, 143},   {kProtocolImap, 1, 995, 993},
      {kProtocolImap, 1, 143, 993},   {kProtocolImap, 2, 993, 143},
      {kProtocolPop3, 0, 143, 110},   {kProtocolPop3, 1, 993, 995},
      {kProtocolImap, 1, 1993, 1993}, {kProtocolPop3, 2, 10143, 10143},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProposedPort(c.protocol, c.security, c.port), c.proposed)
        << c.protocol << " " << c.security << " " << c.port;
  }
}

// The security modes read in the chosen protocol's words; the values behind them are the same.
TEST(AccountsPage, SecurityModesAreNamedForTheProtocol) {
  const auto pop3 = SecurityModeLabels(kProtocolPop3);
  const auto imap = SecurityModeLabels(kProtocolImap);
  EXPECT_EQ(std::vector<std::string>(pop3.begin(), pop3.end()),
            (std::vector<std::string>{"なし", "TLS (POP3S)", "STLS"}));
  EXPECT_EQ(std::vector<std::string>(imap.begin(), imap.end()),
            (std::vector<std::string>{"なし", "TLS (IMAPS)", "STARTTLS"}));
}

// The protocol, folders and push of an IMAP account survive showing another account; folders
// the user emptied become INBOX rather than a list the check would have to guess at.
TEST(AccountsPage, ImapFieldsAreKeptAndEmptiedFoldersBecomeInbox) {
  AccountsPageModel page(MakeAccounts(2), kSt3);
  AccountFields imap = page.ShownFields();
  imap.protocol = kProtocolImap;
  imap.folders = "INBOX, Lists";
  imap.push = 0;
  page.Show(1, imap);
  page.Show(0, page.ShownFields());
  EXPECT_EQ(page.ShownFields(), imap);
  for (const char* emptied : {"", " ", " , ,\t"}) {
    imap.folders = emptied;
    page.Store(imap);
    EXPECT_EQ(page.ShownFields().folders, "INBOX") << '"' << emptied << '"';
  }
}

// The page against the real check engine: deleted, kept and new accounts, and a second Apply in
// the same sheet that must not make the new account again.
TEST(AccountsPage, AppliedCopiesKeepTheAccountsIdentities) {
  Settings settings;
  testing::FakeCheckHost host;
  testing::FakeTransport network;
  CheckEngine engine(host, network, settings, MakeAccounts(2));
  Account* kept = engine.Accounts()[1].get();
  kept->lastNumber = 7;
  kept->cachedAddresses = {NetAddress{}};

  AccountsPageModel page(engine.Accounts(), kSt3);
  page.DeleteShown();
  ASSERT_FALSE(page.AddAccount(page.ShownFields()));
  ASSERT_FALSE(page.Validate(page.ShownFields()));
  engine.ApplyAccounts(page.Copies());
  page.Rebase(engine.Accounts());

  ASSERT_EQ(engine.Accounts().size(), 2u);
  EXPECT_EQ(engine.Accounts()[0].get(), kept);
  EXPECT_EQ(kept->lastNumber, 7);
  EXPECT_TRUE(kept->cachedAddresses.empty());
  EXPECT_EQ(engine.Accounts()[1]->mailbox, "MAILBOX-2");
  Account* created = engine.Accounts()[1].get();

  AccountFields renamed = page.ShownFields();
  renamed.mailbox = "mine";
  ASSERT_FALSE(page.Validate(renamed));
  engine.ApplyAccounts(page.Copies());
  EXPECT_EQ(engine.Accounts()[1].get(), created);
  EXPECT_EQ(created->mailbox, "mine");
}

}  // namespace
}  // namespace postwink
