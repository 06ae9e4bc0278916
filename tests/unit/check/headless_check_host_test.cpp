#include "core/check/headless_check_host.h"

#include <gtest/gtest.h>

#include <string>

#include "core/platform/system.h"

namespace postwink {
namespace {

constexpr char kWithAttachment[] =
    "From: a@example.com\r\n"
    "Subject: report\r\n"
    "Message-ID: <r1@example.com>\r\n"
    "Content-Type: multipart/mixed; boundary=\"b1\"\r\n"
    "\r\n"
    "--b1\r\n"
    "Content-Type: text/plain\r\n"
    "\r\n"
    "see the file\r\n"
    "--b1\r\n"
    "Content-Type: application/pdf; name=\"r.pdf\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "JVBERi0xLjQK\r\n"
    "--b1--\r\n";

// Check and watch keep no body text, yet the item is built from the whole message.
TEST(HeadlessCheckHostTest, LettingTheBodyGoKeepsWhatTheListShows) {
  for (bool keep : {true, false}) {
    SCOPED_TRACE(keep ? "kept" : "let go");
    Settings settings;
    HeadlessCheckHost host(PlatformSystem(), PlatformCharsetConverter(), PlatformTimeZone(),
                           settings, nullptr, "");
    host.keepPreviewText = keep;
    Account account;
    std::unique_ptr<MailItem> item = host.BuildItem(account, kWithAttachment, "400");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->subject, "report");
    EXPECT_EQ(item->hasAttachment, 1);
    EXPECT_EQ(item->sizeText, "400");
    EXPECT_TRUE(item->headerText);
    EXPECT_EQ(item->previewText.has_value(), keep);
  }
}

}  // namespace
}  // namespace postwink
