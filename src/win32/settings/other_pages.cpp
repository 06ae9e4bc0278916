#include "win32/settings/other_pages.h"

#include <commdlg.h>

#include <string>

#include "core/check/hot_key.h"
#include "core/text/utf8.h"
#include "win32/resource.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

// The browse buttons' filters: a display name and a pattern, each ended by a NUL.
constexpr wchar_t kSoundFilter[] = L"WAV Files (*.wav)\0*.wav\0";
constexpr wchar_t kProgramFilter[] = L"EXE Files (*.exe)\0*.exe\0";

}  // namespace

OtherPage::OtherPage(int position, SheetContext& context)
    : SettingsPage(IDD_PROPPAGE5, position, context) {}

void OtherPage::OnInit() {
  const Settings& s = context_.settings;
  for (int id : {IDC_OTHER_SOUND_FILE, IDC_OTHER_EDITOR, IDC_OTHER_MUA}) {
    SendMessageW(Item(id), EM_LIMITTEXT, kMaxPathText, 0);
  }
  SetChecked(IDC_OTHER_USE_SOUND, s.useSound != 0);
  SetItemText(IDC_OTHER_SOUND_FILE, s.soundFile);
  Enable(IDC_OTHER_SOUND_FILE, s.useSound != 0);
  Enable(IDC_OTHER_BROWSE_SOUND, s.useSound != 0);
  SendMessageW(Item(IDC_OTHER_HOTKEY), HKM_SETHOTKEY, HotKeyControlValue(s.hotKey), 0);
  SetItemText(IDC_OTHER_EDITOR, s.editor);
  SetItemText(IDC_OTHER_MUA, s.mua);
  SetChecked(IDC_OTHER_SERVER_SYN, s.serverSyn != 0);
  SetChecked(IDC_OTHER_START_RUN, s.startRun != 0);
  SetChecked(IDC_OTHER_UPDATE_CHECK, s.updateCheck != 0);
}

bool OtherPage::Apply() {
  Settings& s = context_.settings;
  auto path = [this](int id) { return std::string(CutToUtf16Units(ItemText(id), kMaxPathText)); };
  s.useSound = Checked(IDC_OTHER_USE_SOUND) ? 1 : 0;
  s.soundFile = path(IDC_OTHER_SOUND_FILE);
  s.hotKey = HotKeySettingFromControl(
      static_cast<uint16_t>(SendMessageW(Item(IDC_OTHER_HOTKEY), HKM_GETHOTKEY, 0, 0)));
  s.editor = path(IDC_OTHER_EDITOR);
  s.mua = path(IDC_OTHER_MUA);
  s.serverSyn = Checked(IDC_OTHER_SERVER_SYN) ? 1 : 0;
  s.startRun = Checked(IDC_OTHER_START_RUN) ? 1 : 0;
  s.updateCheck = Checked(IDC_OTHER_UPDATE_CHECK) ? 1 : 0;
  return true;
}

void OtherPage::Browse(int field, const wchar_t* filter) {
  std::wstring file = Widen(ItemText(field));
  file.resize(MAX_PATH, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd();
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&ofn)) return;
  file.resize(wcsnlen(file.c_str(), file.size()));
  SetItemText(field, Narrow(file));
}

std::optional<LRESULT> OtherPage::OnPageMessage(UINT msg, WPARAM wParam, LPARAM) {
  if (msg != WM_COMMAND) return std::nullopt;
  if (HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == IDC_OTHER_HOTKEY) {
    MarkModified();
    return 0;
  }
  if (HIWORD(wParam) != BN_CLICKED) return std::nullopt;
  switch (LOWORD(wParam)) {
    case IDC_OTHER_USE_SOUND:
      Enable(IDC_OTHER_SOUND_FILE, Checked(IDC_OTHER_USE_SOUND));
      Enable(IDC_OTHER_BROWSE_SOUND, Checked(IDC_OTHER_USE_SOUND));
      return std::nullopt;
    case IDC_OTHER_BROWSE_SOUND:
      Browse(IDC_OTHER_SOUND_FILE, kSoundFilter);
      return 0;
    case IDC_OTHER_BROWSE_EDITOR:
      Browse(IDC_OTHER_EDITOR, kProgramFilter);
      return 0;
    case IDC_OTHER_BROWSE_MUA:
      Browse(IDC_OTHER_MUA, kProgramFilter);
      return 0;
    default:
      return std::nullopt;
  }
}

AdvancePage::AdvancePage(int position, SheetContext& context)
    : SettingsPage(IDD_PROPPAGEA, position, context) {}

void AdvancePage::OnInit() {
  SetChecked(IDC_ADVANCE_TOOLTIP, context_.settings.showTooltip != 0);
  SetChecked(IDC_ADVANCE_LOG, context_.settings.log != 0);
}

bool AdvancePage::Apply() {
  context_.settings.showTooltip = Checked(IDC_ADVANCE_TOOLTIP) ? 1 : 0;
  context_.settings.log = Checked(IDC_ADVANCE_LOG) ? 1 : 0;
  return true;
}

}  // namespace postwink::win
