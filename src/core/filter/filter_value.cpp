#include "core/filter/filter_value.h"

#include <vector>

#include "core/config/ini_file.h"
#include "core/text/utf8.h"

namespace postwink {

int32_t ReadDecimal(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  uint32_t total = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    total = total * 10u + static_cast<uint32_t>(text[pos++] - '0');
  }
  if (negative) total = 0u - total;
  return static_cast<int32_t>(total);
}

namespace {

// The pieces between commas, empty ones left out (consecutive commas count as one).
std::vector<std::string_view> SplitPieces(std::string_view value) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string_view::npos) comma = value.size();
    if (comma > start) pieces.push_back(value.substr(start, comma - start));
    start = comma + 1;
  }
  return pieces;
}

}  // namespace

namespace {

// The numeric pieces shared by both formats. The legacy MANAGE value has seven: its sixth piece
// was never used and it has no "when absent" piece.
enum class PieceFormat { kFilter, kManage };

void ReadNumberPieces(const std::vector<std::string_view>& pieces, PieceFormat format,
                      FilterRule& rule) {
  const size_t count = format == PieceFormat::kFilter ? 8 : 7;
  for (size_t i = 0; i < pieces.size() && i < count; ++i) {
    int32_t n = ReadDecimal(pieces[i]);
    switch (i) {
      case 0:
        rule.createdMark = n;
        break;
      case 1:
        rule.target = n;
        break;
      case 2:
        rule.action = n;
        break;
      case 3:
        rule.backColour = static_cast<uint32_t>(n);
        break;
      case 4:
        rule.textColour = static_cast<uint32_t>(n);
        break;
      case 5:
        if (format == PieceFormat::kFilter) rule.useRegex = n;
        break;
      case 6:
        rule.colourSlot = n;
        if (format == PieceFormat::kFilter) rule.headerName.clear();
        break;
      case 7:
        rule.whenAbsent = n == 1 ? 1 : 0;
        break;
    }
  }
}

}  // namespace

void ReadFilterValue(std::string_view value, FilterRule& rule) {
  std::vector<std::string_view> pieces = SplitPieces(value);
  ReadNumberPieces(pieces, PieceFormat::kFilter, rule);
  if (pieces.size() <= 8) return;
  std::string name;
  for (size_t i = 8; i < pieces.size(); ++i) {
    name.append(pieces[i]);
    if (name.empty() || name.back() != '\\') break;
    name.back() = ',';
    // The name is cut at the end anyway; stop gathering once it is past the limit.
    if (CountChars(name) > kMaxFilterText) break;
  }
  rule.headerName.assign(CutToChars(name, kMaxFilterText));
}

void ReadManageValue(std::string_view value, FilterRule& rule) {
  ReadNumberPieces(SplitPieces(value), PieceFormat::kManage, rule);
}

std::string FormatFilterValue(const FilterRule& rule) {
  const int32_t numbers[] = {rule.createdMark,
                             rule.target,
                             rule.action,
                             static_cast<int32_t>(rule.backColour),
                             static_cast<int32_t>(rule.textColour),
                             rule.useRegex,
                             rule.colourSlot,
                             rule.whenAbsent};
  std::string value;
  for (int32_t n : numbers) {
    value += DecimalText(n);
    value += ',';
  }
  for (char c : rule.headerName) {
    if (c == ',') value += '\\';
    value += c;
  }
  return value;
}

}  // namespace postwink
