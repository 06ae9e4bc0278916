#pragma once
// The base of the settings sheet's pages: a property page bound to its object, with its tool
// tips, the page-modified marking, and the sheet's notifications turned into a few virtuals.

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/check/check_engine.h"
#include "core/config/settings.h"
#include "core/settings_ui/number_fields.h"
#include "win32/controls/pp_tooltip.h"
#include "win32/platform/windows_headers.h"
#include "win32/run_key.h"
#include "win32/wnd.h"

namespace postwink::win {

// What the pages of one sheet work on and tell each other.
struct SheetContext {
  Settings& settings;
  CheckEngine& engine;
  std::string programDirectory;  // ends with its separator; ColorList.ini is there
  bool windows98OrMe = false;
  // A page became the active one (its position in the sheet).
  std::function<void(int position)> activated;
  // A page took its values (or refused them) for the sheet's OK or Apply.
  std::function<void(int position, bool okButton, bool taken)> applied;
  RunKey runKey{};
  // The sign-in behind the accounts page's "サインイン..." button; none where there is no browser.
  TokenProvider* tokens = nullptr;
};

// The string id of a control's help text: D * 100 + (C - 1000) for control C of dialog D.
inline int TooltipStringId(int dialog, int control) { return dialog * 100 + control - 1000; }
// The program's string, as UTF-8; empty when there is none.
std::string LoadProgramString(int id);
// Creates the dialog's balloon tips and gives every direct child that has a help text its tip.
void CreateHelpTooltip(CPPTooltip& tooltip, HWND dialog, int dialogId);
// A control's text, as UTF-8.
std::string WindowText(HWND window);
// The position of the checked button in a group of the dialog's buttons; -1 when none is.
int CheckedIndex(HWND dialog, std::span<const int> group);
// Checks the button at index in the group and clears the others; -1 checks none.
void CheckIndex(HWND dialog, std::span<const int> group, int index);

class SettingsPage : public Wnd {
 public:
  SettingsPage(int templateId, int position, SheetContext& context);

  PROPSHEETPAGEW Descriptor();
  int TemplateId() const { return templateId_; }
  const CPPTooltip& Tooltip() const { return tooltip_; }

 protected:
  // Fills the controls from the settings when the page is first shown.
  virtual void OnInit() = 0;
  // Before the page is left and before Apply; false keeps the user on the page, the message
  // shown.
  virtual bool Validate() { return true; }
  // Takes the controls' values over; false refuses the Apply, the message shown.
  virtual bool Apply() = 0;
  // The page's own messages; changes it does not handle still mark it modified.
  virtual std::optional<LRESULT> OnPageMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  HWND Item(int id) const { return GetDlgItem(hwnd(), id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text);
  bool Checked(int id) const;
  void SetChecked(int id, bool checked);
  void Enable(int id, bool enable);
  // The number in a field, or none after the range message has been shown and the field given
  // the focus.
  std::optional<int> ReadNumber(int id, NumberRange range);
  int ShowMessage(const std::string& text, UINT type);
  // Enables the sheet's Apply button; ignored while the controls are being filled.
  void MarkModified();
  // Runs fill with change notifications ignored.
  void Filling(const std::function<void()>& fill);

  SheetContext& context_;

 private:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) final;
  std::optional<LRESULT> OnSheetNotification(const NMHDR& header);

  int templateId_;
  int position_;
  bool filling_ = false;
  CPPTooltip tooltip_;
};

}  // namespace postwink::win
