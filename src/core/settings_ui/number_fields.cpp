#include "core/settings_ui/number_fields.h"

#include <cstdio>

#include "core/settings_ui/settings_ui_texts.h"

namespace postwink {

NumberField ReadNumberField(std::string_view text, NumberRange range) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  std::string_view t = text.substr(b, e - b);
  bool negative = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  NumberField field;
  long long value = 0;
  bool digits = !t.empty();
  for (char c : t) {
    if (c < '0' || c > '9') {
      digits = false;
      break;
    }
    // Anything this long is out of every range; stop before it overflows.
    if (value < 100000000000LL) value = value * 10 + (c - '0');
  }
  if (!digits) {
    field.message = texts::kIntegerRequired;
    return field;
  }
  if (negative) value = -value;
  if (value < range.min || value > range.max) {
    char message[160];
    std::snprintf(message, sizeof message, texts::kIntegerRange, range.min, range.max);
    field.message = message;
    return field;
  }
  field.value = static_cast<int>(value);
  return field;
}

}  // namespace postwink
