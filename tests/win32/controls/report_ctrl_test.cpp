#include "win32/controls/report_ctrl.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <oleacc.h>

#include <map>
#include <string>
#include <vector>

#include "controls/tip_reader.h"
#include "glyph_canvas.h"
#include "win32/handles.h"
#include "win32/wide_text.h"
#include "window_test_support.h"

namespace postwink::win {
namespace {

using test::MemoryProfile;
using test::MoveMouseTo;
using test::PumpFor;
using test::PumpUntil;

constexpr int kCtrlId = 77;
constexpr COLORREF kSelection = RGB(0x20, 0x40, 0xC0);
constexpr COLORREF kBack = RGB(0xF0, 0xF0, 0xE0);

// A window that holds the control and records its notifications; answers can veto.
class Owner : public Wnd {
 public:
  struct Record {
    int code;
    int row;
    int column;
    UINT key;
  };
  bool Create() {
    WindowArgs args;
    args.className = L"PostwinkReportTestOwner";
    args.title = L"Report";
    args.style = WS_POPUP | WS_BORDER | WS_CLIPCHILDREN;
    args.x = 100;
    args.y = 100;
    args.width = 520;
    args.height = 300;
    if (!CreateWindowFrom(args)) return false;
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    return true;
  }
  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const Record& r : records) codes.push_back(r.code);
    return codes;
  }
  std::vector<Record> records;
  std::map<int, LRESULT> answers;

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_NOTIFY) {
      auto* nm = reinterpret_cast<NMREPORTVIEW*>(lParam);
      if (nm->hdr.idFrom == kCtrlId) {
        int code = static_cast<int>(nm->hdr.code);
        records.push_back({code, nm->row, nm->column, nm->key});
        auto it = answers.find(code);
        return it == answers.end() ? 0 : it->second;
      }
    }
    return Wnd::OnMessage(msg, wParam, lParam);
  }
};

class ReportCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(owner_.Create());
    RECT r{0, 0, 500, 260};
    ASSERT_TRUE(ctrl_.Create(owner_.hwnd(), kCtrlId, r,
                             WS_VISIBLE | WS_TABSTOP | kReportShowSelAlways |
                                 kReportShowSelAlwaysFocus | kReportCellTips));
    font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                            L"MS UI Gothic"));
    SendMessageW(ctrl_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    const char* titles[] = {"Name", "Text", "Code"};
    for (int c = 0; c < 3; ++c) {
      ReportColumn column;
      column.width = c == 1 ? 150 : 100;
      column.title = titles[c];
      ctrl_.DefineColumn(c, column);
      ctrl_.ActivateColumn(c, c);
    }
    ctrl_.SetSelectionColour(kSelection);
    ctrl_.SetBackgroundColour(kBack);
    ctrl_.SetColour(4, RGB(0xFF, 0xEE, 0xDD));
    ctrl_.SetColour(5, RGB(0x00, 0x80, 0x00));
    PumpFor(30);
  }

  void AddRows(int count) {
    for (int i = 0; i < count; ++i) {
      ReportRow row;
      row.data = static_cast<uintptr_t>(1000 + i);
      row.cells.resize(3);
      row.cells[0].text = "row " + std::to_string(i);
      row.cells[1].text = i == 1 ? std::string(60, 'W') : "short";
      row.cells[2].text = std::to_string(100 - i);
      for (ReportCell& cell : row.cells) cell.backColour = 4;
      ctrl_.InsertItem(ctrl_.GetItemCount(), row);
    }
  }

  POINT CellCentre(int row, int column) {
    RECT r = *ctrl_.GetItemRect(row, column);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  void Click(UINT msg, POINT p, WPARAM keys = 0) {
    SendMessageW(ctrl_.hwnd(), msg, keys, MAKELPARAM(p.x, p.y));
  }

  // What the control draws, as WM_PRINTCLIENT gives it.
  COLORREF PixelAt(POINT p) {
    RECT client;
    GetClientRect(ctrl_.hwnd(), &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    GdiHandle bitmap(CreateCompatibleBitmap(screen, client.right, client.bottom));
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap.get());
    SendMessageW(ctrl_.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    COLORREF colour = GetPixel(dc, p.x, p.y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
  }

  Owner owner_;
  CReportCtrl ctrl_;
  GdiHandle font_;
};

TEST_F(ReportCtrlTest, WindowClassAndEmptyList) {
  wchar_t name[64] = {};
  GetClassNameW(ctrl_.hwnd(), name, 64);
  EXPECT_STREQ(name, L"MFCReportCtrl");
  EXPECT_TRUE(GetClassLongPtrW(ctrl_.hwnd(), GCL_STYLE) & CS_DBLCLKS);
  EXPECT_EQ(ctrl_.GetFirstSelected(), -1);
  EXPECT_EQ(ctrl_.GetNextSelected(-1), -1);
  // "メッセージはありません"
  ctrl_.SetEmptyText("メッセージはありません");
  wchar_t text[64] = {};
  SendMessageW(ctrl_.hwnd(), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"\x30E1\x30C3\x30BB\x30FC\x30B8\x306F\x3042\x308A\x307E\x305B\x3093");
  // The text is drawn in the first row's place, centred: something other than the background
  // in the middle of that row, nothing in the second row.
  const int y = ctrl_.HeaderHeight() + ctrl_.RowHeight() / 2;
  bool drawn = false;
  for (int x = 180; x < 320; ++x) drawn = drawn || PixelAt({x, y}) != kBack;
  EXPECT_TRUE(drawn);
  EXPECT_EQ(PixelAt({250, y + ctrl_.RowHeight()}), kBack);
  EXPECT_EQ(SendMessageW(ctrl_.hwnd(), RVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(ctrl_.hwnd(), RVM_GETCELLRECT, 0, 0), -1);
}

TEST_F(ReportCtrlTest, ClicksNotifyAndSelect) {
  AddRows(5);
  Click(WM_LBUTTONDOWN, CellCentre(2, 1));
  EXPECT_EQ(owner_.Codes(), (std::vector<int>{kReportItemClick, kReportSelectionChanging,
                                              kReportSelectionChanged}));
  EXPECT_EQ(owner_.records[0].row, 2);
  EXPECT_EQ(owner_.records[0].column, 1);
  EXPECT_EQ(ctrl_.GetSelectedItems(), (std::vector<int>{2}));
  EXPECT_EQ(GetFocus(), ctrl_.hwnd());

  // Shift extends from the anchor; Ctrl toggles.
  Click(WM_LBUTTONDOWN, CellCentre(4, 0), MK_SHIFT);
  EXPECT_EQ(ctrl_.GetSelectedItems(), (std::vector<int>{2, 3, 4}));
  Click(WM_LBUTTONDOWN, CellCentre(3, 0), MK_CONTROL);
  EXPECT_EQ(ctrl_.GetSelectedItems(), (std::vector<int>{2, 4}));

  // A veto of the press leaves the selection; a veto of the change as well.
  owner_.records.clear();
  owner_.answers[kReportItemClick] = 1;
  Click(WM_LBUTTONDOWN, CellCentre(0, 0));
  EXPECT_EQ(owner_.Codes(), (std::vector<int>{kReportItemClick}));
  EXPECT_EQ(ctrl_.GetSelectedItems(), (std::vector<int>{2, 4}));
  owner_.answers.clear();
  owner_.answers[kReportSelectionChanging] = 1;
  Click(WM_LBUTTONDOWN, CellCentre(0, 0));
  EXPECT_EQ(ctrl_.GetSelectedItems(), (std::vector<int>{2, 4}));
  owner_.answers.clear();

  // Right click: alone on an unselected row, kept by a veto.
  owner_.records.clear();
  Click(WM_RBUTTONDOWN, CellCentre(1, 2));
  EXPECT_EQ(owner_.Codes().front(), kReportItemRClick);
  EXPECT_EQ(ctrl_.GetSelectedItems(), (std::vector<int>{1}));
  ctrl_.SelectAll();
  owner_.answers[kReportItemRClick] = 1;
  Click(WM_RBUTTONDOWN, CellCentre(1, 2));
  EXPECT_EQ(ctrl_.GetSelectedItems(), (std::vector<int>{0, 1, 2, 3, 4}));
  owner_.answers.clear();

  owner_.records.clear();
  Click(WM_LBUTTONDBLCLK, CellCentre(3, 2));
  ASSERT_EQ(owner_.Codes(), (std::vector<int>{kReportItemDblClick}));
  EXPECT_EQ(owner_.records[0].row, 3);
  EXPECT_EQ(owner_.records[0].column, 2);
}

TEST_F(ReportCtrlTest, KeysNotifyFirstAndMoveTheFocus) {
  AddRows(30);
  ctrl_.SelectItem(0);
  owner_.records.clear();
  SendMessageW(ctrl_.hwnd(), WM_KEYDOWN, VK_DOWN, 0);
  ASSERT_FALSE(owner_.records.empty());
  EXPECT_EQ(owner_.records[0].code, kReportKeyDown);
  EXPECT_EQ(owner_.records[0].key, static_cast<UINT>(VK_DOWN));
  EXPECT_EQ(ctrl_.GetSelectedItems(), (std::vector<int>{1}));
  SendMessageW(ctrl_.hwnd(), WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(ctrl_.GetSelectedItems(), (std::vector<int>{29}));
  EXPECT_GT(ctrl_.TopRow(), 0);        // scrolled to show it
  owner_.answers[kReportKeyDown] = 1;  // the owner takes the key
  SendMessageW(ctrl_.hwnd(), WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(ctrl_.GetSelectedItems(), (std::vector<int>{29}));
}

TEST_F(ReportCtrlTest, DrawsCellColoursAndTheSelection) {
  AddRows(3);
  ctrl_.SelectItem(1);
  const COLORREF cellBack = RGB(0xFF, 0xEE, 0xDD);
  RECT unselected = *ctrl_.GetItemRect(0, 2);
  RECT selected = *ctrl_.GetItemRect(1, 2);
  EXPECT_EQ(PixelAt({unselected.right - 3, unselected.top + 2}), cellBack);
  EXPECT_EQ(PixelAt({selected.right - 3, selected.top + 2}), kSelection);
  // Below the rows: the control's background.
  EXPECT_EQ(PixelAt({10, ctrl_.HeaderHeight() + 5 * ctrl_.RowHeight()}), kBack);
  // Text colour by index: row 2's first cell drawn in green somewhere.
  ReportCell cell = *ctrl_.Model().Cell(2, 0);
  cell.textColour = 5;
  ctrl_.SetCell(2, 0, cell);
  RECT r = *ctrl_.GetItemRect(2, 0);
  bool green = false;
  for (int x = r.left; x < r.right && !green; ++x) {
    for (int y = r.top; y < r.bottom && !green; ++y) green = PixelAt({x, y}) == RGB(0, 0x80, 0);
  }
  EXPECT_TRUE(green);
  // Horizontal grid lines make the rows one pixel taller.
  int before = ctrl_.RowHeight();
  ctrl_.ModifyStyle(0, kReportHorizontalGrid);
  EXPECT_EQ(ctrl_.RowHeight(), before + 1);
}

TEST_F(ReportCtrlTest, HeaderClickSortsAndTurnsTheDirection) {
  AddRows(4);
  ctrl_.SetSortCallback([](const ReportRow& a, const ReportRow& b, int column) {
    return a.cells[static_cast<size_t>(column)].text.compare(
        b.cells[static_cast<size_t>(column)].text);
  });
  HWND header = GetWindow(ctrl_.hwnd(), GW_CHILD);
  ASSERT_NE(header, nullptr);
  auto clickHeader = [&](int position) {
    NMHEADERW nm{};
    nm.hdr.hwndFrom = header;
    nm.hdr.idFrom = 1;
    nm.hdr.code = HDN_ITEMCLICKW;
    nm.iItem = position;
    SendMessageW(ctrl_.hwnd(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&nm));
  };
  clickHeader(2);  // "Code": 100, 99, 98, 97 as text
  EXPECT_EQ(ctrl_.GetSortColumn(), (SortState{2, true}));
  EXPECT_EQ(ctrl_.Model().Cell(0, 2)->text, "100");
  clickHeader(2);
  EXPECT_EQ(ctrl_.GetSortColumn(), (SortState{2, false}));
  EXPECT_EQ(ctrl_.Model().Cell(0, 2)->text, "99");
  clickHeader(2);
  EXPECT_EQ(ctrl_.GetSortColumn(), (SortState{2, true}));
  owner_.answers[kReportColumnClick] = 1;
  clickHeader(0);
  EXPECT_EQ(ctrl_.GetSortColumn(), (SortState{2, true}));
}

TEST_F(ReportCtrlTest, DividerDoubleClickFitsTheWidestTextUpToTheMaximum) {
  AddRows(3);
  HWND header = GetWindow(ctrl_.hwnd(), GW_CHILD);
  auto divider = [&](int position) {
    NMHEADERW nm{};
    nm.hdr.hwndFrom = header;
    nm.hdr.idFrom = 1;
    nm.hdr.code = HDN_DIVIDERDBLCLICKW;
    nm.iItem = position;
    SendMessageW(ctrl_.hwnd(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&nm));
  };
  owner_.records.clear();
  divider(1);  // sixty W: wider than 150
  const int fitted = ctrl_.Model().Column(1)->width;
  EXPECT_GT(fitted, 300);
  EXPECT_EQ(owner_.Codes().back(), kReportLayoutChanged);
  ctrl_.SetColumnMaxWidth(1, 200);
  EXPECT_EQ(ctrl_.Model().Column(1)->width, 200);
  divider(1);
  EXPECT_EQ(ctrl_.Model().Column(1)->width, 200);
  divider(2);  // "100" is narrow
  EXPECT_LT(ctrl_.Model().Column(2)->width, 60);
  owner_.answers[kReportDividerDblClick] = 1;
  divider(0);
  EXPECT_EQ(ctrl_.Model().Column(0)->width, 100);
}

TEST_F(ReportCtrlTest, ColumnStateThroughTheProfile) {
  MemoryProfile profile;
  ctrl_.Model().SetColumnWidth(1, 180);
  ASSERT_TRUE(ctrl_.SaveState(profile, "Window", "ReportCtrl2"));
  EXPECT_EQ(profile.values["Window/ReportCtrl2"], "(3,3) 100 180 100 0 1 2");
  profile.values["Window/ReportCtrl2"] = "(3,2) 40 50 60 2 0";
  ASSERT_TRUE(ctrl_.RestoreState(profile, "Window", "ReportCtrl2"));
  EXPECT_EQ(ctrl_.Model().ActiveColumns(), (std::vector<int>{2, 0}));
  HWND header = GetWindow(ctrl_.hwnd(), GW_CHILD);
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
  profile.values["Window/ReportCtrl2"] = "(4,2) 40 50 60 70 2 0";
  EXPECT_FALSE(ctrl_.RestoreState(profile, "Window", "ReportCtrl2"));
  EXPECT_FALSE(ctrl_.RestoreState(profile, "Window", "Missing"));
  EXPECT_EQ(ctrl_.Model().ActiveColumns(), (std::vector<int>{2, 0}));
}

TEST_F(ReportCtrlTest, RowsAsTextAndCellRectangles) {
  AddRows(2);
  ctrl_.SetItemBold(0, true);
  ctrl_.SelectItem(1);
  std::wstring text = ctrl_.RowsText();
  EXPECT_EQ(text.substr(0, text.find(L"\r\n")), L"B\trow 0\tshort\t100");
  EXPECT_NE(text.find(L"SF\trow 1\t"), std::wstring::npos);
  LRESULT packed = SendMessageW(ctrl_.hwnd(), RVM_GETCELLRECT, 1, 2);
  RECT r = *ctrl_.GetItemRect(1, 2);
  EXPECT_EQ(packed & 0xFFFF, r.left);
  EXPECT_EQ((packed >> 16) & 0xFFFF, r.top);
  EXPECT_EQ((packed >> 32) & 0xFFFF, r.right);
  EXPECT_EQ((packed >> 48) & 0xFFFF, r.bottom);
}

// What a screen reader learns through Active Accessibility, as it asks: the list, its rows by
// name, their selection, focus and read state, the moves of the focus, and a clean refusal once
// the control is gone.
std::vector<LONG> focusEvents;

void CALLBACK OnFocusEvent(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT) focusEvents.push_back(child);
}

VARIANT Child(LONG id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::wstring TakeBstr(BSTR text) {
  std::wstring result = text ? std::wstring(text, SysStringLen(text)) : L"<none>";
  SysFreeString(text);
  return result;
}

TEST_F(ReportCtrlTest, ScreenReadersReadTheRowsTheirStatesAndTheFocus) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  AddRows(3);
  ctrl_.SetItemBold(0, true);
  SetFocus(ctrl_.hwnd());
  Click(WM_LBUTTONDOWN, CellCentre(2, 0));
  Click(WM_LBUTTONUP, CellCentre(2, 0));
  IAccessible* acc = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(ctrl_.hwnd(), OBJID_CLIENT, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&acc)),
            S_OK);
  ASSERT_NE(acc, nullptr);
  VARIANT v;
  ASSERT_EQ(acc->get_accRole(Child(CHILDID_SELF), &v), S_OK);
  EXPECT_EQ(v.lVal, ROLE_SYSTEM_LIST);
  LONG count = 0;
  ASSERT_EQ(acc->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 3);
  const std::wstring names[] = {L"row 0, short, 100", L"row 1, " + std::wstring(60, L'W') + L", 99",
                                L"row 2, short, 98"};
  for (LONG id = 1; id <= 3; ++id) {
    BSTR name = nullptr;
    ASSERT_EQ(acc->get_accName(Child(id), &name), S_OK);
    EXPECT_EQ(TakeBstr(name), names[id - 1]);
    BSTR description = nullptr;
    acc->get_accDescription(Child(id), &description);
    EXPECT_EQ(TakeBstr(description), id == 1 ? L"unread" : L"read") << id;
    ASSERT_EQ(acc->get_accRole(Child(id), &v), S_OK);
    EXPECT_EQ(v.lVal, ROLE_SYSTEM_LISTITEM);
    ASSERT_EQ(acc->get_accState(Child(id), &v), S_OK);
    const LONG selectedAndFocused = STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
    EXPECT_EQ(v.lVal & selectedAndFocused, id == 3 ? selectedAndFocused : 0) << id;
    IDispatch* element = nullptr;
    EXPECT_EQ(acc->get_accChild(Child(id), &element), S_FALSE);  // a simple element
  }
  BSTR none = nullptr;
  EXPECT_EQ(acc->get_accName(Child(4), &none), E_INVALIDARG);
  ASSERT_EQ(acc->get_accFocus(&v), S_OK);
  EXPECT_EQ(v.lVal, 3);
  ASSERT_EQ(acc->get_accSelection(&v), S_OK);
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, 3);
  ASSERT_EQ(acc->accNavigate(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF), &v), S_OK);
  EXPECT_EQ(v.lVal, 1);
  EXPECT_EQ(acc->accNavigate(NAVDIR_NEXT, Child(3), &v), S_FALSE);
  LONG left, top, width, height;
  ASSERT_EQ(acc->accLocation(&left, &top, &width, &height, Child(2)), S_OK);
  ASSERT_EQ(acc->accHitTest(left + width / 2, top + height / 2, &v), S_OK);
  EXPECT_EQ(v.lVal, 2);

  // The keyboard moves the focus; the reader hears of it.
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocusEvent,
                      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  focusEvents.clear();
  SendMessageW(ctrl_.hwnd(), WM_KEYDOWN, VK_UP, 0);
  PumpUntil([] { return !focusEvents.empty(); }, 2000);
  UnhookWinEvent(hook);
  EXPECT_EQ(focusEvents, std::vector<LONG>{2});
  ASSERT_EQ(acc->get_accFocus(&v), S_OK);
  EXPECT_EQ(v.lVal, 2);

  // Several selected rows come as an enumeration.
  ctrl_.SelectAll();
  ASSERT_EQ(acc->get_accSelection(&v), S_OK);
  ASSERT_EQ(v.vt, VT_UNKNOWN);
  IEnumVARIANT* rows = nullptr;
  ASSERT_EQ(v.punkVal->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&rows)),
            S_OK);
  v.punkVal->Release();
  VARIANT got[4];
  ULONG fetched = 0;
  EXPECT_EQ(rows->Next(4, got, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 3u);
  EXPECT_EQ(got[0].lVal + got[1].lVal + got[2].lVal, 1 + 2 + 3);
  rows->Release();

  // A reader that holds on after the window is gone gets an error, not a crash.
  ctrl_.Destroy();
  EXPECT_EQ(acc->get_accChildCount(&count), RPC_E_DISCONNECTED);
  acc->Release();
  CoUninitialize();
}

