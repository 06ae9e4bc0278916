#pragma once
// The colour button's side of the conversation: its colour, the pop-up-open flag, and the
// messages it sends its parent dialog.

#include <cstdint>

#include "core/ui/colour_palette.h"

namespace postwink {

class ColourButtonModel : public ColourMessageSink {
 public:
  explicit ColourButtonModel(ColourMessageSink& parent, uint32_t colour = kAutomaticColour)
      : parent_(parent), colour_(colour) {}

  uint32_t Colour() const { return colour_; }
  void SetColour(uint32_t colour) { colour_ = colour; }
  bool PopupOpen() const { return popupOpen_; }

  // The pop-up window has been created for a click.
  void PopupOpened();
  // A message from the pop-up: highlight changes go on to the parent; a choice or a cancel
  // ends the pop-up.
  void Notify(ColourMessage message, uint32_t colour) override;

 private:
  ColourMessageSink& parent_;
  uint32_t colour_;
  bool popupOpen_ = false;
};

}  // namespace postwink
