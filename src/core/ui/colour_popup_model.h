#pragma once
// The colour pop-up's behaviour: the current entry, the highlight moved by mouse and keys, and
// how it ends. Its messages go to the button through the host.

#include <cstdint>
#include <optional>

#include "core/ui/colour_palette.h"

namespace postwink {

class ColourPopupHost : public ColourMessageSink {
 public:
  // The system's colour dialog, fully open, starting at initial; nullopt when cancelled.
  virtual std::optional<uint32_t> AskCustomColour(uint32_t initial) = 0;
  virtual void ReleaseMouse() = 0;
};

enum class ColourKey { kLeft, kRight, kUp, kDown, kEnter, kSpace, kEscape, kOther };

class ColourPopupModel {
 public:
  ColourPopupModel(uint32_t colour, bool hasAutomatic, bool hasCustom, ColourPopupHost& host);

  ColourEntry Current() const { return current_; }
  ColourEntry Highlight() const { return highlight_; }
  // After the pop-up has sent its last message; the window then destroys itself.
  bool Ended() const { return state_ == State::kEnded; }
  uint32_t ColourOf(ColourEntry entry) const;

  // The mouse is over an entry (None: over no entry, which keeps the highlight).
  void Hover(ColourEntry entry);
  void Key(ColourKey key);
  void LeftButtonUp(bool insidePopup);
  void ApplicationDeactivated();
  void FocusLost();

 private:
  enum class State { kOpen, kAsking, kEnded };

  ColourEntry Moved(ColourEntry from, ColourKey key) const;
  void SetHighlight(ColourEntry entry);
  void Choose();
  void End(bool chosen, uint32_t colour);

  uint32_t initial_;
  bool hasAutomatic_;
  bool hasCustom_;
  ColourPopupHost& host_;
  ColourEntry current_;
  ColourEntry highlight_;
  int column_ = 0;  // the grid column to return to from a text row
  State state_ = State::kOpen;
};

}  // namespace postwink
