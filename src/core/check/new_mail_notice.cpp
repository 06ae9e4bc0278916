#include "core/check/new_mail_notice.h"

#include <cstdio>

#include "core/check/check_texts.h"

namespace postwink {

std::optional<NewMailNotice> MakeNewMailNotice(const std::vector<const MailItem*>& items) {
  if (items.empty() || items.front() == nullptr) return std::nullopt;
  char title[64];
  std::snprintf(title, sizeof title, texts::kNewMailNoticeTitle, static_cast<int>(items.size()));
  const MailItem& first = *items.front();
  const std::string subject = first.subject.value_or("");
  return NewMailNotice{
      title, first.from.value_or("") + "\n" + (subject.empty() ? texts::kNoSubject : subject)};
}

}  // namespace postwink
