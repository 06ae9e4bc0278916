#include "win32/platform/message_window.h"

namespace postwink::win {

HWND CreateMessageWindow(const wchar_t* className, WNDPROC proc, void* owner) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  // A second registration of the class fails harmlessly.
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (window != nullptr)
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  return window;
}

}  // namespace postwink::win
