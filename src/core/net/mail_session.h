#pragma once
// What the check engine sees of a mail protocol's session: one object per open connection that
// takes the server's lines and returns what to send, signs in, fetches what is new and hands the
// items to the account. The POP3 and the IMAP sessions sit behind it; the engine keeps the
// scheduling, the connection and the merge.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/text/utf8.h"

namespace postwink {

struct Account;

// A failure's message holds at most this many characters of the server's text with it: a
// server's error line has no length of its own, and the box that shows it must stay readable.
inline constexpr size_t kErrorTextMax = 255;

// The message cut to kErrorTextMax characters, never inside one.
inline std::string CutErrorText(std::string text) {
  if (text.size() > kErrorTextMax) text = std::string(CutToChars(text, kErrorTextMax));
  return text;
}

struct SessionReply {
  bool goOn = true;       // false: the check of this account ends now
  std::string command;    // to send, when not empty
  std::string error;      // the message for the user when goOn is false (may be empty)
  bool startTls = false;  // STLS was accepted: begin the TLS handshake, drop the rest of the read
  // The goodbye was answered: the check is over, whether or not the server closes the connection.
  bool quitAnswered = false;
  // The server refused the OAuth access token: the next check asks for a fresh one.
  bool tokenRefused = false;
};

class MailSession {
 public:
  virtual ~MailSession() = default;

  // A connection to the account is about to open; its greeting comes next.
  virtual void Begin(Account& account) = 0;
  virtual SessionReply OnLine(std::string_view line, Account& account) = 0;
  // The transport finished a TLS handshake and the certificate was accepted.
  virtual SessionReply OnSecured(Account& account) = 0;
  // The command of the last reply could not be sent.
  virtual SessionReply OnSendFailed(Account& account) = 0;
  // The connection is ended without a goodbye.
  virtual void Abandon() = 0;
  // Nothing has been heard from the server yet.
  virtual bool AtGreeting() const = 0;
  // The goodbye was said: the server's close ends the check normally.
  virtual bool LoggingOut() const = 0;
  // Items created since the last reset.
  virtual int NewCount() const = 0;
  virtual void ResetNewCount() = 0;

  // Replies are still due to commands sent ahead of the one that could not be sent.
  virtual bool AwaitsEarlierReplies() const { return false; }
  // A message fetched whole whose parse waits for the next command to go out.
  virtual bool HasPending() const { return false; }
  virtual bool PendingDue() const { return false; }
  virtual SessionReply CompletePending(Account&) { return {}; }
  virtual void DiscardPending() {}
};

}  // namespace postwink
