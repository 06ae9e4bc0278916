#pragma once
// Turns a fetched message text into a filtered MailItem for an account: the colours of the
// settings, ParseMessage, then EvaluateFilters. Every host of the check engine uses it, so the
// window and the headless runner build identical items.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/account.h"
#include "core/config/settings.h"
#include "core/filter/regex_facility.h"
#include "core/mime/charset.h"
#include "core/mime/date.h"
#include "core/mime/mail_item.h"
#include "core/platform/system.h"

namespace postwink {

class ItemFactory {
 public:
  // files may be null (no message dumps); tempFolder ends in a separator.
  ItemFactory(const Settings& settings, const CharsetContext& charsets, LocalZone& zone,
              RegexFacility* regex, FileSystem* files, std::string tempFolder);

  std::unique_ptr<MailItem> Build(Account& account, std::string_view text,
                                  std::optional<std::string_view> sizeText, bool dumpMessage);
  void Refilter(MailItem& item);
  // Called at each STAT reply.
  void RefreshZone();

 private:
  const Settings& settings_;
  const CharsetContext& charsets_;
  LocalZone& zone_;
  RegexFacility* regex_;
  FileSystem* files_;
  std::string tempFolder_;
};

}  // namespace postwink
