#include "core/check/new_mail_notice.h"

#include <gtest/gtest.h>

#include "core/check/check_texts.h"

namespace postwink {
namespace {

TEST(NewMailNotice, CountsAllAndNamesTheFirst) {
  MailItem first, second;
  first.from = "Alice <alice@example.com>";
  first.subject = "Minutes";
  second.from = "Bob";
  second.subject = "Other";
  std::optional<NewMailNotice> notice = MakeNewMailNotice({&first, &second});
  ASSERT_TRUE(notice);
  // "新着メール 2 通"
  EXPECT_EQ(notice->title, "新着メール 2 通");
  EXPECT_EQ(notice->text, "Alice <alice@example.com>\nMinutes");
}

TEST(NewMailNotice, MissingFieldsAndNothingToAnnounce) {
  EXPECT_FALSE(MakeNewMailNotice({}));
  MailItem bare;
  std::optional<NewMailNotice> notice = MakeNewMailNotice({&bare});
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->text, std::string("\n") + texts::kNoSubject);
  bare.subject = "";
  EXPECT_EQ(MakeNewMailNotice({&bare})->text, std::string("\n") + texts::kNoSubject);
}

}  // namespace
}  // namespace postwink
