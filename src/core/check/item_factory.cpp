#include "core/check/item_factory.h"

#include "core/filter/filter_eval.h"
#include "core/mime/parse_message.h"

namespace postwink {

ItemFactory::ItemFactory(const Settings& settings, const CharsetContext& charsets, LocalZone& zone,
                         RegexFacility* regex, FileSystem* files, std::string tempFolder)
    : settings_(settings),
      charsets_(charsets),
      zone_(zone),
      regex_(regex),
      files_(files),
      tempFolder_(std::move(tempFolder)) {}

std::unique_ptr<MailItem> ItemFactory::Build(Account& account, std::string_view text,
                                             std::optional<std::string_view> sizeText,
                                             bool dumpMessage) {
  MailColours colours;
  colours.received = static_cast<uint32_t>(settings_.st3Rgb);
  colours.from = static_cast<uint32_t>(settings_.st1Rgb);
  colours.subject = static_cast<uint32_t>(settings_.st2Rgb);
  colours.back = static_cast<uint32_t>(settings_.bgRgb);
  auto item = std::make_unique<MailItem>(colours);
  item->account = &account;
  ParseOptions options{charsets_, zone_};
  options.showHeader = settings_.showHeader == 1;
  options.log = dumpMessage && settings_.log != 0;
  options.files = files_;
  options.tempFolder = tempFolder_;
  ParseMessage(*item, text, sizeText, options);
  Refilter(*item);
  return item;
}

void ItemFactory::Refilter(MailItem& item) {
  EvaluateFilters(item, settings_.filters, settings_, regex_);
}

void ItemFactory::RefreshZone() { RefreshLocalZone(zone_); }

}  // namespace postwink
