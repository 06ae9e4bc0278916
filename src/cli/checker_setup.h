#pragma once
// What "check" and "watch" share: reading the settings, accounts and filters of an INI file
// (never writing it), the log beside it when LOG is on, and the JSON of one listed item.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/json.h"
#include "core/config/account.h"
#include "core/config/log_file.h"
#include "core/config/settings.h"
#include "core/mime/mail_item.h"

namespace postwink::cli {

struct CheckerSetup {
  Settings settings;
  std::vector<std::unique_ptr<Account>> accounts;
  std::unique_ptr<LogFile> log;  // null when logging is off
  std::string tempFolder;        // the private folder for message dumps; empty: none
};

// Reads everything from iniPath; nullopt (with a message on stderr) when the file is missing or
// cannot be read.
std::optional<CheckerSetup> LoadChecker(const std::string& iniPath, bool verbose);

// Mailbox, From, Subject, date, importance, attachment, read/new/hidden, as the list shows them.
void WriteItemJson(JsonWriter& json, const MailItem& item);
// One line for the terminal: the fields joined, as UTF-8, made safe by TerminalText.
std::string ItemLine(const MailItem& item);
// A text (an error text, a field of a message) as one line of UTF-8 that a
// terminal shows as it stands: each run of line breaks becomes one space, and every other
// control character is written as \xNN. A server's or a message's bytes can then neither split
// an account's line nor drive the terminal.
std::string TerminalText(std::string_view text);

}  // namespace postwink::cli
