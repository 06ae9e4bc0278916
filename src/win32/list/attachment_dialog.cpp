#include "win32/list/attachment_dialog.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "core/list/attachment_prompt.h"
#include "core/mime/attachment_file.h"
#include "win32/handles.h"
#include "win32/resource.h"
#include "win32/texts.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

void Tell(HWND owner, const std::string& text) {
  MessageBoxW(owner, Widen(text).c_str(), Widen(kTextProgramName).c_str(),
              MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

bool MarkFromInternet(const std::string& path) {
  KernelHandle stream(CreateFileW(Widen(path + kZoneIdentifierStream).c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!stream.valid()) return false;
  const std::string_view mark = kInternetZoneMark;
  DWORD written = 0;
  return WriteFile(stream.get(), mark.data(), static_cast<DWORD>(mark.size()), &written, nullptr) &&
         written == mark.size();
}

INT_PTR AttachmentDialog::Run(HWND owner) { return RunModalDialog(IDD_ATTACHMENT, owner); }

void AttachmentDialog::Open() {
  // A file system without streams (FAT, a network share) opens it unmarked, as before.
  MarkFromInternet(path_);
  auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(hwnd(), L"open", Widen(path_).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) Tell(hwnd(), ShellOpenErrorText(static_cast<int>(result), path_));
}

void AttachmentDialog::Save() {
  std::wstring proposed = Widen(FileNamePart(path_));
  std::vector<wchar_t> chosen(32768, L'\0');
  proposed.copy(chosen.data(), chosen.size() - 1);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd();
  ofn.lpstrFile = chosen.data();
  ofn.nMaxFile = static_cast<DWORD>(chosen.size());
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (!GetSaveFileNameW(&ofn)) return;  // cancelled: the file stays for another try
  std::wstring source = Widen(path_);
  if (CopyFileW(source.c_str(), chosen.data(), FALSE)) {
    MarkFromInternet(Narrow(chosen.data()));
  } else {
    Tell(hwnd(), kTextSaveFailed);
  }
  DeleteFileW(source.c_str());
}

std::optional<LRESULT> AttachmentDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextW(hwnd(), IDC_ATTACH_QUESTION, Widen(AttachmentQuestion(path_)).c_str());
      // Save is the default button: it has the focus, so Enter saves.
      SetFocus(GetDlgItem(hwnd(), IDC_ATTACH_SAVE));
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          Open();
          break;
        case IDC_ATTACH_SAVE:
          Save();
          break;
        case IDCANCEL:
          break;
        default:
          return std::nullopt;
      }
      EndDialog(hwnd(), LOWORD(wParam));
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
