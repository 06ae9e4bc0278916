#pragma once
// The tool tip's small mark-up language, read into a list of tokens that both layout passes
// walk. Texts are UTF-8.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace postwink {

enum class MarkupOp {
  kText,
  kLineBreak,  // value: lines to advance (br, "\n")
  kTab,        // value: tab stops to advance (t, "\t")
  kBold,       // closing: back to the base weight
  kItalic,
  kUnderline,
  kStrikeOut,
  kTextColour,       // ct: value 0x00BBGGRR; closing or no value: the default text colour
  kTextColourIndex,  // cti: colour table index
  kBackColour,       // cb: opening also makes the background opaque, closing transparent
  kBackColourIndex,  // cbi
  kAlignLeft,        // al, al_l, and the closing al_c / al_r
  kAlignCentre,      // al_c
  kAlignRight,       // al_r
  kRule,             // hr: value pixels, or a percentage when percent is set
};

struct MarkupToken {
  MarkupOp op = MarkupOp::kText;
  bool closing = false;
  std::optional<uint32_t> value;  // empty: the tag's default
  bool percent = false;           // hr only: the value ended in "%"
  std::string text;               // kText only

  friend bool operator==(const MarkupToken&, const MarkupToken&) = default;
};

inline MarkupToken MarkupText(std::string text) {
  MarkupToken token;
  token.text = std::move(text);
  return token;
}

inline MarkupToken MarkupTag(MarkupOp op, std::optional<uint32_t> value = std::nullopt,
                             bool closing = false, bool percent = false) {
  MarkupToken token;
  token.op = op;
  token.value = value;
  token.closing = closing;
  token.percent = percent;
  return token;
}

// For test failure messages.
void PrintTo(const MarkupToken& token, std::ostream* out);

// Reads the whole text. Never fails: unknown tags and a tag left open at the end of the text
// are dropped.
std::vector<MarkupToken> ParseMarkup(std::string_view text);

// The words a tip shows without their looks, as a screen reader says them: line breaks and
// rules become line ends, tabs a tab.
std::string MarkupPlainText(const std::vector<MarkupToken>& tokens);

}  // namespace postwink
