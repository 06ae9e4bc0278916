#pragma once
// A message-only window for the platform's own use: sockets and workers report to it on the
// thread that made it.

// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

namespace postwink::win {

// Registers the class on first use; the window's GWLP_USERDATA holds owner. Null on failure.
HWND CreateMessageWindow(const wchar_t* className, WNDPROC proc, void* owner);

}  // namespace postwink::win
