#pragma once
// The notification that announces new mail beside the list (a tray balloon, which Windows keeps
// in its notification centre): the count as its title, the first sender and subject as its text.

#include <optional>
#include <string>
#include <vector>

#include "core/mime/mail_item.h"

namespace postwink {

struct NewMailNotice {
  std::string title;
  std::string text;
};

// None when nothing countable was announced.
std::optional<NewMailNotice> MakeNewMailNotice(const std::vector<const MailItem*>& items);

}  // namespace postwink
