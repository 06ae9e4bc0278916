#pragma once
// Helpers for the window tests: a host window that records what it is sent, and message
// pumping with a time limit.

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "core/config/profile.h"
#include "win32/platform/windows_headers.h"
#include "win32/wnd.h"

namespace postwink::win::test {

// Runs the thread's messages until pred holds or the time is up; returns pred's last value.
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (pred()) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return pred();
    MsgWaitForMultipleObjects(
        0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(left.count(), 50)), QS_ALLINPUT);
  }
}

inline void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

// A top-level window with push buttons; it keeps the colour button's messages 2025 to 2029.
class HostWindow : public Wnd {
 public:
  using Record = std::tuple<UINT, WPARAM, LPARAM>;

  bool Create(int x, int y, int width, int height) {
    WindowArgs args;
    args.className = L"PostwinkTestHost";
    args.title = L"Postwink controls";
    args.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | WS_CLIPCHILDREN;
    args.x = x;
    args.y = y;
    args.width = width;
    args.height = height;
    args.classBackground = GetSysColorBrush(COLOR_3DFACE);
    return CreateWindowFrom(args);
  }

  HWND AddButton(int id, const wchar_t* text, int x, int y, int width, int height) {
    HWND button = CreateWindowExW(
        0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x, y, width, height, hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(), nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
    return button;
  }

  std::vector<Record> records;

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg >= 2025 && msg <= 2029) {
      records.emplace_back(msg, wParam, lParam);
      return 0;
    }
    return Wnd::OnMessage(msg, wParam, lParam);
  }
};

// The application profile in memory.
class MemoryProfile : public Profile {
 public:
  std::optional<std::string> GetString(std::string_view section,
                                       std::string_view key) const override {
    auto it = values.find(std::string(section) + "/" + std::string(key));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    values[std::string(section) + "/" + std::string(key)] = std::string(value);
    return true;
  }
  std::map<std::string, std::string> values;
};

inline POINT CentreOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Moves the real mouse, so that the thread sees WM_MOUSEMOVE as from the user.
inline void MoveMouseTo(POINT p) {
  SetCursorPos(p.x, p.y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

}  // namespace postwink::win::test
