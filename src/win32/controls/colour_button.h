#pragma once
// CColorButton: the owner-drawn button behind the colour fields. Attached to a push button of
// a dialog, it draws the colour, opens the palette pop-up on a click, and reports every step
// to the dialog with the messages of core/ui/colour_palette.h.

#include <memory>
#include <string>

#include "core/ui/colour_button_model.h"
#include "core/ui/colour_palette.h"
#include "win32/controls/colour_popup_wnd.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

class CColorButton {
 public:
  CColorButton();
  ~CColorButton();
  CColorButton(const CColorButton&) = delete;
  CColorButton& operator=(const CColorButton&) = delete;

  // Takes over a push button: it becomes owner-drawn, and the dialog's drawing and click
  // notifications for it come here without code in the dialog.
  bool Attach(HWND button);
  void Detach();

  uint32_t Colour() const { return model_.Colour(); }
  void SetColour(uint32_t colour);
  // An empty text leaves the row out of the pop-up.
  void SetAutomaticText(std::string text) { automaticText_ = std::move(text); }
  void SetCustomText(std::string text) { customText_ = std::move(text); }
  bool PopupOpen() const { return model_.PopupOpen(); }
  // The pop-up while it is open, for tests.
  HWND PopupWindow() const;
  const ColourPopupWnd* Popup() const { return PopupWindow() ? popup_.get() : nullptr; }

 private:
  class ParentSink : public ColourMessageSink {
   public:
    explicit ParentSink(const CColorButton& owner) : owner_(owner) {}
    void Notify(ColourMessage message, uint32_t colour) override;

   private:
    const CColorButton& owner_;
  };

  static LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
  static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
  void OpenPopup();
  void Draw(const DRAWITEMSTRUCT& item) const;

  HWND button_ = nullptr;
  HWND parent_ = nullptr;
  ParentSink parentSink_{*this};
  ColourButtonModel model_{parentSink_};
  std::unique_ptr<ColourPopupWnd> popup_;
  COLORREF automaticDisplay_;
  std::string automaticText_{kAutomaticText};
  std::string customText_{kCustomText};
};

}  // namespace postwink::win
