#include "core/check/item_factory.h"

#include <utility>

#include "core/filter/filter_eval.h"
#include "core/filter/regex_facility.h"
#include "core/mime/message_identity.h"
#include "core/mime/parse_message.h"

namespace postwink {

ItemFactory::ItemFactory(System& system, const CharsetConverter& converter,
                         const TimeZoneSource& zones, const Settings& settings,
                         std::string tempFolder, bool dump)
    : system_(system),
      settings_(settings),
      tempFolder_(std::move(tempFolder)),
      dump_(dump),
      charsets_{system.codePage, converter},
      zone_{zones} {}

std::unique_ptr<MailItem> ItemFactory::BuildItem(Account& account, std::string_view text,
                                                 std::optional<std::string_view> sizeText) {
  MailColours colours;
  colours.received = static_cast<uint32_t>(settings_.st3Rgb);
  colours.from = static_cast<uint32_t>(settings_.st1Rgb);
  colours.subject = static_cast<uint32_t>(settings_.st2Rgb);
  colours.back = static_cast<uint32_t>(settings_.bgRgb);
  auto item = std::make_unique<MailItem>(colours);
  item->account = &account;
  ParseOptions options{charsets_, zone_};
  options.showHeader = settings_.showHeader == 1;
  options.log = dump_;
  options.files = &system_.files;
  options.tempFolder = tempFolder_;
  ParseMessage(*item, text, sizeText, options);
  RefilterItem(*item);
  return item;
}

std::string ItemFactory::Identity(std::string_view text) const { return MessageIdentity(text); }

void ItemFactory::RefilterItem(MailItem& item) const {
  EvaluateFilters(item, settings_.filters, settings_, &BuiltInRegex());
}

void ItemFactory::RefreshZone() { RefreshLocalZone(zone_); }

std::vector<std::unique_ptr<Account>> LoadEngineAccounts(const SettingsFile& file,
                                                         const Settings& settings) {
  std::vector<std::unique_ptr<Account>> accounts;
  for (Account& account : file.Accounts(settings.st2Rgb)) {
    accounts.push_back(std::make_unique<Account>(std::move(account)));
  }
  return accounts;
}

}  // namespace postwink
