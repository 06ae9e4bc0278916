#include "cli/checker_setup.h"

#include <cstdio>
#include <cstdlib>

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
  const char* tmp = std::getenv("TMPDIR");
  if (!tmp || !*tmp) tmp = std::getenv("TEMP");
  std::string separator(1, system.files.Separator());
  setup.tempFolder = std::string(tmp && *tmp ? tmp : "/tmp") + separator + "Postwink" + separator;
  if (verbose || setup.settings.log != 0) {
    setup.log = std::make_unique<LogFile>(system.files, system.clock);
    setup.log->SetLogPath(FolderOf(iniPath), kLogFileName);
    setup.log->DeleteLogFile();
    system.files.CreateDirectory(setup.tempFolder);
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

std::string ItemLine(const MailItem& item) {
  std::string mailbox = item.account && item.account->mailbox ? *item.account->mailbox : "";
  std::string marks;
  marks += (item.flags & kMailImportant) ? '!' : ' ';
  marks += item.hasAttachment ? '@' : ' ';
  marks += (item.flags & kMailRead) ? 'R' : ' ';
  marks += item.isNew ? 'N' : ' ';
  marks += (item.flags & kMailHidden) ? 'H' : ' ';
  return ToUtf8(marks + " [" + mailbox + "] " + item.dateText.value_or("") + "  " +
                item.from.value_or("") + "  " + item.subject.value_or(""));
}

}  // namespace postwink::cli
