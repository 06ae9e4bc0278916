#pragma once
// The message list window over a display list of a few messages, for the window's tests and its
// commands' tests.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/check/item_factory.h"
#include "core/config/ini_file.h"
#include "core/list/list_rows.h"
#include "win32/list/message_list_wnd.h"
#include "window_test_support.h"

namespace postwink::win::test {

// From 山田, subject 会議の議事録, body お疲れさまです。議事録をお送りします。 in ISO-2022-JP.
inline const char kJapanese[] =
    "From: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <yamada@example.jp>\r\n"
    "Subject: =?ISO-2022-JP?B?GyRCMnE1RCRONUQ7dk8/GyhC?=\r\n"
    "Date: Wed, 09 Dec 2026 09:50:00 +0900\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=ISO-2022-JP\r\n"
    "\r\n"
    "\x1b$B$*Hh$l$5$^$G$9!#\x1b(B\r\n"
    "\x1b$B5D;vO?$r$*Aw$j$7$^$9!#\x1b(B\r\n";

inline const char kEnglish[] =
    "From: Alice Smith <alice@example.com>\r\n"
    "Subject: Lunch on Friday?\r\n"
    "Date: Wed, 09 Dec 2026 09:30:00 +0900\r\n"
    "X-Priority: 1\r\n"
    "\r\n"
    "Shall we try the new noodle place?\r\n";

inline const char kOlder[] =
    "From: Build Server <ci@example.com>\r\n"
    "Subject: Nightly report\r\n"
    "Date: Tue, 08 Dec 2026 09:30:00 +0900\r\n"
    "\r\n"
    "All tests passed.\r\n";

// "会議の議事録" and "お疲れさまです。" as the window shows them.
inline const std::wstring kJapaneseSubject = L"\x4F1A\x8B70\x306E\x8B70\x4E8B\x9332";
inline const std::wstring kJapaneseBody = L"\x304A\x75B2\x308C\x3055\x307E\x3067\x3059\x3002";

class MessageListFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ReadSettings(IniFile(), std::nullopt, settings_);
    settings_.drawSec = 0;  // no animation to wait for
    account_.mailbox = "Work";
    account_.colour = 0x0000FF;
    factory_ = std::make_unique<ItemFactory>(PlatformSystem(), PlatformCharsetConverter(),
                                             PlatformTimeZone(), settings_, std::string(), false);
    MoveMouseTo({5, 5});
  }

  void TearDown() override { window_.reset(); }

  MailItem* Add(const char* text, uint32_t flags = 0) {
    auto item = factory_->BuildItem(account_, text, std::nullopt);
    item->flags |= flags;
    MailItem* raw = item.get();
    list_.Append(std::move(item));
    return raw;
  }

  // owner: the window that receives what the list posts to the program (none: nothing).
  void Open(bool activate, int autoCloseMs = 0, HWND owner = nullptr) {
    ListWindowContext context{settings_,
                              profile_,
                              CharsetContext{PlatformSystem().codePage, PlatformCharsetConverter()},
                              [this] { ++acknowledged_; },
                              [] { return Rect{}; },
                              tempFolder_,
                              {}};
    window_ = std::make_unique<MessageListWnd>(std::move(context));
    ASSERT_TRUE(window_->Create(owner, list_, {0x0000FF}, kListWindowStyle,
                                activate ? kListWindowUserExStyle : kListWindowNewMailExStyle,
                                autoCloseMs, activate));
    PumpFor(50);
  }

  std::wstring Rows() { return window_->List().RowsText(); }
  int RowOf(const MailItem* item) {
    for (int row = 0; row < window_->List().GetItemCount(); ++row) {
      if (RowItem(*window_->List().Model().Row(row)) == item) return row;
    }
    return -1;
  }
  bool Bold(const MailItem* item) {
    return window_->List().Model().Row(RowOf(item))->Has(kRowBold);
  }
  POINT CellCentre(int row, int column) {
    RECT r = *window_->List().GetItemRect(row, column);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Mouse(UINT msg, POINT p) {
    SendMessageW(window_->List().hwnd(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(p.x, p.y));
  }
  std::wstring PreviewText() {
    int n = GetWindowTextLengthW(window_->Preview());
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(window_->Preview(), text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
  }
  RECT WindowRect() {
    RECT r;
    GetWindowRect(window_->hwnd(), &r);
    return r;
  }
  // The client height the content asks for.
  int ContentHeight(int rows) {
    return std::max(rows, 1) * window_->List().RowHeight() + window_->List().HeaderHeight() + 1;
  }

  Settings settings_;
  Account account_;
  std::unique_ptr<ItemFactory> factory_;
  DisplayList list_;
  MemoryProfile profile_;
  int acknowledged_ = 0;
  std::string tempFolder_;
  std::unique_ptr<MessageListWnd> window_;
};

}  // namespace postwink::win::test
