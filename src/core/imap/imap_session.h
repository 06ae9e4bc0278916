#pragma once
// The IMAP client (RFC 3501) that checks one account per connection. Like the POP3 session it is
// a state machine driven by the server's lines and returns what to send; it never touches a
// socket. It reads the capabilities, secures the connection with STARTTLS where the account asks
// for it, signs in, enables UTF8=ACCEPT where offered, and then for each watched folder opens it
// read-only with EXAMINE, asks which messages are unseen with UID SEARCH and fetches the new ones
// with UID FETCH (flags, size, structure, the header and the first bytes of the text, all with
// BODY.PEEK so no flag changes), sending the fetches of a folder at once under their own tags.
// It never sends STORE, EXPUNGE, COPY, MOVE or APPEND.
//
// What counts as new is kept per folder for the run: UIDVALIDITY and the highest UID announced.
// The first check of a folder announces every unseen message; a later one only unseen messages
// above that UID; a folder whose UIDVALIDITY changed starts again from its UIDNEXT, so its old
// mail is not announced twice.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/account.h"
#include "core/imap/imap_response.h"
#include "core/mime/mail_item.h"
#include "core/pop3/item_keeper.h"
#include "core/pop3/pop3_session.h"

namespace postwink {

struct ImapFolderState {
  std::string name;  // as the user typed it
  uint32_t uidValidity = 0;
  uint32_t highestUid = 0;  // announced or known to be old
  bool known = false;       // examined at least once this run
};

// What an account's IMAP connections remember between checks.
struct ImapAccountState {
  std::vector<ImapFolderState> folders;
  ImapFolderState& Folder(std::string_view name);
};

// The folder names of a FOLDERS value: separated by ",", blanks around each dropped, empty ones
// skipped, INBOX when none is left.
std::vector<std::string> SplitFolders(std::string_view folders);

struct ImapSessionSettings {
  int getLine = 0;  // GETLINE: lines of text to fetch; 0 asks for kWholeTextBytes
  bool log = false;
  std::vector<std::string> folders = {"INBOX"};
  // Fetches per command; each is sent under its own tag, all of a folder's at once.
  size_t fetchBatch = 50;
};

// How much of a message is asked for: the header whole up to kMaxHeaderBytes, and of the text
// about 80 bytes per GETLINE line (as for POP3's TOP), or kWholeTextBytes when GETLINE is 0.
inline constexpr size_t kMaxHeaderBytes = 256u << 10;
inline constexpr size_t kWholeTextBytes = 64u << 10;
size_t TextBytesFor(int getLine);

// What the session needs from the program around it.
class ImapSessionHost {
 public:
  virtual ~ImapSessionHost() = default;
  // A new item from the message's header and the start of its text (CR LF lines, not
  // dot-stuffed), parsed and filtered.
  virtual std::unique_ptr<MailItem> BuildItem(Account& account, std::string_view text,
                                              std::optional<std::string_view> sizeText) = 0;
  virtual void Log(std::string_view text) = 0;
};

enum class ImapState {
  kGreeting,
  kCapability,
  kStartTls,
  kStartingTls,  // the handshake runs; the server must say nothing meanwhile
  kLogin,
  kCapabilityAfterLogin,
  kEnable,
  kExamine,
  kSearch,
  kFetch,
  kLoggingOut,
  kFailed
};

class ImapSession {
 public:
  ImapSession(ImapSessionHost& host, ItemKeeper& keeper, ImapAccountState& folders)
      : host_(host), keeper_(keeper), state_(folders) {}

  void SetSettings(const ImapSessionSettings& settings) { settings_ = settings; }
  // Before each connection.
  void Start();
  ImapState State() const { return phase_; }

  SessionReply OnLine(std::string_view line, Account& account);
  SessionReply OnSecured(Account& account);

  // Items created since Start.
  int newCount = 0;
  bool Utf8Enabled() const { return utf8_; }
  const std::set<std::string>& Capabilities() const { return capabilities_; }

 private:
  SessionReply OnResponse(ImapResponse& response, Account& account);
  SessionReply Untagged(ImapResponse& response, Account& account);
  SessionReply Tagged(ImapResponse& response, Account& account);
  SessionReply Greeting(ImapResponse& response, Account& account);
  SessionReply AfterCapabilities(Account& account);
  SessionReply Login(Account& account);
  SessionReply AfterLogin(Account& account);
  SessionReply NextFolder(Account& account);
  SessionReply Examined(Account& account);
  SessionReply Searched(Account& account);
  SessionReply FolderDone(Account& account);
  void Fetched(ImapResponse& response, Account& account);

  SessionReply Send(Account& account, ImapState next, const std::string& command,
                    std::string_view logText = {});
  std::string Tag();
  SessionReply Logout(Account& account);
  SessionReply Fail(std::string error);
  SessionReply FailWith(const char* message, const ImapResponse& response);
  void LogLine(const Account& account, std::string_view text);
  void TakeCapabilities(std::string_view list);
  bool Has(std::string_view capability) const {
    return capabilities_.count(std::string(capability));
  }
  // The folder's name as a quoted string for the server, or nullopt when it cannot be spelled.
  std::optional<std::string> WireName(std::string_view name) const;

  ImapSessionHost& host_;
  ItemKeeper& keeper_;
  ImapAccountState& state_;
  ImapSessionSettings settings_;
  ImapResponseReader reader_;
  ImapState phase_ = ImapState::kGreeting;
  unsigned nextTag_ = 0;
  std::set<std::string> capabilities_;
  bool capabilitiesSeen_ = false;
  bool greeted_ = false;
  bool secured_ = false;
  std::string_view line_;  // the line being handled, for messages about it
  bool utf8_ = false;
  size_t folderIndex_ = 0;
  // The folder being read.
  std::optional<uint32_t> uidValidity_;
  std::optional<uint32_t> uidNext_;
  std::vector<uint32_t> found_;
  size_t fetchesLeft_ = 0;  // tagged replies still due to this folder's fetches
  std::string folderError_;
};

}  // namespace postwink
