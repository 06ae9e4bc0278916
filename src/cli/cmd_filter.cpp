// postwink-cli filter: runs the filter table of a settings file over message files and shows
// which rule applied and what it did to each message.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/json.h"
#include "core/config/account.h"
#include "core/config/settings.h"
#include "core/filter/filter_eval.h"
#include "core/mime/parse_message.h"
#include "core/mime/transfer_encoding.h"
#include "core/platform/system.h"

namespace postwink::cli {
namespace {

constexpr const char* kUsage = "filter --ini FILE [--account N] [--no-regex] MESSAGE...";

int Run(const std::vector<std::string>& args) {
  std::optional<std::string> iniPath;
  int accountNumber = 0;
  bool useRegex = true;
  std::vector<std::string> messages;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--ini" && i + 1 < args.size()) {
      iniPath = args[++i];
    } else if (args[i] == "--account" && i + 1 < args.size()) {
      accountNumber = std::atoi(args[++i].c_str());
    } else if (args[i] == "--no-regex") {
      useRegex = false;
    } else if (args[i].starts_with("--")) {
      std::fprintf(stderr, "postwink-cli filter: unexpected argument '%s'\nusage: %s\n",
                   args[i].c_str(), kUsage);
      return kExitUsage;
    } else {
      messages.push_back(args[i]);
    }
  }
  if (!iniPath || iniPath->empty() || messages.empty()) {
    std::fprintf(stderr, "usage: postwink-cli %s\n", kUsage);
    return kExitUsage;
  }

  System& system = PlatformSystem();
  IniFile ini;
  if (!ini.Load(system.files, system.codePage, *iniPath)) {
    std::fprintf(stderr, "postwink-cli filter: cannot read '%s'\n", iniPath->c_str());
    return kExitFailure;
  }
  Settings settings;
  ReadSettings(ini, std::nullopt, settings);
  std::vector<Account> accounts = ReadAccounts(ini, settings.st2Rgb);
  Account* account = nullptr;
  if (accountNumber != 0) {
    if (accountNumber < 1 || accountNumber > static_cast<int>(accounts.size())) {
      std::fprintf(stderr, "postwink-cli filter: no account %d in '%s'\n", accountNumber,
                   iniPath->c_str());
      return kExitUsage;
    }
    account = &accounts[accountNumber - 1];
  }

  CharsetContext charsets{system.codePage, PlatformCharsetConverter()};
  LocalZone zone{PlatformTimeZone()};
  ParseOptions options{charsets, zone};
  options.showHeader = settings.showHeader != 0;
  options.dotStuffed = false;  // message files as stored, not as POP3 sends them
  RegexFacility* regex = useRegex ? &BuiltInRegex() : nullptr;

  int status = kExitOk;
  JsonWriter j;
  j.BeginObject();
  j.Field("file", *iniPath).Field("rules", static_cast<int64_t>(settings.filters.rules.size()));
  j.Field("regex", useRegex);
  j.Key("messages").BeginArray();
  for (const std::string& path : messages) {
    std::optional<std::string> text = system.files.ReadAll(path);
    if (!text) {
      std::fprintf(stderr, "postwink-cli filter: cannot read '%s'\n", path.c_str());
      status = kExitFailure;
      continue;
    }
    MailItem item(
        MailColours{static_cast<uint32_t>(settings.st3Rgb), static_cast<uint32_t>(settings.st1Rgb),
                    static_cast<uint32_t>(settings.st2Rgb), static_cast<uint32_t>(settings.bgRgb)});
    item.account = account;
    ParseMessage(item, WithCrLfLineEnds(*text), std::nullopt, options);
    std::optional<int> rule = EvaluateFilters(item, settings.filters, settings, regex);
    j.BeginObject();
    j.Field("file", path);
    j.Key("rule");
    if (rule) {
      j.Number(*rule);
    } else {
      j.Null();
    }
    j.Field("flags", static_cast<int64_t>(item.flags));
    j.Field("spam", (item.flags & kMailSpam) != 0);
    j.Field("hidden", (item.flags & kMailHidden) != 0);
    j.Field("ownColours", (item.flags & kMailOwnColours) != 0);
    j.Key("colours").BeginObject();
    j.Field("received", static_cast<int64_t>(item.receivedColour));
    j.Field("from", static_cast<int64_t>(item.fromColour));
    j.Field("mailbox", static_cast<int64_t>(item.mailboxColour));
    j.Field("subject", static_cast<int64_t>(item.subjectColour));
    j.Field("back", static_cast<int64_t>(item.backColour));
    j.EndObject();
    j.EndObject();
  }
  j.EndArray();
  j.EndObject();
  std::printf("%s\n", j.Text().c_str());
  return status;
}

RegisterCommand reg("filter", kUsage, &Run);

}  // namespace
}  // namespace postwink::cli
