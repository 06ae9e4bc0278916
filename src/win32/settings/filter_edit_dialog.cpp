#include "win32/settings/filter_edit_dialog.h"

#include <array>

#include "win32/resource.h"
#include "win32/settings/settings_page.h"
#include "win32/texts.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

constexpr std::array<int, 4> kTargets = {IDC_FEDIT_FROM, IDC_FEDIT_TO, IDC_FEDIT_SUBJECT,
                                         IDC_FEDIT_OTHER};
constexpr std::array<int, 3> kActions = {IDC_FEDIT_SPAM, IDC_FEDIT_HIDDEN, IDC_FEDIT_COLOURS};
// The colour slots in the order of their values: "From", "Subject", "全部", "MailBox".
constexpr std::array<const char*, 4> kSlots = {"From", "Subject", "全部", "MailBox"};

}  // namespace

FilterEditDialog::FilterEditDialog(FilterRule rule, const Settings& settings, bool regexAvailable)
    : rule_(std::move(rule)), settings_(settings), regexAvailable_(regexAvailable) {}

bool FilterEditDialog::RunModal(HWND owner) {
  return RunModalDialog(IDD_FILTER_EDIT, owner) == IDOK;
}

void FilterEditDialog::OnInit() {
  const FilterEditState state = OpenFilterEdit(rule_, settings_);
  CheckIndex(hwnd(), kTargets, state.target);
  CheckIndex(hwnd(), kActions, state.action);
  CheckDlgButton(hwnd(), IDC_FEDIT_PRESENT, state.whenAbsent == 0);
  CheckDlgButton(hwnd(), IDC_FEDIT_ABSENT, state.whenAbsent == 1);
  CheckDlgButton(hwnd(), IDC_FEDIT_REGEX, state.useRegex);
  SendDlgItemMessageW(hwnd(), IDC_FEDIT_HEADER_NAME, EM_LIMITTEXT, kMaxFilterText, 0);
  SendDlgItemMessageW(hwnd(), IDC_FEDIT_PATTERN, EM_LIMITTEXT, kMaxFilterText, 0);
  SetDlgItemTextW(hwnd(), IDC_FEDIT_HEADER_NAME, Widen(state.headerName).c_str());
  SetDlgItemTextW(hwnd(), IDC_FEDIT_PATTERN, Widen(state.pattern).c_str());
  HWND slots = GetDlgItem(hwnd(), IDC_FEDIT_SLOT);
  for (const char* slot : kSlots) {
    SendMessageW(slots, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(slot).c_str()));
  }
  SendMessageW(slots, CB_SETCURSEL, static_cast<WPARAM>(state.colourSlot), 0);
  textColour_.Attach(GetDlgItem(hwnd(), IDC_FEDIT_TEXT_COLOUR));
  textColour_.SetColour(state.textColour);
  backColour_.Attach(GetDlgItem(hwnd(), IDC_FEDIT_BACK_COLOUR));
  backColour_.SetColour(state.backColour);
  CreateHelpTooltip(tooltip_, hwnd(), IDD_FILTER_EDIT);
  UpdateEnabling();
}

FilterEditState FilterEditDialog::ReadControls() const {
  FilterEditState state;
  state.target = CheckedIndex(hwnd(), kTargets);
  state.action = CheckedIndex(hwnd(), kActions);
  state.headerName = WindowText(GetDlgItem(hwnd(), IDC_FEDIT_HEADER_NAME));
  state.pattern = WindowText(GetDlgItem(hwnd(), IDC_FEDIT_PATTERN));
  state.useRegex = IsDlgButtonChecked(hwnd(), IDC_FEDIT_REGEX) == BST_CHECKED;
  state.whenAbsent = IsDlgButtonChecked(hwnd(), IDC_FEDIT_ABSENT) == BST_CHECKED ? 1 : 0;
  state.textColour = textColour_.Colour();
  state.backColour = backColour_.Colour();
  state.colourSlot =
      static_cast<int>(SendDlgItemMessageW(hwnd(), IDC_FEDIT_SLOT, CB_GETCURSEL, 0, 0));
  return state;
}

void FilterEditDialog::UpdateEnabling() {
  const FilterEditEnabling e = FilterEditEnablingOf(ReadControls(), regexAvailable_);
  EnableWindow(GetDlgItem(hwnd(), IDC_FEDIT_HEADER_NAME), e.headerName);
  for (int id : {IDC_FEDIT_SLOT, IDC_FEDIT_TEXT_LABEL, IDC_FEDIT_TEXT_COLOUR, IDC_FEDIT_BACK_LABEL,
                 IDC_FEDIT_BACK_COLOUR}) {
    EnableWindow(GetDlgItem(hwnd(), id), e.colours);
  }
  EnableWindow(GetDlgItem(hwnd(), IDC_FEDIT_REGEX), e.regex);
}

void FilterEditDialog::OnOk() {
  if (std::optional<std::string> refusal = ConfirmFilterEdit(ReadControls(), rule_)) {
    MessageBoxW(hwnd(), Widen(*refusal).c_str(), Widen(kTextProgramName).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(hwnd(), IDC_FEDIT_PATTERN));
    return;
  }
  EndDialog(hwnd(), IDOK);
}

std::optional<LRESULT> FilterEditDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOk();
          return 0;
        case IDCANCEL:
          EndDialog(hwnd(), IDCANCEL);
          return 0;
        default:
          if (HIWORD(wParam) == BN_CLICKED) UpdateEnabling();
          return std::nullopt;
      }
    case WM_DESTROY:
      tooltip_.Destroy();
      textColour_.Detach();
      backColour_.Detach();
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace postwink::win
