#pragma once
// The colour picker's pop-up palette window. Behaviour lives in ColourPopupModel; this window
// feeds it mouse and keys, paints it, and carries its messages to the button.

#include <array>
#include <string>

#include "core/ui/colour_popup_layout.h"
#include "core/ui/colour_popup_model.h"
#include "win32/handles.h"
#include "win32/platform/windows_headers.h"
#include "win32/wnd.h"

namespace postwink::win {

class ColourPopupWnd : public Wnd, private ColourPopupHost {
 public:
  // automaticText, customText: empty leaves the row out.
  ColourPopupWnd(HWND button, uint32_t colour, std::string automaticText, std::string customText);
  ~ColourPopupWnd() override;

  // Opens below the button's screen rectangle (or above it near the bottom of the screen),
  // takes the focus and the mouse.
  bool Create(const RECT& button);

  const ColourPopupModel& Model() const { return model_; }
  const ColourPopupLayout& Layout() const { return layout_; }

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Notify(ColourMessage message, uint32_t colour) override;
  std::optional<uint32_t> AskCustomColour(uint32_t initial) override;
  void ReleaseMouse() override;

  void AfterInput();
  void Paint(HDC dc);
  void DrawTextRow(HDC dc, const Rect& row, const std::string& text, ColourEntry entry);
  void AddCellTips();

  HWND button_;
  std::string automaticText_;
  std::string customText_;
  ColourPopupModel model_;
  ColourPopupLayout layout_;
  GdiHandle font_;
  GdiHandle palette_;  // only on displays with a palette (256 colours)
  WindowHandle tips_;
  int edge_ = 2;
};

}  // namespace postwink::win
