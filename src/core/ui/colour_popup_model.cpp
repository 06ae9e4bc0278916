#include "core/ui/colour_popup_model.h"

namespace postwink {

ColourPopupModel::ColourPopupModel(uint32_t colour, bool hasAutomatic, bool hasCustom,
                                   ColourPopupHost& host)
    : initial_(colour), hasAutomatic_(hasAutomatic), hasCustom_(hasCustom), host_(host) {
  if (colour == kAutomaticColour && hasAutomatic) {
    current_ = ColourEntry::Automatic();
    return;
  }
  for (int i = 0; i < kPaletteSize; ++i) {
    if (kColourPalette[i].colour == colour) {
      current_ = ColourEntry::Cell(i);
      column_ = i % kPaletteColumns;
      return;
    }
  }
  if (hasCustom) current_ = ColourEntry::Custom();
}

uint32_t ColourPopupModel::ColourOf(ColourEntry entry) const {
  switch (entry.kind) {
    case ColourEntry::Kind::kPalette:
      return kColourPalette[entry.index].colour;
    case ColourEntry::Kind::kAutomatic:
      return kAutomaticColour;
    case ColourEntry::Kind::kCustom:
    case ColourEntry::Kind::kNone:
      break;
  }
  return initial_;
}

void ColourPopupModel::SetHighlight(ColourEntry entry) {
  if (entry == highlight_ || entry.kind == ColourEntry::Kind::kNone) return;
  if (entry.kind == ColourEntry::Kind::kPalette) {
    if (entry.index < 0 || entry.index >= kPaletteSize) return;
    column_ = entry.index % kPaletteColumns;
  }
  if (entry.kind == ColourEntry::Kind::kAutomatic && !hasAutomatic_) return;
  if (entry.kind == ColourEntry::Kind::kCustom && !hasCustom_) return;
  highlight_ = entry;
  host_.Notify(ColourMessage::kChanged, ColourOf(entry));
}

ColourEntry ColourPopupModel::Moved(ColourEntry from, ColourKey key) const {
  using Kind = ColourEntry::Kind;
  switch (from.kind) {
    case Kind::kNone:
      return ColourEntry::Cell(0);
    case Kind::kAutomatic:
      return key == ColourKey::kDown ? ColourEntry::Cell(column_) : from;
    case Kind::kCustom:
      return key == ColourKey::kUp
                 ? ColourEntry::Cell((kPaletteRows - 1) * kPaletteColumns + column_)
                 : from;
    case Kind::kPalette:
      break;
  }
  const int row = from.index / kPaletteColumns;
  const int column = from.index % kPaletteColumns;
  switch (key) {
    case ColourKey::kLeft:
      return column > 0 ? ColourEntry::Cell(from.index - 1) : from;
    case ColourKey::kRight:
      return column < kPaletteColumns - 1 ? ColourEntry::Cell(from.index + 1) : from;
    case ColourKey::kUp:
      if (row > 0) return ColourEntry::Cell(from.index - kPaletteColumns);
      return hasAutomatic_ ? ColourEntry::Automatic() : from;
    case ColourKey::kDown:
      if (row < kPaletteRows - 1) return ColourEntry::Cell(from.index + kPaletteColumns);
      return hasCustom_ ? ColourEntry::Custom() : from;
    default:
      return from;
  }
}

void ColourPopupModel::Hover(ColourEntry entry) {
  if (state_ == State::kOpen) SetHighlight(entry);
}

void ColourPopupModel::Key(ColourKey key) {
  if (state_ != State::kOpen) return;
  switch (key) {
    case ColourKey::kLeft:
    case ColourKey::kRight:
    case ColourKey::kUp:
    case ColourKey::kDown:
      // The first move starts from the current entry.
      SetHighlight(Moved(highlight_.kind != ColourEntry::Kind::kNone ? highlight_ : current_, key));
      break;
    case ColourKey::kEnter:
    case ColourKey::kSpace:
      Choose();
      break;
    case ColourKey::kEscape:
      End(false, initial_);
      break;
    case ColourKey::kOther:
      break;
  }
}

void ColourPopupModel::LeftButtonUp(bool insidePopup) {
  if (state_ != State::kOpen) return;
  if (insidePopup) {
    Choose();
  } else {
    End(false, initial_);
  }
}

void ColourPopupModel::ApplicationDeactivated() {
  if (state_ == State::kOpen) End(false, initial_);
}

void ColourPopupModel::FocusLost() {
  if (state_ == State::kOpen) host_.ReleaseMouse();
}

void ColourPopupModel::Choose() {
  switch (highlight_.kind) {
    case ColourEntry::Kind::kNone:
      // Nothing picked yet: leaving changes nothing.
      End(false, initial_);
      return;
    case ColourEntry::Kind::kCustom: {
      // The dialog runs a modal loop; messages that reach the pop-up meanwhile are ignored.
      state_ = State::kAsking;
      const std::optional<uint32_t> colour = host_.AskCustomColour(initial_);
      state_ = State::kOpen;
      if (colour) {
        End(true, *colour);
      } else {
        End(false, initial_);
      }
      return;
    }
    default:
      End(true, ColourOf(highlight_));
  }
}

void ColourPopupModel::End(bool chosen, uint32_t colour) {
  state_ = State::kEnded;
  host_.ReleaseMouse();
  host_.Notify(chosen ? ColourMessage::kChosen : ColourMessage::kCancelled, colour);
}

}  // namespace postwink
