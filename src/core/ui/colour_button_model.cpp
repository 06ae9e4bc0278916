#include "core/ui/colour_button_model.h"

namespace postwink {

void ColourButtonModel::PopupOpened() {
  popupOpen_ = true;
  parent_.Notify(ColourMessage::kDropDown, colour_);
}

void ColourButtonModel::Notify(ColourMessage message, uint32_t colour) {
  switch (message) {
    case ColourMessage::kChanged:
      if (popupOpen_) parent_.Notify(ColourMessage::kChanged, colour);
      break;
    case ColourMessage::kChosen:
    case ColourMessage::kCancelled: {
      if (!popupOpen_) return;
      popupOpen_ = false;
      const uint32_t old = colour_;
      const bool chosen = message == ColourMessage::kChosen;
      if (chosen) colour_ = colour;
      parent_.Notify(ColourMessage::kCloseUp, colour_);
      parent_.Notify(message, colour);
      if (chosen && colour_ != old) parent_.Notify(ColourMessage::kChanged, colour_);
      break;
    }
    case ColourMessage::kDropDown:
    case ColourMessage::kCloseUp:
      break;
  }
}

}  // namespace postwink
