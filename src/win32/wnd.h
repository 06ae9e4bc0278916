#pragma once
// The window plumbing every window of the program uses: a C++ object bound to its window when
// the window is created (WM_NCCREATE for windows, WM_INITDIALOG for dialogs), and one virtual
// through which all its messages are routed.

#include <optional>
#include <string>

#include "win32/platform/windows_headers.h"

namespace postwink::win {

struct WindowArgs {
  const wchar_t* className = nullptr;  // registered on first use with the defaults below
  std::wstring title;
  DWORD style = WS_POPUP;
  DWORD exStyle = 0;
  int x = CW_USEDEFAULT;
  int y = CW_USEDEFAULT;
  int width = 0;
  int height = 0;
  HWND parent = nullptr;
  HICON classIcon = nullptr;
  UINT classStyle = 0;
  // Null: no background brush, the window paints all of itself.
  HBRUSH classBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
};

class Wnd {
 public:
  Wnd() = default;
  virtual ~Wnd();
  Wnd(const Wnd&) = delete;
  Wnd& operator=(const Wnd&) = delete;

  HWND hwnd() const { return hwnd_; }
  bool IsAlive() const { return hwnd_ != nullptr && IsWindow(hwnd_); }

  // A window of a plain class registered for this program.
  bool CreateWindowFrom(const WindowArgs& args);
  // A modeless dialog from a dialog template of the program's resources.
  bool CreateModelessDialog(int templateId, HWND parent);
  // A modal dialog; returns the value given to EndDialog, or -1 when it could not be created.
  INT_PTR RunModalDialog(int templateId, HWND parent);
  void Destroy();
  // The dialog procedure of a property page made by the system's property sheet: the page's
  // PROPSHEETPAGEW carries the object in its lParam.
  static INT_PTR CALLBACK PropertyPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  // Every message of the window. No value: the default handling (DefWindowProc for windows,
  // FALSE for dialogs). For dialogs the value becomes the message's result.
  virtual std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // The last message; the object is detached from the window afterwards.
  virtual void OnFinalMessage() {}

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // binding: the object to bind to the dialog on WM_INITDIALOG.
  static INT_PTR DispatchDialog(Wnd* binding, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Detach();

  HWND hwnd_ = nullptr;
  bool isDialog_ = false;
};

HINSTANCE ProgramInstance();

}  // namespace postwink::win
