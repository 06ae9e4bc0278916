#include "win32/list/export_message.h"

#include "core/mime/message_export.h"
#include "win32/texts.h"
#include "win32/wide_text.h"

namespace postwink::win {

void ExportMessage(HWND owner, const MailItem& item, const std::string& editor, TempFolder& folder,
                   const CharsetContext& charsets) {
  if (editor.empty()) return;
  ExportResult file = WriteExportFile(item, folder, charsets);
  std::wstring caption = Widen(kTextProgramName);
  if (!file.written) {
    MessageBoxW(owner, Widen(CannotOpenFileText(file.path)).c_str(), caption.c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  // CreateProcessW may write into the command line it is given.
  std::wstring commandLine = Widen(EditorCommandLine(editor, file.path));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForInputIdle(process.hProcess, kEditorReadyMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    MessageBoxW(owner, Widen(kTextEditorFailed).c_str(), caption.c_str(),
                MB_OK | MB_ICONEXCLAMATION);
  }
  SetCursor(previous);
}

}  // namespace postwink::win
