#include "cli/checker_setup.h"
#include "core/text/utf8.h"

#include <cstdio>

#include "cli/command.h"
#include "core/check/item_factory.h"
#include "core/platform/system.h"

namespace postwink::cli {
namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

std::optional<CheckerSetup> LoadChecker(const std::string& iniPath, bool verbose) {
  System& system = PlatformSystem();
  if (!system.files.Exists(iniPath)) {
    std::fprintf(stderr, "postwink-cli: %s not found\n", iniPath.c_str());
    return std::nullopt;
  }
  CheckerSetup setup;
  SettingsFile file(iniPath, system);
  if (file.Load(std::nullopt, setup.settings).unreadable) {
    std::fprintf(stderr, "postwink-cli: cannot read %s\n", iniPath.c_str());
    return std::nullopt;
  }
  setup.accounts = LoadEngineAccounts(file, setup.settings);
  if (verbose || setup.settings.log != 0) {
    setup.log = std::make_unique<LogFile>(system.files, system.clock, system.codePage);
    setup.log->SetLogPath(FolderOf(iniPath), kLogFileName);
    setup.log->DeleteLogFile();
    // The message dumps hold whole messages: only into a folder that is the user's alone.
    if (std::optional<std::string> folder = PrivateTempFolder()) {
      setup.tempFolder = *folder;
    } else if (setup.settings.log != 0) {
      std::fprintf(stderr, "postwink-cli: no private temporary folder; messages are not dumped\n");
    }
  }
  return setup;
}

void WriteItemJson(JsonWriter& json, const MailItem& item) {
  json.BeginObject();
  std::string mailbox = item.account && item.account->mailbox ? *item.account->mailbox : "";
  json.Field("mailbox", mailbox);
  json.Field("from", item.from.value_or(""));
  json.Field("subject", item.subject.value_or(""));
  json.Field("date", item.dateText.value_or(""));
  json.Field("size", item.sizeText.value_or(""));
  json.Field("important", (item.flags & kMailImportant) != 0);
  json.Field("attachment", item.hasAttachment != 0);
  json.Field("read", (item.flags & kMailRead) != 0);
  json.Field("new", item.isNew != 0);
  json.Field("hidden", (item.flags & kMailHidden) != 0);
  json.Field("gone", (item.flags & kMailGone) != 0);
  json.EndObject();
}

std::string TerminalText(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  bool inBreak = false;
  // Control bytes are never part of a UTF-8 character, so a byte-wise scan is safe here.
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '\r' || c == '\n') {
      if (!inBreak) line += ' ';
      inBreak = true;
      continue;
    }
    inBreak = false;
    if (byte < 0x20 || byte == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      line += hex;
    } else {
      line += c;
    }
  }
  return ToValidUtf8(line);
}

std::string ItemLine(const MailItem& item) {
  std::string mailbox = item.account && item.account->mailbox ? *item.account->mailbox : "";
  std::string marks;
  marks += (item.flags & kMailImportant) ? '!' : ' ';
  marks += item.hasAttachment ? '@' : ' ';
  marks += (item.flags & kMailRead) ? 'R' : ' ';
  marks += item.isNew ? 'N' : ' ';
  marks += (item.flags & kMailHidden) ? 'H' : ' ';
  return TerminalText(marks + " [" + mailbox + "] " + item.dateText.value_or("") + "  " +
                      item.from.value_or("") + "  " + item.subject.value_or(""));
}

}  // namespace postwink::cli
