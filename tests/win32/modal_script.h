#pragma once
// Answers the modal windows that a call under test opens (dialogs, message boxes, menus, the
// save-file dialog): a thread timer runs the next step every 50 ms inside whatever modal loop
// is running, until the step says it is done.

#include <functional>
#include <string>
#include <vector>

#include "win32/platform/windows_headers.h"

namespace postwink::win::test {

class ModalScript {
 public:
  // A step returns true when it has done its part (usually: its window was there).
  using Step = std::function<bool()>;

  explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 50, Tick);
  }
  ~ModalScript() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  bool Done() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* self = current_;
    if (!self || self->running_ || self->Done()) return;
    // A step may open a modal loop of its own (pressing a button synchronously).
    self->running_ = true;
    if (self->steps_[self->next_]()) ++self->next_;
    self->running_ = false;
  }

  static inline ModalScript* current_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool running_ = false;
  UINT_PTR timer_ = 0;
};

inline std::wstring WindowText(HWND hwnd) {
  wchar_t buf[2048];
  int n = GetWindowTextW(hwnd, buf, 2048);
  return std::wstring(buf, n > 0 ? n : 0);
}

inline std::wstring ClassName(HWND hwnd) {
  wchar_t buf[256];
  int n = GetClassNameW(hwnd, buf, 256);
  return std::wstring(buf, n > 0 ? n : 0);
}

// The texts of a window's children, one a line.
inline std::wstring ChildTexts(HWND hwnd) {
  std::wstring all;
  EnumChildWindows(
      hwnd,
      [](HWND child, LPARAM param) -> BOOL {
        *reinterpret_cast<std::wstring*>(param) += WindowText(child) + L"\n";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

// The first visible top-level window of this thread that the test accepts.
inline HWND FindThreadWindow(const std::function<bool(HWND)>& accept) {
  struct Search {
    const std::function<bool(HWND)>* accept;
    HWND found = nullptr;
  } search{&accept};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (IsWindowVisible(hwnd) && (*s->accept)(hwnd)) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A dialog box (message boxes included) with this title.
inline HWND FindDialog(const std::wstring& title) {
  return FindThreadWindow(
      [&](HWND hwnd) { return ClassName(hwnd) == L"#32770" && WindowText(hwnd) == title; });
}

// The system's open or save dialog: the dialog with a file name field.
inline HWND FindFileDialog() {
  return FindThreadWindow([](HWND hwnd) {
    return ClassName(hwnd) == L"#32770" && (GetDlgItem(hwnd, 0x47C) || GetDlgItem(hwnd, 0x480));
  });
}

// The file name field of the save dialog: the combo box of the Explorer style, else the edit.
inline HWND FileNameField(HWND dialog) {
  HWND combo = GetDlgItem(dialog, 0x47C);
  return combo ? combo : GetDlgItem(dialog, 0x480);
}

// The popup menu that is open, with its HMENU.
inline HWND FindOpenMenu() {
  return FindThreadWindow([](HWND hwnd) { return ClassName(hwnd) == L"#32768"; });
}

inline void Press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, id, 0); }

}  // namespace postwink::win::test
