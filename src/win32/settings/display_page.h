#pragma once
// CPropertyPage2 ("表示属性"): the list's and the preview's colours with the colour schemes,
// the two fonts, and the From column without the address.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/settings_ui/colour_schemes.h"
#include "win32/controls/colour_button.h"
#include "win32/settings/settings_page.h"

namespace postwink::win {

class DisplayPage : public SettingsPage {
 public:
  DisplayPage(int position, SheetContext& context);

  const SchemeList* Schemes() const { return schemes_.get(); }
  SchemeColours ButtonColours() const;

 protected:
  void OnInit() override;
  bool Apply() override;
  std::optional<LRESULT> OnPageMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void FillSchemes();
  void SetButtonColours(const SchemeColours& colours);
  void FillFaces();
  void SelectFace(int faceCombo, const std::string& face);
  // Rebuilds the face's size list and selects the size (or the nearest below it).
  void FillSizes(int faceCombo, int sizeCombo, int size);
  int SelectedSize(int sizeCombo) const;
  std::string SelectedText(int combo) const;

  std::unique_ptr<SchemeList> schemes_;
  std::array<CColorButton, kSchemeColourCount> buttons_;
};

}  // namespace postwink::win
