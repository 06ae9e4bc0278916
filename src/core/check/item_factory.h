#pragma once
// The one way a fetched message text becomes a listed item, shared by every host of the check
// engine (the tray program and the command-line runner): the colours of the settings, the
// parser with the local zone, the message dump when logging, and the filters.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/account.h"
#include "core/config/settings.h"
#include "core/config/settings_file.h"
#include "core/mime/charset.h"
#include "core/mime/date.h"
#include "core/mime/mail_item.h"
#include "core/platform/system.h"

namespace postwink {

class ItemFactory {
 public:
  // tempFolder ends in its separator; dumps go there when dumping is on (LOG with a log file).
  // The converter and zone source are the platform's (PlatformCharsetConverter,
  // PlatformTimeZone) or a test's fakes.
  ItemFactory(System& system, const CharsetConverter& converter, const TimeZoneSource& zones,
              const Settings& settings, std::string tempFolder, bool dump);

  std::unique_ptr<MailItem> BuildItem(Account& account, std::string_view text,
                                      std::optional<std::string_view> sizeText);
  std::string Identity(std::string_view text) const;
  void RefilterItem(MailItem& item) const;
  // A STAT reply arrived: the time zone may have changed since the last check.
  void RefreshZone();

 private:
  System& system_;
  const Settings& settings_;
  std::string tempFolder_;
  bool dump_;
  CharsetContext charsets_;
  LocalZone zone_;
};

// The accounts of a settings file (as read with its settings) in the form the engine owns them.
std::vector<std::unique_ptr<Account>> LoadEngineAccounts(const SettingsFile& file,
                                                         const Settings& settings);

}  // namespace postwink
