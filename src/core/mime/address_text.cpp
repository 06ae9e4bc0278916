#include <algorithm>
#include <string_view>

#include "core/mime/parse_message.h"

namespace postwink {
namespace {

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsWhite(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhite(text.back())) text.remove_suffix(1);
  return text;
}

// One address a line: "," becomes CR LF and runs of spaces shrink to one. No UTF-8 character
// holds these bytes, so a byte-wise walk keeps every character whole.
std::string OneAddressALine(std::string_view list) {
  std::string out;
  out.reserve(list.size() + 16);
  for (char c : list) {
    if (c == ',') {
      out += "\r\n";
    } else if (c == ' ' && !out.empty() && out.back() == ' ') {
      continue;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

void FromDisplayName(std::string& from) {
  size_t open = from.find('<');
  if (open == std::string::npos || from.find('>', open) == std::string::npos) return;
  std::string_view name = Trim(std::string_view(from).substr(0, open));
  if (name.empty()) return;
  if (std::count(name.begin(), name.end(), '"') < 2) {
    from = std::string(name);
    return;
  }
  std::string unquoted;
  for (char c : name) {
    if (c != '"') unquoted += c;
  }
  std::string_view trimmed = Trim(unquoted);
  if (!trimmed.empty()) from = std::string(trimmed);
}

std::string AddressTipText(const MailItem& item) {
  std::string tip = "From: " + item.from.value_or("") + "\r\n";
  tip += "To: " + OneAddressALine(item.to.value_or(""));
  if (item.cc) tip += "\r\nCC: " + OneAddressALine(*item.cc);
  return tip;
}

}  // namespace postwink
