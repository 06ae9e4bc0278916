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
// mail is not announced twice. For push it waits with IDLE (RFC 2177) instead of signing out.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/config/account.h"
#include "core/imap/imap_response.h"
#include "core/mime/mail_item.h"
#include "core/net/mail_session.h"
#include "core/net/oauth_sasl.h"
#include "core/pop3/item_keeper.h"
#include "core/pop3/pop3_session.h"

namespace postwink {

// The state of the named folder, added when new.
ImapFolderState& FolderState(Account& account, std::string_view name);

// The folder names of a FOLDERS value: separated by ",", blanks around each dropped, empty ones
// skipped, INBOX when none is left.
std::vector<std::string> SplitFolders(std::string_view folders);

struct ImapSessionSettings {
  int getLine = 0;  // GETLINE: lines of text to fetch; 0 asks for kWholeTextBytes
  bool log = false;
  // Fetches per command; each is sent under its own tag, all of a folder's at once.
  size_t fetchBatch = 50;
};

// How much of a message is asked for: the header whole up to kMaxHeaderBytes, and of the text
// about 80 bytes per GETLINE line (as for POP3's TOP), or kWholeTextBytes when GETLINE is 0.
inline constexpr size_t kMaxHeaderBytes = 256u << 10;
inline constexpr size_t kWholeTextBytes = 64u << 10;
size_t TextBytesFor(int getLine);

// Most bytes of one part fetched when an attachment is opened, as the server sends it (still
// transfer-encoded).
inline constexpr size_t kMaxPartBytes = 32u << 20;

// One part of one message, fetched on a connection of its own when an attachment is opened.
struct ImapPartRequest {
  ImapPlace place;
  std::string section;  // "2.1"
  size_t maxBytes = kMaxPartBytes;
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
  kFetchPart,
  kExamineForIdle,  // push: the first folder selected again for IDLE
  kIdle,            // IDLE sent, its continuation awaited
  kIdling,
  kIdleDone,  // DONE sent, IDLE's tagged answer awaited
  kLoggingOut,
  kFailed
};

class ImapSession : public MailSession {
 public:
  // The host parses message text as POP3 sends it (dot-stuffed); the session stuffs what it
  // hands over.
  ImapSession(SessionHost& host, ItemKeeper& keeper) : host_(host), keeper_(keeper) {}

  void SetSettings(const ImapSessionSettings& settings) { settings_ = settings; }
  ImapState State() const { return phase_; }

  // The account's FOLDERS are read here.
  void Begin(Account& account) override;
  SessionReply OnLine(std::string_view line, Account& account) override;
  SessionReply OnSecured(Account& account) override;
  SessionReply OnSendFailed(Account& account) override;
  void Abandon() override;
  bool AtGreeting() const override { return phase_ == ImapState::kGreeting; }
  bool LoggingOut() const override { return phase_ == ImapState::kLoggingOut; }
  int NewCount() const override { return newCount_; }
  void ResetNewCount() override { newCount_ = 0; }

  // Push: after the folders, wait with IDLE (where the server offers it) instead of signing
  // out; new mail in the first folder ends the IDLE, every folder is looked at again and the
  // session idles once more. A server without IDLE is signed out of as in a poll.
  void SetIdle(bool idle) { idle_ = idle; }
  bool Idling() const { return phase_ == ImapState::kIdling; }
  // Ends the IDLE to look at every folder (renewal, or a test of the link); nothing while not
  // idling.
  SessionReply Wake(Account& account);
  // How often IDLE has ended and the folders were looked at again since Begin.
  int Rounds() const { return rounds_; }

  // Instead of checking, opens the request's folder, makes sure it still numbers its messages as
  // it did (UIDVALIDITY), fetches the one part with BODY.PEEK and signs out. Set before Begin;
  // the session then changes nothing of the account's state.
  void SetPartRequest(std::optional<ImapPartRequest> request) { partRequest_ = std::move(request); }
  // The part as the server sent it (transfer-encoded), once its fetch has ended well.
  bool HasFetchedPart() const { return part_.has_value(); }
  std::optional<std::string> TakeFetchedPart() { return std::exchange(part_, std::nullopt); }

 private:
  SessionReply OnResponse(ImapResponse& response, Account& account);
  SessionReply Untagged(ImapResponse& response, Account& account);
  SessionReply Tagged(ImapResponse& response, Account& account);
  SessionReply Greeting(ImapResponse& response, Account& account);
  SessionReply AfterCapabilities(Account& account);
  SessionReply Login(Account& account);
  SessionReply OAuthLogin(Account& account);
  SessionReply AfterLogin(Account& account);
  SessionReply NextFolder(Account& account);
  SessionReply Examined(Account& account);
  SessionReply Searched(Account& account);
  SessionReply FolderDone(Account& account);
  void Fetched(ImapResponse& response, Account& account);
  SessionReply FetchPart(Account& account);
  void PartFetched(ImapResponse& response);
  SessionReply PartDone(const ImapResponse& response, Account& account);

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

  SessionHost& host_;
  ItemKeeper& keeper_;
  ImapSessionSettings settings_;
  std::vector<std::string> folders_;
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
  uint32_t exists_ = 0;
  std::vector<uint32_t> found_;
  size_t fetchesLeft_ = 0;  // tagged replies still due to this folder's fetches
  std::string folderError_;
  int newCount_ = 0;
  bool idle_ = false;
  int rounds_ = 0;
  bool oauth_ = false;  // the account signs in with an OAuth token
  OAuthSaslExchange sasl_;
  std::optional<ImapPartRequest> partRequest_;
  std::optional<std::string> part_;
  bool partTooLarge_ = false;
};

}  // namespace postwink
