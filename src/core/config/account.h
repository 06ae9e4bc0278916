#pragma once
// POP3 accounts: their sections "SERVER1".."SERVER10" of Postwink.ini and their run-time state.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/config/ini_file.h"
#include "core/net/net_address.h"
#include "core/platform/system.h"

namespace postwink {

class MailItem;

inline constexpr int kMaxAccounts = 10;
// Sections beyond the account count are removed up to this number when saving.
inline constexpr int kMaxAccountSectionCleaned = 100;
inline constexpr int kProtocolPop3 = 0;
inline constexpr int kProtocolImap = 1;
inline constexpr char kDefaultFolders[] = "INBOX";
// Longest FOLDERS value kept; a longer one is cut at a character boundary.
inline constexpr size_t kMaxFoldersText = 2047;
// The ports that go with IMAP: plain or STARTTLS, and TLS from the start.
inline constexpr int kImapPort = 143;
inline constexpr int kImapsPort = 993;

// Longest OAUTH_* value kept (addresses, scopes and commands run long).
inline constexpr size_t kMaxOAuthText = 2047;

// The OAuth 2.0 keys of an account, each written only when not empty. provider is OAUTH as
// written ("", "microsoft", "google", "custom"); OAuthSettingsOf reads the whole.
struct OAuthKeys {
  std::string provider = {};      // OAUTH
  std::string clientId = {};      // OAUTH_CLIENT_ID
  std::string clientSecret = {};  // OAUTH_CLIENT_SECRET
  std::string authUrl = {};       // OAUTH_AUTH_URL
  std::string tokenUrl = {};      // OAUTH_TOKEN_URL
  std::string scope = {};         // OAUTH_SCOPE
  std::string tokenCommand = {};  // OAUTH_TOKEN_COMMAND

  bool operator==(const OAuthKeys&) const = default;
};

// Longest text the MAILBOX, POP3 and USER fields hold, when read and when written. The password
// has no limit, so that it always reads back as it was saved.
inline constexpr size_t kMaxAccountText = 255;

// What an IMAP account remembers of one folder between checks, for the run.
struct ImapFolderState {
  std::string name;  // as the user typed it
  uint32_t uidValidity = 0;
  uint32_t highestUid = 0;  // announced, or there before the first check
  bool known = false;       // examined at least once
};

struct Account {
  // Stored in the file. A text that is nullopt was never set and has no key in the file.
  std::optional<std::string> mailbox;   // MAILBOX
  std::optional<std::string> server;    // POP3
  int port = 110;                       // PORT
  std::optional<std::string> user;      // USER
  std::optional<std::string> password;  // PASS, plain text in memory
  int apop = 0;                         // APOP
  int interval = 10;                    // TIMER, minutes
  int enabled = 0;                      // ENABLE
  int offlineGuard = 0;                 // NOINET
  int colour = 0;                       // BOX_RGB, 0x00BBGGRR
  // Written only when set, so that files of plain accounts keep their old form.
  int security = 0;                           // SECURITY: 0 none, 1 TLS (POP3S), 2 STLS
  std::optional<std::string> tlsFingerprint;  // TLS_FINGERPRINT, SHA-256 in hexadecimal
  int protocol = kProtocolPop3;               // PROTOCOL
  std::string folders = kDefaultFolders;      // FOLDERS: IMAP mailboxes, separated by ","
  int push = 1;                               // PUSH: IMAP waits with IDLE (0: polls)
  OAuthKeys oauth = {};

  // Run time only.
  int index = 0;                            // position in the account list
  std::vector<NetAddress> cachedAddresses;  // empty = not resolved yet
  int64_t addressesResolvedMs = 0;          // monotonic time of that lookup
  int messageCount = 0;                     // from the last STAT reply
  int64_t mailboxSize = 0;                  // from the last STAT reply
  int lastNumber = -1;                      // newest message already fetched
  std::optional<std::string> lastIdentity;  // identity of that message
  int minutesWaited = 0;
  bool due = false;
  std::vector<MailItem*> items;  // not owned: the display list destroys them
  std::vector<ImapFolderState> imapFolders;
  // The OAuth access token this check signs in with; never stored, never logged.
  std::string accessToken;
};

// The stored fields as the settings sheet edits them: every text has a value.
struct AccountFields {
  std::string mailbox;
  std::string server;
  int port = 110;
  std::string user;
  std::string password;
  int apop = 0;
  int interval = 10;
  int enabled = 0;
  int offlineGuard = 0;
  int colour = 0;
  int security = 0;            // SECURITY
  std::string tlsFingerprint;  // TLS_FINGERPRINT; empty: none
  int protocol = kProtocolPop3;
  std::string folders = kDefaultFolders;
  int push = 1;
  OAuthKeys oauth = {};

  bool operator==(const AccountFields&) const = default;
};

AccountFields FieldsOf(const Account& account);
void SetFields(Account& account, const AccountFields& fields);

// One account of an edited account list: origin is the account the fields were copied from
// (its identity), null for an account created by the editor.
struct AccountEdit {
  const Account* origin = nullptr;
  AccountFields fields;
};

std::string AccountSectionName(int number);

// Reads SERVER1..SERVER10; sections without keys are skipped and the accounts found are listed
// without gaps. defaultColour is ST2_RGB.
std::vector<Account> ReadAccounts(const IniFile& ini, int defaultColour);

struct SaveAccountsResult {
  bool ok = true;
  // message for the user when ok is false; nothing was written then.
  std::string error;
};

// Writes the accounts to SERVER1..n and deletes SERVER n+1..100. When a password cannot be
// stored faithfully, or a user name or password holds CR, LF or NUL, nothing is written and the
// result names the account.
SaveAccountsResult WriteAccounts(IniFile& ini, const std::vector<Account>& accounts,
                                 System& system);
SaveAccountsResult WriteAccounts(IniFile& ini, const std::vector<const Account*>& accounts,
                                 System& system);

std::vector<Account> LoadAccounts(const std::string& iniPath, System& system, int defaultColour);
// Reads the file afresh, writes the accounts (and whatever alsoWrite adds) and replaces the file
// once. A file that exists but cannot be read is left as it is.
SaveAccountsResult SaveAccounts(const std::string& iniPath, System& system,
                                const std::vector<Account>& accounts);
SaveAccountsResult SaveAccounts(const std::string& iniPath, System& system,
                                const std::vector<const Account*>& accounts,
                                const std::function<void(IniFile&)>& alsoWrite);

}  // namespace postwink
