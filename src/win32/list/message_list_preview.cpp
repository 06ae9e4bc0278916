// The preview pane: a read-only rich edit under the list that shows the selected message's
// text, with fonts bound for the scripts its face lacks.
#include "win32/list/message_list_wnd.h"

#include <richedit.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/mime/body_and_parts.h"
#include "core/ui/scale.h"
#include "win32/controls/script_text.h"
#include "win32/high_contrast.h"
#include "win32/list/message_list_wnd_internal.h"
#include "win32/wide_text.h"

namespace postwink::win {

namespace {

// The rich edit class of the newest library the system has.
const wchar_t* RichEditClass() {
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  if (GetClassInfoExW(nullptr, MSFTEDIT_CLASS, &info)) return MSFTEDIT_CLASS;
  if (LoadLibraryW(L"Msftedit.dll") && GetClassInfoExW(nullptr, MSFTEDIT_CLASS, &info)) {
    return MSFTEDIT_CLASS;
  }
  if (!GetClassInfoExW(nullptr, RICHEDIT_CLASSW, &info)) LoadLibraryW(L"riched20.dll");
  return RICHEDIT_CLASSW;
}

// Gives the stretches of the preview's text that its face lacks the face of a font that has
// them. The rich edit control binds fonts itself on Windows, but not every version (nor Wine)
// does it for every script.
void BindFallbackFonts(HWND edit, HFONT font) {
  GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LRESULT count =
      SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
  if (count <= 0) return;
  std::wstring text(static_cast<size_t>(count) + 1, L'\0');
  GETTEXTEX get{};
  get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  get.flags = GT_DEFAULT;
  get.codepage = 1200;
  const LRESULT got = SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, count)));
  HDC dc = GetDC(edit);
  HGDIOBJ old = SelectObject(dc, font);
  const std::vector<FontSpan> spans = TextFallbackSpans(dc, text);
  SelectObject(dc, old);
  ReleaseDC(edit, dc);
  for (const FontSpan& span : spans) {
    CHARRANGE range{static_cast<LONG>(span.first), static_cast<LONG>(span.first + span.length)};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_CHARSET;
    format.bCharSet = DEFAULT_CHARSET;
    span.face.substr(0, LF_FACESIZE - 1).copy(format.szFaceName, LF_FACESIZE - 1);
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
}

}  // namespace

void MessageListWnd::CreatePreview() {
  const Settings& s = context_.settings;
  RECT client;
  GetClientRect(hwnd(), &client);
  const int height = ScalePixels(SanePaneHeight(s.previewHeight), dpi_);
  preview_ = CreateWindowExW(WS_EX_STATICEDGE, RichEditClass(), L"",
                             WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
                             client.bottom, client.right, height, hwnd(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPreviewId)),
                             ProgramInstance(), nullptr);
  if (!preview_) return;
  SendMessageW(preview_, WM_SETFONT, reinterpret_cast<WPARAM>(previewFont_.get()), FALSE);
  // A long message must show whole, beyond the control's default of 32,767 characters.
  SendMessageW(preview_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET | CFM_BOLD | CFM_ITALIC |
                  CFM_UNDERLINE | CFM_STRIKEOUT;
  format.dwEffects = 0;
  format.yHeight = SanePoints(s.fontSizePreview) * 20;
  const bool system = HighContrastOn();
  format.crTextColor = system ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(s.preRgb);
  format.bCharSet = SHIFTJIS_CHARSET;
  Widen(s.fontNamePreview).copy(format.szFaceName, LF_FACESIZE - 1);
  SendMessageW(preview_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  // Characters the Japanese face lacks (Hangul, Thai, emoji) get a font of their own script.
  const LRESULT language = SendMessageW(preview_, EM_GETLANGOPTIONS, 0, 0);
  SendMessageW(preview_, EM_SETLANGOPTIONS, 0, language | IMF_AUTOFONT | IMF_DUALFONT);
  SendMessageW(preview_, EM_SETBKGNDCOLOR, 0,
               static_cast<LPARAM>(system ? GetSysColor(COLOR_WINDOW) : s.prebgRgb));
  SendMessageW(preview_, EM_AUTOURLDETECT, TRUE, 0);
  SendMessageW(preview_, EM_SETEVENTMASK, 0, ENM_LINK | ENM_MOUSEEVENTS | ENM_KEYEVENTS);
  Layout();
}

bool MessageListWnd::PreviewVisible() const { return preview_ && IsWindowVisible(preview_); }

void MessageListWnd::ShowPreview(int row) {
  MailItem* item = ItemAt(row);
  if (!preview_ || !item) return;
  // Filled without drawing, then shown from its start.
  SendMessageW(preview_, WM_SETREDRAW, FALSE, 0);
  HideCaret(preview_);
  SetWindowTextW(preview_, L"");
  SendMessageW(preview_, EM_SETSEL, static_cast<WPARAM>(-1), -1);
  PartList parts;
  std::optional<std::string> body = GetBodyAndParts(*item, parts, context_.charsets);
  std::wstring text = Widen(body ? *body : std::string());
  SendMessageW(preview_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  BindFallbackFonts(preview_, static_cast<HFONT>(previewFont_.get()));
  ShowWindow(preview_, SW_SHOWNA);
  SendMessageW(preview_, EM_SETSEL, 0, 0);
  SendMessageW(preview_, EM_SCROLLCARET, 0, 0);
  // The message counts as read once it has been shown this long.
  previewRow_ = row;
  markReadItem_ = item;
  RunTimerSteps({{TimerStep::Kind::kStart, ListTimer::kMarkRead, kMarkReadMs}});
  Layout();
  FitToContent();
  SendMessageW(preview_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(preview_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  ShowCaret(preview_);
}

void MessageListWnd::HidePreview() {
  if (!PreviewVisible()) return;
  if (GetFocus() == preview_) SetFocus(list_.hwnd());
  ShowWindow(preview_, SW_HIDE);
  Layout();
  FitToContent();
  previewRow_ = -2;
}

}  // namespace postwink::win
