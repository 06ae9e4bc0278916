// The settings sheet as a window: its pages, banner, controls and help texts, and what Apply,
// OK and Cancel do with the settings and the accounts.
#include "win32/settings/property_sheet.h"

#include <gtest/gtest.h>

#include "core/settings_ui/settings_ui_texts.h"
#include "sheet_test_support.h"
#include "win32/dpi.h"
#include "win32/resource.h"
#include "win32/settings/account_page.h"

namespace postwink::win {
namespace {

using test::HelpHeading;
using test::ModalAnswerer;
using test::PumpFor;
using test::PumpUntil;
using test::Utf8;

using SettingsSheet = test::SheetTest;

std::vector<std::string> TabTitles(HWND sheet) {
  HWND tab = PropSheet_GetTabControl(sheet);
  std::vector<std::string> titles;
  for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    TabCtrl_GetItem(tab, i, &item);
    titles.push_back(Narrow(text));
  }
  return titles;
}

TEST_F(SettingsSheet, TheBannerFollowsTheSheetToAMonitorOfAnotherScale) {
  Open();
  const int dpi = sheet_->Dpi();
  EXPECT_EQ(dpi, WindowDpi(sheet_->hwnd()));
  const int title = sheet_->BannerTitleHeight();
  ASSERT_NE(title, 0);
  RECT r;
  GetWindowRect(sheet_->hwnd(), &r);
  SendMessageW(sheet_->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2),
               reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(sheet_->Dpi(), dpi * 2);
  EXPECT_EQ(sheet_->BannerTitleHeight(), RescalePixels(title, dpi, dpi * 2));
  SendMessageW(sheet_->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(sheet_->BannerTitleHeight(), title);
}

TEST_F(SettingsSheet, FivePagesUnderABannerAndAdvanceOnlyWhenSet) {
  Open();
  EXPECT_TRUE(test::AllTexts(sheet_->hwnd()).starts_with(Utf8(u8"Postwink の設定")));
  EXPECT_EQ(
      TabTitles(sheet_->hwnd()),
      (std::vector<std::string>{Utf8(u8"POP3 サーバ設定"), Utf8(u8"表示属性"),
                                Utf8(u8"メッセージ一覧"), Utf8(u8"フィルター"), Utf8(u8"その他")}));
  // The tabs and the buttons sit below the banner.
  RECT tab;
  GetWindowRect(PropSheet_GetTabControl(sheet_->hwnd()), &tab);
  MapWindowPoints(nullptr, sheet_->hwnd(), reinterpret_cast<POINT*>(&tab), 2);
  EXPECT_GE(tab.top, CMyPropertySheet::kExtraHeight);
  RECT ok;
  GetWindowRect(GetDlgItem(sheet_->hwnd(), IDOK), &ok);
  MapWindowPoints(nullptr, sheet_->hwnd(), reinterpret_cast<POINT*>(&ok), 2);
  EXPECT_GE(ok.top, tab.bottom);
  EXPECT_EQ(GetDlgItem(sheet_->hwnd(), IDHELP) != nullptr &&
                IsWindowVisible(GetDlgItem(sheet_->hwnd(), IDHELP)),
            false);

  const std::u8string banners[][2] = {
      {u8"POP3サーバ と ユーザ の設定",
       u8"POP3 サーバアドレス、ポート番号\nユーザアカウント、パスワードを入力して下さい。"},
      {u8"表示属性の設定",
       u8"一覧表示の送信者、件名、日付、プレビューの\n表示色などを設定してください。"},
      {u8"メッセージ一覧の設定", u8"メッセージ一覧ウィンドウに関する表示設定をして下さい。"},
      {u8"フィルタリングの設定", u8"フィルタリングができます。"},
      {u8"その他の設定", u8"色々、細かい設定です。詳しくはツールヘルプで確認して下さい。"},
  };
  for (int page = 4; page >= 0; --page) {
    ShowPage(page);
    EXPECT_EQ(sheet_->ActivePage(), page);
    EXPECT_EQ(sheet_->BannerTitle(), Utf8(banners[page][0]));
    EXPECT_EQ(sheet_->BannerText(), Utf8(banners[page][1]));
  }
  Press(PSBTN_CANCEL);
  EXPECT_TRUE(sheet_->Ended());

  settings_.advance = 1;
  Open(1, 5);
  ASSERT_EQ(TabTitles(sheet_->hwnd()).size(), 6u);
  EXPECT_EQ(TabTitles(sheet_->hwnd())[5], "Advance");
  EXPECT_EQ(sheet_->ActivePage(), 5);
  EXPECT_EQ(sheet_->BannerTitle(), Utf8(u8"特殊設定"));
}

// Every control of every page, by its id, with its text (or the label in front of it).
TEST_F(SettingsSheet, EveryControlHasItsIdAndText) {
  settings_.advance = 1;
  Open();
  struct Case {
    int page;
    int id;
    const char8_t* text;  // the control's own text; null for fields and lists
  } cases[] = {
      {0, IDC_ACCOUNT_MAILBOX, nullptr},
      {0, IDC_ACCOUNT_NEW, u8"新規アカウント作成"},
      {0, IDC_ACCOUNT_ENABLE, u8"有効にする"},
      {0, IDC_ACCOUNT_COLOUR, u8""},
      {0, IDC_ACCOUNT_SERVER, nullptr},
      {0, IDC_ACCOUNT_PORT, nullptr},
      {0, IDC_ACCOUNT_USER, nullptr},
      {0, IDC_ACCOUNT_PASSWORD, nullptr},
      {0, IDC_ACCOUNT_INTERVAL, nullptr},
      {0, IDC_ACCOUNT_OFFLINE, u8"インターネットに接続していない時はチェックしない"},
      {0, IDC_ACCOUNT_APOP, u8"APOP"},
      {0, IDC_ACCOUNT_SECURITY, nullptr},
      {0, IDC_ACCOUNT_FINGERPRINT, nullptr},
      {0, IDC_ACCOUNT_PROTOCOL, nullptr},
      {0, IDC_ACCOUNT_FOLDERS, nullptr},
      {0, IDC_ACCOUNT_PUSH, u8"プッシュ (IDLE)"},
      {0, IDC_ACCOUNT_DELETE, u8"この設定の削除"},
      {1, IDC_DISPLAY_SCHEME, nullptr},
      {1, IDC_DISPLAY_FROM, u8""},
      {1, IDC_DISPLAY_SUBJECT, u8""},
      {1, IDC_DISPLAY_DATE, u8""},
      {1, IDC_DISPLAY_FACE, nullptr},
      {1, IDC_DISPLAY_SIZE, nullptr},
      {1, IDC_DISPLAY_PREVIEW_TEXT, u8""},
      {1, IDC_DISPLAY_PREVIEW_FACE, nullptr},
      {1, IDC_DISPLAY_PREVIEW_SIZE, nullptr},
      {1, IDC_DISPLAY_BACKGROUND, u8""},
      {1, IDC_DISPLAY_SELECTION, u8""},
      {1, IDC_DISPLAY_TRIM_FROM, u8"From からアドレスを除いて表示する"},
      {1, IDC_DISPLAY_PREVIEW_BACK, u8""},
      {2, IDC_LIST_TOP_LEFT, u8"左上"},
      {2, IDC_LIST_TOP_RIGHT, u8"右上"},
      {2, IDC_LIST_BOTTOM_LEFT, u8"左下"},
      {2, IDC_LIST_BOTTOM_RIGHT, u8"右下"},
      {2, IDC_LIST_SLIDE, u8"スライド"},
      {2, IDC_LIST_ROLL, u8"ロール"},
      {2, IDC_LIST_FADE, u8"フェイド"},
      {2, IDC_LIST_HORIZONTAL, u8"左右"},
      {2, IDC_LIST_VERTICAL, u8"上下"},
      {2, IDC_LIST_DRAW_MS, nullptr},
      {2, IDC_LIST_HORIZONTAL_LINES, u8"横線"},
      {2, IDC_LIST_VERTICAL_LINES, u8"縦線"},
      {2, IDC_LIST_HEADINGS, u8"一覧の見出しを表示する"},
      {2, IDC_LIST_AUTOCLOSE, u8"自動で一覧を閉じる"},
      {2, IDC_LIST_OPEN_LABEL, u8"一覧が表示されている時間："},
      {2, IDC_LIST_OPEN_SECONDS, nullptr},
      {2, IDC_LIST_OPEN_UNIT, u8"秒"},
      {2, IDC_LIST_PREVIEW, u8"プレビューモード"},
      {2, IDC_LIST_HEIGHT_LABEL, u8"プレビュー表示の高さ："},
      {2, IDC_LIST_PREVIEW_HEIGHT, nullptr},
      {2, IDC_LIST_HEIGHT_UNIT, u8"pixel"},
      {2, IDC_LIST_POSITION_GROUP, u8"表示位置"},
      {2, IDC_LIST_EFFECT_GROUP, u8"表示方法"},
      {2, IDC_LIST_DIRECTION_GROUP, u8"表示方向"},
      {2, IDC_LIST_GRID_GROUP, u8"グリッド表示"},
      {3, IDC_FILTER_LIST, nullptr},
      {3, IDC_FILTER_ADD, u8"追加"},
      {3, IDC_FILTER_EDIT, u8"編集"},
      {3, IDC_FILTER_DELETE, u8"削除"},
      {3, IDC_FILTER_UP, u8"↑"},
      {3, IDC_FILTER_DOWN, u8"↓"},
      {4, IDC_OTHER_USE_SOUND, u8"新着の時に音を鳴らす"},
      {4, IDC_OTHER_SOUND_FILE, nullptr},
      {4, IDC_OTHER_HOTKEY, nullptr},
      {4, IDC_OTHER_EDITOR, nullptr},
      {4, IDC_OTHER_MUA, nullptr},
      {4, IDC_OTHER_SERVER_SYN, u8"サーバ上の内容と同期する"},
      {4, IDC_OTHER_START_RUN, u8"起動時に巡回チェックする"},
      {4, IDC_OTHER_UPDATE_CHECK, u8"Postwink のバージョンアップチェックを行う (起動時)"},
      {5, IDC_ADVANCE_TOOLTIP, u8"一覧でのツールチップ表示"},
      {5, IDC_ADVANCE_LOG, u8"ログの保存"},
  };
  for (const Case& c : cases) {
    ShowPage(c.page);
    HWND control = Control(c.id);
    ASSERT_NE(control, nullptr) << "page " << c.page << " id " << c.id;
    if (c.text == nullptr) continue;
    wchar_t text[256] = {};
    GetWindowTextW(control, text, 256);
    EXPECT_EQ(Narrow(text), Utf8(c.text)) << "page " << c.page << " id " << c.id;
  }
  // The labels in front of the fields.
  const std::pair<int, std::vector<std::u8string>> labels[] = {
      {0,
       {u8"POP3 Server:", u8"PORT:", u8"接続の保護：", u8"証明書の指紋：", u8"USER NAME:",
        u8"PASS:", u8"チェック間隔：", u8"分"}},
      {1, {u8"配色：", u8"文字色：", u8"背景色：", u8"選択時："}},
      {2, {u8"描画時間：", u8"msec"}},
      {3, {u8"フィルター管理"}},
      {4, {u8"一覧表示ホットキー：", u8"エディタ：", u8"メーラー："}},
  };
  for (const auto& [page, texts] : labels) {
    ShowPage(page);
    const std::string all = test::AllTexts(Page());
    for (const std::u8string& label : texts) {
      EXPECT_NE(all.find(Utf8(label)), std::string::npos) << "page " << page;
    }
  }
  // The filter list's columns.
  ShowPage(3);
  HWND header = ListView_GetHeader(Control(IDC_FILTER_LIST));
  const std::pair<std::u8string, int> columns[] = {
      {u8"ヘッダ", 50}, {u8"表示制御", 70}, {u8"検索文字列", 130}};
  ASSERT_EQ(Header_GetItemCount(header), 3);
  for (int i = 0; i < 3; ++i) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cchTextMax = 64;
    ListView_GetColumn(Control(IDC_FILTER_LIST), i, &column);
    EXPECT_EQ(Narrow(text), Utf8(columns[i].first));
    EXPECT_EQ(column.cx, columns[i].second);
  }
}

TEST_F(SettingsSheet, EveryControlHasItsHelpText) {
  settings_.advance = 1;
  Open();
  struct Case {
    int page;
    int id;
    const char8_t* heading;  // null: no tool tip
  } cases[] = {
      {0, IDC_ACCOUNT_SERVER, u8"POP3 サーバ名"},
      {0, IDC_ACCOUNT_PORT, u8"ポート番号"},
      {0, IDC_ACCOUNT_USER, u8"アカウント"},
      {0, IDC_ACCOUNT_PASSWORD, u8"パスワード"},
      {0, IDC_ACCOUNT_MAILBOX, u8"メールボックス名"},
      {0, IDC_ACCOUNT_INTERVAL, u8"チェック間隔"},
      {0, IDC_ACCOUNT_COLOUR, u8"メールボックス名文字列の色"},
      {0, IDC_ACCOUNT_DELETE, u8"設定の削除"},
      {0, IDC_ACCOUNT_ENABLE, u8"設定の有効"},
      {0, IDC_ACCOUNT_APOP, u8"APOP 接続"},
      {0, IDC_ACCOUNT_OFFLINE, u8"インターネット接続チェック"},
      {0, IDC_ACCOUNT_NEW, u8"アカウント追加"},
      {0, IDC_ACCOUNT_SECURITY, u8"接続の保護"},
      {0, IDC_ACCOUNT_FINGERPRINT, u8"証明書の指紋"},
      {0, IDC_ACCOUNT_PROTOCOL, u8"プロトコル"},
      {0, IDC_ACCOUNT_FOLDERS, u8"フォルダ"},
      {0, IDC_ACCOUNT_PUSH, u8"プッシュ"},
      {1, IDC_DISPLAY_SCHEME, u8"配色リスト"},
      {1, IDC_DISPLAY_FROM, u8"送信者文字列の色"},
      {1, IDC_DISPLAY_DATE, u8"日時文字列の色"},
      {1, IDC_DISPLAY_PREVIEW_TEXT, u8"プレビュー時の文字列の色"},
      {1, IDC_DISPLAY_BACKGROUND, u8"背景の色"},
      {1, IDC_DISPLAY_SELECTION, u8"選択時の色"},
      {1, IDC_DISPLAY_FACE, u8"一覧表示のフォント名"},
      {1, IDC_DISPLAY_SIZE, u8"一覧表示のフォントサイズ"},
      {1, IDC_DISPLAY_PREVIEW_FACE, u8"プレビューのフォント名"},
      {1, IDC_DISPLAY_PREVIEW_SIZE, u8"プレビューのフォントサイズ"},
      {1, IDC_DISPLAY_TRIM_FROM, u8"送信者名の表示"},
      {1, IDC_DISPLAY_SUBJECT, nullptr},
      {2, IDC_LIST_POSITION_GROUP, u8"表示位置"},
      {2, IDC_LIST_EFFECT_GROUP, u8"表示方法"},
      {2, IDC_LIST_DIRECTION_GROUP, u8"表示方向"},
      {2, IDC_LIST_DRAW_MS, u8"描画時間"},
      {2, IDC_LIST_HEADINGS, u8"見出し"},
      {2, IDC_LIST_AUTOCLOSE, u8"自動的に一覧を閉じる"},
      {2, IDC_LIST_OPEN_SECONDS, u8"一覧が表示されている時間"},
      {2, IDC_LIST_GRID_GROUP, u8"グリッド表示"},
      {2, IDC_LIST_PREVIEW, u8"プレビュー"},
      {2, IDC_LIST_PREVIEW_HEIGHT, u8"プレビューの高さ"},
      {3, IDC_FILTER_LIST, u8"フィルタ一覧"},
      {3, IDC_FILTER_ADD, u8"フィルタを追加"},
      {3, IDC_FILTER_EDIT, u8"フィルタを編集"},
      {3, IDC_FILTER_DELETE, u8"フィルタを削除"},
      {3, IDC_FILTER_UP, u8"フィルタを上に移動"},
      {3, IDC_FILTER_DOWN, u8"フィルタを下に移動"},
      {4, IDC_OTHER_USE_SOUND, u8"音を鳴らす"},
      {4, IDC_OTHER_SOUND_FILE, u8"音を鳴らす"},
      {4, IDC_OTHER_EDITOR, u8"エディタ"},
      {4, IDC_OTHER_MUA, u8"メーラー"},
      {4, IDC_OTHER_HOTKEY, u8"ホットキー"},
      {4, IDC_OTHER_SERVER_SYN, u8"サーバ同期モード"},
      {4, IDC_OTHER_UPDATE_CHECK, u8"バージョンアップチェック"},
      {4, IDC_OTHER_START_RUN, u8"起動時に巡回チェック"},
      {5, IDC_ADVANCE_TOOLTIP, nullptr},
      {5, IDC_ADVANCE_LOG, nullptr},
  };
  for (const Case& c : cases) {
    ShowPage(c.page);
    const std::string* text =
        sheet_->Page(static_cast<size_t>(c.page)).Tooltip().ToolText(Control(c.id));
    if (c.heading == nullptr) {
      EXPECT_EQ(text, nullptr) << "page " << c.page << " id " << c.id;
      continue;
    }
    ASSERT_NE(text, nullptr) << "page " << c.page << " id " << c.id;
    EXPECT_TRUE(text->starts_with(HelpHeading(c.heading))) << "page " << c.page << " id " << c.id;
    EXPECT_GT(text->size(), HelpHeading(c.heading).size() + 8) << "a body follows the heading";
  }
  // The filter list's own texts.
  ShowPage(3);
  EXPECT_EQ(*sheet_->Page(3).Tooltip().ToolText(Control(IDC_FILTER_LIST)),
            HelpHeading(u8"フィルタ一覧") +
                Utf8(u8"設定してあるフィルタ一覧です<br>上位にあるものが優先されてフィルタリング"
                     u8"されます"));
}

}  // namespace
}  // namespace postwink::win
