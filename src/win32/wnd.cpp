#include "wnd.h"

namespace postwink::win {

HINSTANCE ProgramInstance() { return GetModuleHandleW(nullptr); }

namespace {

bool EnsureClass(const WindowArgs& args, WNDPROC proc) {
  const wchar_t* name = args.className;
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(ProgramInstance(), name, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = ProgramInstance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = args.classBackground;
  wc.style = args.classStyle;
  wc.lpszClassName = name;
  wc.hIcon = args.classIcon;
  return RegisterClassExW(&wc) != 0;
}

// Dialog procedures return these messages' results directly instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT msg) {
  switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return false;
  }
}

}  // namespace

Wnd::~Wnd() { Destroy(); }

void Wnd::Destroy() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  Detach();
}

void Wnd::Detach() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, isDialog_ ? DWLP_USER : GWLP_USERDATA, 0);
  }
  hwnd_ = nullptr;
}

bool Wnd::CreateWindowFrom(const WindowArgs& args) {
  if (!args.className || !EnsureClass(args, &Wnd::WindowProc)) return false;
  isDialog_ = false;
  HWND hwnd =
      CreateWindowExW(args.exStyle, args.className, args.title.c_str(), args.style, args.x, args.y,
                      args.width, args.height, args.parent, nullptr, ProgramInstance(), this);
  return hwnd != nullptr && hwnd == hwnd_;
}

bool Wnd::CreateModelessDialog(int templateId, HWND parent) {
  isDialog_ = true;
  HWND hwnd = CreateDialogParamW(ProgramInstance(), MAKEINTRESOURCEW(templateId), parent,
                                 &Wnd::DialogProc, reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr && hwnd == hwnd_;
}

INT_PTR Wnd::RunModalDialog(int templateId, HWND parent) {
  isDialog_ = true;
  return DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(templateId), parent, &Wnd::DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

std::optional<LRESULT> Wnd::OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

LRESULT CALLBACK Wnd::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Wnd* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<Wnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Wnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  std::optional<LRESULT> result = self->OnMessage(msg, wParam, lParam);
  LRESULT value = result ? *result : DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    self->Detach();
    self->OnFinalMessage();
  }
  return value;
}

INT_PTR CALLBACK Wnd::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Wnd* binding = msg == WM_INITDIALOG ? reinterpret_cast<Wnd*>(lParam) : nullptr;
  return DispatchDialog(binding, hwnd, msg, wParam, lParam);
}

INT_PTR CALLBACK Wnd::PropertyPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Wnd* binding = nullptr;
  if (msg == WM_INITDIALOG) {
    binding = reinterpret_cast<Wnd*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
    binding->isDialog_ = true;
  }
  return DispatchDialog(binding, hwnd, msg, wParam, lParam);
}

INT_PTR Wnd::DispatchDialog(Wnd* binding, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Wnd* self = binding;
  if (self != nullptr) {
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Wnd*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  std::optional<LRESULT> result = self->OnMessage(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    self->Detach();
    self->OnFinalMessage();
  }
  if (!result) return msg == WM_INITDIALOG ? TRUE : FALSE;
  if (ReturnsDirectly(msg)) return static_cast<INT_PTR>(*result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, *result);
  return TRUE;
}

}  // namespace postwink::win
