#include "win32/list/message_list_wnd.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include "core/ui/scale.h"
#include "list/message_list_fixture.h"
#include "win32/dpi.h"
#include "win32/high_contrast.h"
#include "win32/list/work_area.h"

namespace postwink::win {
namespace {

using test::kEnglish;
using test::kJapanese;
using test::kJapaneseBody;
using test::kJapaneseSubject;
using test::kOlder;
using test::MoveMouseTo;
using test::PumpFor;
using test::PumpUntil;

class MessageListTest : public test::MessageListFixture {};

TEST_F(MessageListTest, AfterACheckItOpensTopMostAtTheBottomRightWithTheUnreadRows) {
  Add(kOlder, kMailRead);
  Add(kEnglish);
  Add(kJapanese);
  Open(false);
  HWND w = window_->hwnd();
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  EXPECT_STREQ(name, L"PostwinkMessageList");
  EXPECT_TRUE(IsWindowVisible(w));
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE));
  EXPECT_EQ(style & kListWindowStyle, kListWindowStyle);
  EXPECT_FALSE(style & WS_BORDER);  // a dialog frame, no caption
  EXPECT_TRUE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_NE(GetForegroundWindow(), w);
  EXPECT_FALSE(window_->Creating());
  EXPECT_TRUE(window_->Shown());

  // Newest first by "Received", the read one left out; Japanese decoded.
  ASSERT_EQ(window_->List().GetItemCount(), 2);
  std::wstring rows = Rows();
  EXPECT_EQ(rows.find(L"Nightly report"), std::wstring::npos);
  EXPECT_LT(rows.find(kJapaneseSubject), rows.find(L"Lunch on Friday?"));
  EXPECT_NE(rows.find(L"B\t<6>\tWork\tAlice Smith\tLunch on Friday?"), std::wstring::npos);

  // At the corner of the work area, as high as its rows and as wide as its columns.
  Rect work = WorkAreaOrPrimary();
  RECT r = WindowRect();
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.bottom, work.bottom);
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.bottom, ContentHeight(2));
  EXPECT_EQ(client.right, window_->List().Model().TotalWidth());
  EXPECT_EQ(window_->Effects().show, kAnimateSlide | kAnimateVerNegative);
  EXPECT_EQ(window_->Effects().hide, kAnimateSlide | kAnimateVerPositive | kAnimateHide);
}

