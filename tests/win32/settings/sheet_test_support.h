#pragma once
// Helpers for the settings sheet's window tests: an owner window that counts
// WM_SETTINGS_APPLIED, a check engine over the core's fakes, and an answerer for the modal
// windows (message boxes, the filter editor) that the pages open inside their own loops.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/check/check_engine.h"
#include "unit/check/fake_check_host.h"
#include "win32/settings/property_sheet.h"
#include "win32/wide_text.h"
#include "window_test_support.h"

namespace postwink::win::test {

class OwnerWindow : public Wnd {
 public:
  bool Create() {
    WindowArgs args;
    args.className = L"PostwinkTestSheetOwner";
    args.style = WS_OVERLAPPED;
    args.x = 0;
    args.y = 0;
    args.width = 10;
    args.height = 10;
    return CreateWindowFrom(args);
  }
  int applied = 0;

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_SETTINGS_APPLIED) {
      ++applied;
      return 0;
    }
    return Wnd::OnMessage(msg, wParam, lParam);
  }
};

// Every text of a window and its children, in code page 932, one a line.
inline std::string AllTexts(HWND window) {
  std::wstring all;
  auto add = [&all](HWND w) {
    wchar_t text[1024];
    int n = GetWindowTextW(w, text, 1024);
    all.append(text, n > 0 ? static_cast<size_t>(n) : 0);
    all += L'\n';
  };
  add(window);
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) {
        (*reinterpret_cast<decltype(add)*>(param))(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&add));
  return Narrow(all);
}

// Runs a handler on each modal dialog box that the thread opens from now on, in order: a
// thread timer looks for them, so it works inside any modal loop.
class ModalAnswerer {
 public:
  using Handler = std::function<void(HWND)>;

  explicit ModalAnswerer(std::vector<Handler> handlers) : handlers_(std::move(handlers)) {
    EnumThreadWindows(GetCurrentThreadId(), &Remember, reinterpret_cast<LPARAM>(&seen_));
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 30, &Tick);
  }
  ~ModalAnswerer() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  size_t Answered() const { return next_; }
  // The texts of the boxes answered, in order.
  const std::vector<std::string>& Texts() const { return texts_; }

  // Handlers for the usual cases.
  static Handler Press(int button) {
    return [button](HWND box) { PostMessageW(box, WM_COMMAND, button, 0); };
  }

 private:
  static BOOL CALLBACK Remember(HWND window, LPARAM seen) {
    reinterpret_cast<std::set<HWND>*>(seen)->insert(window);
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ == nullptr) return;
    std::set<HWND> now;
    EnumThreadWindows(GetCurrentThreadId(), &Remember, reinterpret_cast<LPARAM>(&now));
    for (HWND window : now) {
      if (current_->seen_.count(window) || !IsWindowVisible(window)) continue;
      wchar_t cls[32];
      GetClassNameW(window, cls, 32);
      if (std::wstring(cls) != L"#32770") continue;
      current_->seen_.insert(window);
      if (current_->next_ >= current_->handlers_.size()) continue;
      current_->texts_.push_back(AllTexts(window));
      current_->handlers_[current_->next_++](window);
    }
  }

  static inline ModalAnswerer* current_ = nullptr;
  std::vector<Handler> handlers_;
  std::set<HWND> seen_;
  std::vector<std::string> texts_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
};

// A sheet over default settings and a check engine with fake servers, shown modeless.
class SheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReadSettings(IniFile(), std::nullopt, settings_);
    ASSERT_TRUE(owner_.Create());
  }
  void TearDown() override {
    sheet_.reset();
    engine_.reset();
  }
  void MakeEngine(int accounts) {
    engine_ = std::make_unique<CheckEngine>(host_, network_, settings_,
                                            postwink::testing::MakeAccounts(accounts));
  }
  void Open(int accounts = 1, int startPage = 0, bool windows98OrMe = false) {
    if (!engine_) MakeEngine(accounts);
    sheet_ = std::make_unique<CMyPropertySheet>(
        CMyPropertySheet::Args{settings_, *engine_, programDirectory_, windows98OrMe, startPage,
                               owner_.hwnd(), runKey_, tokens_});
    ASSERT_TRUE(sheet_->CreateModeless());
    PumpFor(50);
  }
  HWND Page() const { return PropSheet_GetCurrentPageHwnd(sheet_->hwnd()); }
  void ShowPage(int index) {
    PropSheet_SetCurSel(sheet_->hwnd(), nullptr, index);
    PumpFor(20);
  }
  HWND Control(int id) const { return GetDlgItem(Page(), id); }
  void Type(int id, const std::string& text) { SetWindowTextW(Control(id), Widen(text).c_str()); }
  std::string Text(int id) const {
    wchar_t text[256] = {};
    GetWindowTextW(Control(id), text, 256);
    return Narrow(text);
  }
  // Chooses an entry of a drop-down list and tells the page, as the user's choice does.
  void Choose(int comboId, int index) {
    SendMessageW(Control(comboId), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Control(comboId)));
    PumpFor(20);
  }
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  void Click(int id) {
    SendMessageW(Control(id), BM_CLICK, 0, 0);
    PumpFor(20);
  }
  void Press(int button) {
    PropSheet_PressButton(sheet_->hwnd(), button);
    PumpFor(50);
  }

  Settings settings_;
  postwink::testing::FakeCheckHost host_;
  postwink::testing::FakeTransport network_;
  std::unique_ptr<CheckEngine> engine_;
  std::string programDirectory_ = ".\\";
  // Never the user's real Run key.
  RunKey runKey_{L"Software\\PostwinkTest\\Run"};
  TokenProvider* tokens_ = nullptr;
  OwnerWindow owner_;
  std::unique_ptr<CMyPropertySheet> sheet_;
};

}  // namespace postwink::win::test

namespace postwink::win::test {

// A u8 text of the test source as the program's own text.
inline std::string Utf8(std::u8string_view utf8) {
  return std::string(reinterpret_cast<const char*>(utf8.data()), utf8.size());
}

// The head every help text starts with: the heading, bold, red and centred, over a green rule.
inline std::string HelpHeading(std::u8string_view heading) {
  return "<b><ct=0x0000FF><al_c>" + Utf8(heading) + "</b><br><ct=0x00AA00><hr=100%></ct><br>";
}

}  // namespace postwink::win::test
