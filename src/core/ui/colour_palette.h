#pragma once
// The colour picker's palette and the messages its button sends to the parent dialog.

#include <array>
#include <cstdint>
#include <string_view>

namespace postwink {

// "Automatic": no colour of its own.
inline constexpr uint32_t kAutomaticColour = 0xFF000000;

struct PaletteColour {
  uint32_t colour;  // 0x00BBGGRR
  std::string_view name;
};

inline constexpr int kPaletteColumns = 8;
inline constexpr int kPaletteRows = 5;
inline constexpr int kPaletteSize = kPaletteColumns * kPaletteRows;

// Row by row, as the pop-up shows them.
inline constexpr std::array<PaletteColour, kPaletteSize> kColourPalette = {{
    {0x000000, "Black"},
    {0x002AA5, "Brown"},
    {0x404000, "Dark Olive Green"},
    {0x005500, "Dark Green"},
    {0x5E0000, "Dark Teal"},
    {0x8B0000, "Dark blue"},
    {0x82004B, "Indigo"},
    {0x282828, "Dark grey"},
    {0x00008B, "Dark red"},
    {0x2068FF, "Orange"},
    {0x008B8B, "Dark yellow"},
    {0x009300, "Green"},
    {0x8E8E38, "Teal"},
    {0xFF0000, "Blue"},
    {0xC07B7B, "Blue-grey"},
    {0x666666, "Grey - 40"},
    {0x0000FF, "Red"},
    {0x5BADFF, "Light orange"},
    {0x32CD32, "Lime"},
    {0x71B33C, "Sea green"},
    {0xD4FF7F, "Aqua"},
    {0xC09E7D, "Light blue"},
    {0x800080, "Violet"},
    {0x7F7F7F, "Grey - 50"},
    {0xCBC0FF, "Pink"},
    {0x00D7FF, "Gold"},
    {0x00FFFF, "Yellow"},
    {0x00FF00, "Bright green"},
    {0xD0E040, "Turquoise"},
    {0xFFFFC0, "Skyblue"},
    {0x480048, "Plum"},
    {0xC0C0C0, "Light grey"},
    {0xE1E4FF, "Rose"},
    {0x8CB4D2, "Tan"},
    {0xE0FFFF, "Light yellow"},
    {0x98FB98, "Pale green "},
    {0xEEEEAF, "Pale turquoise"},
    {0x8B8368, "Pale blue"},
    {0xFAE6E6, "Lavender"},
    {0xFFFFFF, "White"},
}};

inline constexpr std::string_view kAutomaticText = "Automatic";
inline constexpr std::string_view kCustomText = "More Colors...";

// wParam the colour, lParam the button's control id.
enum class ColourMessage : unsigned {
  kChanged = 2025,    // WM_COLOUR_CHANGED
  kDropDown = 2026,   // WM_COLOUR_DROPDOWN
  kCloseUp = 2027,    // WM_COLOUR_CLOSEUP
  kChosen = 2028,     // WM_COLOUR_CHOSEN
  kCancelled = 2029,  // WM_COLOUR_CANCELLED
};

class ColourMessageSink {
 public:
  virtual ~ColourMessageSink() = default;
  virtual void Notify(ColourMessage message, uint32_t colour) = 0;
};

// An entry of the pop-up: a palette cell, the automatic row or the custom row.
struct ColourEntry {
  enum class Kind { kNone, kPalette, kAutomatic, kCustom };
  Kind kind = Kind::kNone;
  int index = 0;  // palette cells only

  static ColourEntry None() { return {}; }
  static ColourEntry Cell(int i) { return {Kind::kPalette, i}; }
  static ColourEntry Automatic() { return {Kind::kAutomatic, 0}; }
  static ColourEntry Custom() { return {Kind::kCustom, 0}; }
  friend bool operator==(const ColourEntry&, const ColourEntry&) = default;
};

}  // namespace postwink