TEST_F(MessageListTest, TheUsersListShowsEveryRowAndHasTheFocus) {
  Add(kOlder, kMailRead);
  Add(kEnglish);
  settings_.dispPos = 0;
  Open(true);
  EXPECT_EQ(window_->List().GetItemCount(), 2);
  EXPECT_FALSE(GetWindowLongPtrW(window_->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetFocus(), window_->List().hwnd());
  Rect work = WorkAreaOrPrimary();
  RECT r = WindowRect();
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
  EXPECT_GT(acknowledged_, 0);  // activation acknowledges new mail
}

TEST_F(MessageListTest, AnEmptyListIsOneRowHighAndSaysSo) {
  Open(false);
  EXPECT_EQ(Rows(), L"\x30E1\x30C3\x30BB\x30FC\x30B8\x306F\x3042\x308A\x307E\x305B\x3093");
  RECT client;
  GetClientRect(window_->hwnd(), &client);
  EXPECT_EQ(client.bottom, ContentHeight(0));
}

TEST_F(MessageListTest, PreviewShowsTheDecodedBodyAndMarksTheRowReadAfterADelay) {
  Add(kEnglish);
  MailItem* japanese = Add(kJapanese);
  Open(false);
  const int before = WindowRect().bottom - WindowRect().top;
  const int row = RowOf(japanese);
  Mouse(WM_LBUTTONDOWN, CellCentre(row, kColumnSubject));
  Mouse(WM_LBUTTONUP, CellCentre(row, kColumnSubject));
  Mouse(WM_LBUTTONDBLCLK, CellCentre(row, kColumnSubject));
  ASSERT_TRUE(window_->PreviewVisible());
  EXPECT_EQ(window_->PreviewRow(), row);
  EXPECT_NE(PreviewText().find(kJapaneseBody), std::wstring::npos);
  RECT after = WindowRect();
  EXPECT_EQ(after.bottom - after.top,
            before + ScalePixels(settings_.previewHeight, WindowDpi(window_->hwnd())));
  EXPECT_EQ(after.bottom, WorkAreaOrPrimary().bottom);  // it grew upwards from its corner
  EXPECT_GT(acknowledged_, 0);                          // a click in the list acknowledges new mail

  // 1.5 s after it was shown, not before.
  PumpFor(1000);
  EXPECT_TRUE(Bold(japanese));
  ASSERT_TRUE(PumpUntil([&] { return !Bold(japanese); }, 3000));
  EXPECT_TRUE(japanese->flags & kMailRead);

  // A second double click closes the pane again.
  Mouse(WM_LBUTTONDBLCLK, CellCentre(row, kColumnSubject));
  EXPECT_FALSE(window_->PreviewVisible());
  EXPECT_EQ(WindowRect().bottom - WindowRect().top, before);
}

TEST_F(MessageListTest, MovingOnBeforeTheDelayLeavesTheFirstRowUnread) {
  MailItem* english = Add(kEnglish);
  MailItem* japanese = Add(kJapanese);
  Open(false);
  window_->List().SelectItem(RowOf(japanese));
  window_->ShowPreview(RowOf(japanese));
  PumpFor(300);
  // The pane is open: a click on another row moves the preview there.
  Mouse(WM_LBUTTONDOWN, CellCentre(RowOf(english), kColumnFrom));
  EXPECT_EQ(window_->PreviewRow(), RowOf(english));
  EXPECT_NE(PreviewText().find(L"noodle"), std::wstring::npos);
  ASSERT_TRUE(PumpUntil([&] { return !Bold(english); }, 3000));
  EXPECT_TRUE(Bold(japanese));
  EXPECT_FALSE(japanese->flags & kMailRead);
}

TEST_F(MessageListTest, TheRemoveImageRemovesTheRowAndTheEmptiedListClosesAfterThreeSeconds) {
  MailItem* older = Add(kOlder);
  MailItem* english = Add(kEnglish);
  Open(false);
  ASSERT_EQ(RowOf(english), 0);
  POINT trash = CellCentre(0, kColumnTrash);
  Mouse(WM_LBUTTONDOWN, trash);
  EXPECT_EQ(window_->List().Model().Cell(0, kColumnTrash)->image, kImageRemovePressed);
  EXPECT_EQ(GetCapture(), window_->List().hwnd());
  Mouse(WM_LBUTTONUP, trash);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(english->flags & kMailRemoved);
  EXPECT_FALSE(english->previewText.has_value());
  ASSERT_EQ(window_->List().GetItemCount(), 1);
  // The row that took its place is selected, with its normal image.
  EXPECT_EQ(window_->List().GetSelectedItems(), (std::vector<int>{0}));
  EXPECT_EQ(RowOf(older), 0);
  EXPECT_EQ(window_->List().Model().Cell(0, kColumnTrash)->image, kImageRemove);
  RECT client;
  GetClientRect(window_->hwnd(), &client);
  EXPECT_EQ(client.bottom, ContentHeight(1));

  // Released over another row: nothing is removed.
  Mouse(WM_LBUTTONDOWN, CellCentre(0, kColumnTrash));
  Mouse(WM_LBUTTONUP, {trash.x, trash.y + 3 * window_->List().RowHeight()});
  EXPECT_EQ(window_->List().GetItemCount(), 1);

  // Even with AUTOCLOSE off, the emptied list goes 3 s later, once the user has moved on
  // (the clicks above gave the list the focus, which keeps it open).
  settings_.autoClose = 0;
  SetFocus(nullptr);
  const ULONGLONG start = GetTickCount64();
  SendMessageW(window_->hwnd(), WM_LIST_REMOVE_ITEM, 0, 0);
  EXPECT_EQ(Rows(), L"\x30E1\x30C3\x30BB\x30FC\x30B8\x306F\x3042\x308A\x307E\x305B\x3093");
  ASSERT_TRUE(PumpUntil([&] { return !window_->IsAlive(); }, 8000));
  EXPECT_GE(GetTickCount64() - start, 2900u);
  // Removed items stay in the list for the next check to recognise.
  EXPECT_EQ(list_.Size(), 2u);
}

TEST_F(MessageListTest, EscapeClosesAndTheLayoutAndSortAreKept) {
  Add(kEnglish);
  Add(kJapanese);
  Open(true);
  // A header click on "Subject" sorts ascending by it.
  HWND header = GetWindow(window_->List().hwnd(), GW_CHILD);
  NMHEADERW nm{};
  nm.hdr.hwndFrom = header;
  nm.hdr.idFrom = 1;
  nm.hdr.code = HDN_ITEMCLICKW;
  nm.iItem = kColumnSubject;
  SendMessageW(window_->List().hwnd(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(window_->List().GetSortColumn(), (SortState{kColumnSubject, true}));
  EXPECT_EQ(settings_.sortItem, 4);  // only written when the window goes
  SendMessageW(window_->List().hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !window_->IsAlive(); }, 3000));
  EXPECT_FALSE(window_->Shown());
  EXPECT_EQ(settings_.sortItem, 0x10000 | kColumnSubject);
  EXPECT_EQ(profile_.values["Window/ReportCtrl2"], "(7,7) 28 85 200 200 134 28 28 0 1 2 3 4 5 6");
}

TEST_F(MessageListTest, ColumnLayoutFromTheProfile) {
  Add(kEnglish);
  profile_.values["Window/ReportCtrl2"] = "(7,3) 28 85 150 250 134 28 28 3 4 6";
  Open(false);
  EXPECT_EQ(window_->List().Model().ActiveColumns(), (std::vector<int>{3, 4, 6}));
  RECT client;
  GetClientRect(window_->hwnd(), &client);
  EXPECT_EQ(client.right, 250 + 134 + 28);
  window_.reset();
  // Not seven columns: every column in its natural order.
  profile_.values["Window/ReportCtrl2"] = "(6,2) 28 85 150 250 134 28 3 4";
  Open(false);
  EXPECT_EQ(window_->List().Model().ActiveColumns(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST_F(MessageListTest, HighContrastTakesTheSystemsColoursForTheListAndThePreview) {
  settings_.bgRgb = 0x123456;
  settings_.prebgRgb = 0x654321;
  settings_.preRgb = 0x0000FF;
  Add(kEnglish);
  AssumeHighContrast(true);
  Open(false);
  // The row's right end, beside the last picture: the row's background, or the selection's.
  HWND list = window_->List().hwnd();
  RECT client;
  GetClientRect(list, &client);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  const COLORREF pixel = GetPixel(dc, client.right - 2,
                                  window_->List().HeaderHeight() + window_->List().RowHeight() / 2);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  AssumeHighContrast(std::nullopt);
  EXPECT_TRUE(pixel == GetSysColor(COLOR_WINDOW) || pixel == GetSysColor(COLOR_HIGHLIGHT))
      << std::hex << pixel;
  for (const ReportCell& c : window_->List().Model().Row(0)->cells) EXPECT_EQ(c.backColour, -1);
  window_.reset();
  Open(false);
  EXPECT_EQ(window_->List().Model().Row(0)->cells[kColumnSubject].backColour, kColourBackground);
}

TEST_F(MessageListTest, HeadingsAndGridLinesFollowTheSettings) {
  Add(kEnglish);
  Add(kOlder);
  Open(false);
  const int rowHeight = window_->List().RowHeight();
  EXPECT_GT(window_->List().HeaderHeight(), 0);
  window_.reset();
  settings_.dispHead = 0;
  settings_.grid = 16 | 32;
  Open(false);
  EXPECT_EQ(window_->List().HeaderHeight(), 0);
  EXPECT_EQ(window_->List().RowHeight(), rowHeight);  // the default GRID is 16 already
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_->List().hwnd(), GWL_STYLE));
  EXPECT_EQ(style & (kReportNoHeader | kReportHorizontalGrid | kReportVerticalGrid),
            kReportNoHeader | kReportHorizontalGrid | kReportVerticalGrid);
  RECT client;
  GetClientRect(window_->hwnd(), &client);
  EXPECT_EQ(client.bottom, 2 * rowHeight + 1);
}

TEST_F(MessageListTest, ClosesByItselfUnlessThePointerRestsOnIt) {
  Add(kEnglish);
  Open(false, 300);
  RECT r = WindowRect();
  MoveMouseTo({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  PumpFor(900);
  EXPECT_TRUE(window_->IsAlive());
  // Once the pointer leaves, the next two-second check closes it.
  MoveMouseTo({5, 5});
  EXPECT_TRUE(PumpUntil([&] { return !window_->IsAlive(); }, 5000));
}

TEST_F(MessageListTest, ARefillKeepsThePreviewOnItsMessage) {
  MailItem* english = Add(kEnglish);
  Open(false);
  window_->List().SelectItem(0);
  window_->ShowPreview(0);
  Add(kJapanese);  // newer: sorts above
  window_->Fill(list_, false);
  window_->FitToContent();
  EXPECT_EQ(window_->List().GetItemCount(), 2);
  EXPECT_EQ(window_->PreviewRow(), RowOf(english));
  EXPECT_EQ(window_->List().GetSelectedItems(), (std::vector<int>{RowOf(english)}));
  EXPECT_TRUE(window_->PreviewVisible());
  RECT client;
  GetClientRect(window_->hwnd(), &client);
  EXPECT_EQ(client.bottom,
            ContentHeight(2) + ScalePixels(settings_.previewHeight, WindowDpi(window_->hwnd())));
}

TEST_F(MessageListTest, MovedToAMonitorOfAnotherScaleItLaysItselfOutAgain) {
  Add(kEnglish);
  Add(kJapanese);
  Open(false);
  HWND w = window_->hwnd();
  const CReportCtrl& list = window_->List();
  const int dpi = list.Dpi();
  ASSERT_EQ(dpi, WindowDpi(w));
  struct Layout {
    int rowHeight;
    int subjectWidth;
    int totalWidth;
    int imageSize;
    LONG fontHeight;
    RECT window;
  };
  auto measure = [&] {
    Layout l{};
    l.rowHeight = list.RowHeight();
    l.subjectWidth = list.Model().Column(kColumnSubject)->width;
    l.totalWidth = list.Model().TotalWidth();
    int cy = 0;
    ImageList_GetIconSize(list.ImageList(), &l.imageSize, &cy);
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(list.hwnd(), WM_GETFONT, 0, 0)), sizeof lf,
               &lf);
    l.fontHeight = lf.lfHeight;
    l.window = WindowRect();
    return l;
  };
  const Layout before = measure();
  // 125 %: the wider list still fits the test display's work area.
  const int moved = dpi * 5 / 4;
  auto change = [&](int to) {
    RECT r = WindowRect();
    RECT suggested{r.left, r.top, r.left + RescalePixels(r.right - r.left, list.Dpi(), to),
                   r.top + RescalePixels(r.bottom - r.top, list.Dpi(), to)};
    SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  };
  change(moved);
  const Layout after = measure();
  EXPECT_EQ(list.Dpi(), moved);
  EXPECT_EQ(after.subjectWidth, RescalePixels(before.subjectWidth, dpi, moved));
  EXPECT_EQ(after.imageSize, ScalePixels(16, moved));
  EXPECT_EQ(after.fontHeight, FontHeightForDpi(settings_.fontSize * 10, moved));
  EXPECT_GT(after.rowHeight, before.rowHeight);
  EXPECT_GT(after.rowHeight, after.imageSize);  // the row holds the larger pictures
  // Refitted to the new rows and columns, at the same corner.
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, after.totalWidth);
  EXPECT_EQ(client.bottom, ContentHeight(2));
  EXPECT_EQ(after.window.right, before.window.right);
  EXPECT_EQ(after.window.bottom, before.window.bottom);
  // The preview's text is zoomed by the same ratio.
  HWND preview = GetDlgItem(w, kPreviewId);
  ASSERT_NE(preview, nullptr);
  WPARAM numerator = 0;
  LPARAM denominator = 0;
  SendMessageW(preview, EM_GETZOOM, reinterpret_cast<WPARAM>(&numerator),
               reinterpret_cast<LPARAM>(&denominator));
  EXPECT_GT(numerator, 0u);
  EXPECT_EQ(numerator * dpi, static_cast<WPARAM>(denominator * moved));

  // Back on the first monitor it is as it was.
  change(dpi);
  const Layout back = measure();
  EXPECT_EQ(back.rowHeight, before.rowHeight);
  EXPECT_EQ(back.subjectWidth, before.subjectWidth);
  EXPECT_EQ(back.imageSize, before.imageSize);
  EXPECT_EQ(back.fontHeight, before.fontHeight);
  EXPECT_TRUE(EqualRect(&back.window, &before.window));
  SendMessageW(preview, EM_GETZOOM, reinterpret_cast<WPARAM>(&numerator),
               reinterpret_cast<LPARAM>(&denominator));
  EXPECT_EQ(numerator, denominator);  // no zoom (0 / 0 or 1 / 1)
}

TEST_F(MessageListTest, ASecondCreateIsRefusedWhileShown) {
  Add(kEnglish);
  Open(false);
  EXPECT_FALSE(
      window_->Create(nullptr, list_, {}, kListWindowStyle, kListWindowUserExStyle, 0, true));
}

}  // namespace
}  // namespace postwink::win
