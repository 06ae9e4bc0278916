#include "win32/settings/settings_page.h"

#include <vector>

#include "core/ui/colour_palette.h"
#include "win32/texts.h"
#include "win32/wide_text.h"

namespace postwink::win {

std::string LoadProgramString(int id) {
  const wchar_t* text = nullptr;
  // With a zero length the call hands out the resource's own read-only text.
  int length =
      LoadStringW(ProgramInstance(), static_cast<UINT>(id), reinterpret_cast<wchar_t*>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return Narrow(std::wstring_view(text, static_cast<size_t>(length)));
}

void CreateHelpTooltip(CPPTooltip& tooltip, HWND dialog, int dialogId) {
  if (!tooltip.Create(dialog, true)) return;
  tooltip.SetPlacement(BalloonPlacement::kAboveRight);
  // Direct children only: a drop-down's own edit field belongs to its combo box's tool.
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(child);
    if (id < 1000 || id >= 1100) continue;
    std::string text = LoadProgramString(TooltipStringId(dialogId, id));
    if (!text.empty()) tooltip.AddTool(child, text);
  }
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return Narrow(text);
}

int CheckedIndex(HWND dialog, std::span<const int> group) {
  for (size_t i = 0; i < group.size(); ++i) {
    if (IsDlgButtonChecked(dialog, group[i]) == BST_CHECKED) return static_cast<int>(i);
  }
  return -1;
}

void CheckIndex(HWND dialog, std::span<const int> group, int index) {
  for (size_t i = 0; i < group.size(); ++i) {
    CheckDlgButton(dialog, group[i], static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED);
  }
}

namespace {

bool IsToggle(HWND button) {
  switch (GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return true;
    default:
      return false;
  }
}

}  // namespace

SettingsPage::SettingsPage(int templateId, int position, SheetContext& context)
    : context_(context), templateId_(templateId), position_(position) {}

PROPSHEETPAGEW SettingsPage::Descriptor() {
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.hInstance = ProgramInstance();
  page.pszTemplate = MAKEINTRESOURCEW(templateId_);
  page.pfnDlgProc = &Wnd::PropertyPageProc;
  page.lParam = reinterpret_cast<LPARAM>(static_cast<Wnd*>(this));
  return page;
}

std::string SettingsPage::ItemText(int id) const { return WindowText(Item(id)); }

void SettingsPage::SetItemText(int id, const std::string& text) {
  SetDlgItemTextW(hwnd(), id, Widen(text).c_str());
}

bool SettingsPage::Checked(int id) const { return IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }

void SettingsPage::SetChecked(int id, bool checked) {
  CheckDlgButton(hwnd(), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void SettingsPage::Enable(int id, bool enable) { EnableWindow(Item(id), enable ? TRUE : FALSE); }

std::optional<int> SettingsPage::ReadNumber(int id, NumberRange range) {
  NumberField field = ReadNumberField(ItemText(id), range);
  if (field.value) return field.value;
  ShowMessage(field.message, MB_OK | MB_ICONEXCLAMATION);
  SetFocus(Item(id));
  SendMessageW(Item(id), EM_SETSEL, 0, -1);
  return std::nullopt;
}

int SettingsPage::ShowMessage(const std::string& text, UINT type) {
  return MessageBoxW(hwnd(), Widen(text).c_str(), Widen(kTextProgramName).c_str(), type);
}

void SettingsPage::MarkModified() {
  if (filling_ || !IsAlive()) return;
  PropSheet_Changed(GetParent(hwnd()), hwnd());
}

void SettingsPage::Filling(const std::function<void()>& fill) {
  bool was = filling_;
  filling_ = true;
  fill();
  filling_ = was;
}

std::optional<LRESULT> SettingsPage::OnPageMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

std::optional<LRESULT> SettingsPage::OnSheetNotification(const NMHDR& header) {
  switch (header.code) {
    case PSN_SETACTIVE:
      if (context_.activated) context_.activated(position_);
      return 0;
    case PSN_KILLACTIVE:
      return Validate() ? FALSE : TRUE;
    case PSN_APPLY: {
      const bool taken = Validate() && Apply();
      const bool okButton = reinterpret_cast<const PSHNOTIFY&>(header).lParam != 0;
      if (context_.applied) context_.applied(position_, okButton, taken);
      return taken ? PSNRET_NOERROR : PSNRET_INVALID;
    }
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> SettingsPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    CreateHelpTooltip(tooltip_, hwnd(), templateId_);
    Filling([this] { OnInit(); });
    return TRUE;
  }
  if (msg == WM_NOTIFY) {
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.hwndFrom == GetParent(hwnd())) {
      if (std::optional<LRESULT> handled = OnSheetNotification(header)) return handled;
    }
  }
  if (msg == WM_DESTROY) tooltip_.Destroy();
  std::optional<LRESULT> result = OnPageMessage(msg, wParam, lParam);
  // Every change of a control enables Apply; push buttons mark the page themselves when what
  // they do is a change.
  if (msg == WM_COMMAND) {
    switch (HIWORD(wParam)) {
      case EN_CHANGE:
      case CBN_SELCHANGE:
      case CBN_EDITCHANGE:
        MarkModified();
        break;
      case BN_CLICKED:
        if (IsToggle(reinterpret_cast<HWND>(lParam))) MarkModified();
        break;
      default:
        break;
    }
  } else if (msg == static_cast<UINT>(ColourMessage::kChosen)) {
    MarkModified();
  }
  return result;
}

}  // namespace postwink::win