TEST_F(ReportCtrlTest, WheelScrollsByTheUsersStep) {
  // The user's setting for every program, put back afterwards.
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                            KEY_READ | KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  wchar_t saved[32] = {};
  DWORD size = sizeof saved - sizeof(wchar_t);
  bool had = RegQueryValueExW(key, L"WheelScrollLines", nullptr, nullptr,
                              reinterpret_cast<BYTE*>(saved), &size) == ERROR_SUCCESS;
  RegSetValueExW(key, L"WheelScrollLines", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"5"),
                 2 * sizeof(wchar_t));
  CReportCtrl wheel;
  RECT r{0, 0, 300, 120};
  ASSERT_TRUE(wheel.Create(owner_.hwnd(), kCtrlId + 1, r, WS_VISIBLE));
  if (had) {
    RegSetValueExW(key, L"WheelScrollLines", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                   static_cast<DWORD>((wcslen(saved) + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(key, L"WheelScrollLines");
  }
  RegCloseKey(key);
  ReportColumn column;
  column.width = 100;
  wheel.DefineColumn(0, column);
  wheel.ActivateColumn(0, 0);
  for (int i = 0; i < 50; ++i) wheel.InsertItem(i, ReportRow{});
  SendMessageW(wheel.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(wheel.TopRow(), 5);
  SendMessageW(wheel.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(wheel.TopRow(), 0);
}

TEST_F(ReportCtrlTest, CellTipShowsTheWholeTextOfACellThatDoesNotFit) {
  AddRows(3);
  ctrl_.EnableCellTips(true);
  SetForegroundWindow(owner_.hwnd());
  SetFocus(ctrl_.hwnd());
  PumpFor(50);
  auto move = [&](POINT p) {
    SendMessageW(ctrl_.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    PumpFor(30);
  };
  auto tip = [&]() -> HWND {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"MFCReportTipCtrl", nullptr); w;
         w = FindWindowExW(nullptr, w, L"MFCReportTipCtrl", nullptr)) {
      if (IsWindowVisible(w)) return w;
    }
    return nullptr;
  };
  move(CellCentre(0, 1));  // "short" fits
  EXPECT_EQ(tip(), nullptr);
  move(CellCentre(1, 1));  // sixty W does not
  HWND shown = tip();
  ASSERT_NE(shown, nullptr);
  wchar_t text[128] = {};
  SendMessageW(shown, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::wstring(text), std::wstring(60, L'W'));
  // Screen readers read it as a tool tip with that text.
  const test::TipAsRead read = test::ReadTip(shown);
  ASSERT_EQ(read.found, S_OK);
  EXPECT_EQ(read.name, std::wstring(60, L'W'));
  EXPECT_EQ(read.role, ROLE_SYSTEM_TOOLTIP);
  EXPECT_EQ(read.state & STATE_SYSTEM_INVISIBLE, 0);
  RECT tipRect, cell = *ctrl_.GetItemRect(1, 1);
  GetWindowRect(shown, &tipRect);
  MapWindowPoints(ctrl_.hwnd(), nullptr, reinterpret_cast<POINT*>(&cell), 2);
  EXPECT_EQ(tipRect.top, cell.top);
  EXPECT_GT(tipRect.right - tipRect.left, cell.right - cell.left);
  move(CellCentre(2, 0));
  EXPECT_EQ(tip(), nullptr);
  EXPECT_TRUE(test::ReadTip(shown).state & STATE_SYSTEM_INVISIBLE);
  // Without the program's setting there is no tip.
  ctrl_.EnableCellTips(false);
  move(CellCentre(1, 1));
  EXPECT_EQ(tip(), nullptr);
  MoveMouseTo({5, 5});
}

TEST_F(ReportCtrlTest, CellsDrawEveryScript) {
  test::Canvas canvas(test::ListFont(), 500, 260);
  ASSERT_TRUE(canvas.Valid());
  const auto box = canvas.NoGlyphBox();
  ASSERT_FALSE(box.empty());
  SendMessageW(ctrl_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(canvas.font()), FALSE);
  ReportColumn wide;
  wide.width = 300;
  wide.title = "Text";
  ctrl_.DefineColumn(1, wide);
  for (const test::Script& script : test::kScripts) {
    // The program's own text reaches the control through the conversion edge.
    ASSERT_EQ(Widen(Narrow(script.text)), script.text) << script.name;
    ReportRow row;
    row.cells.resize(3);
    row.cells[1].text = Narrow(script.text);
    ctrl_.InsertItem(ctrl_.GetItemCount(), row);
  }
  canvas.Clear();
  SendMessageW(ctrl_.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
  GdiFlush();
  canvas.SetBackground(kBack);
  for (int row = 0; row < ctrl_.GetItemCount(); ++row) {
    SCOPED_TRACE(test::kScripts[row].name);
    RECT cell = *ctrl_.GetItemRect(row, 1);
    EXPECT_FALSE(canvas.Contains(box, cell)) << "a character drew as the no-glyph box";
  }
}

}  // namespace
}  // namespace postwink::win
