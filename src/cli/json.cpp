#include "cli/json.h"
#include "core/text/utf8.h"

#include <cstdio>

#include "cli/command.h"

namespace postwink::cli {

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) out_ += ',';
    first_.back() = false;
  }
}

JsonWriter& JsonWriter::BeginObject() {
  BeforeValue();
  out_ += '{';
  first_.push_back(true);
  return *this;
}
JsonWriter& JsonWriter::EndObject() {
  out_ += '}';
  first_.pop_back();
  return *this;
}
JsonWriter& JsonWriter::BeginArray() {
  BeforeValue();
  out_ += '[';
  first_.push_back(true);
  return *this;
}
JsonWriter& JsonWriter::EndArray() {
  out_ += ']';
  first_.pop_back();
  return *this;
}
JsonWriter& JsonWriter::Key(std::string_view key) {
  BeforeValue();
  afterKey_ = true;  // the key's own string is not another element
  Utf8String(key);
  out_ += ':';
  afterKey_ = true;
  return *this;
}
JsonWriter& JsonWriter::String(std::string_view text) { return Utf8String(ToValidUtf8(text)); }
JsonWriter& JsonWriter::Utf8String(std::string_view utf8) {
  BeforeValue();
  out_ += '"';
  for (unsigned char c : utf8) {
    switch (c) {
      case '"':
        out_ += "\\\"";
        break;
      case '\\':
        out_ += "\\\\";
        break;
      case '\n':
        out_ += "\\n";
        break;
      case '\r':
        out_ += "\\r";
        break;
      case '\t':
        out_ += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out_ += buf;
        } else {
          out_ += static_cast<char>(c);
        }
    }
  }
  out_ += '"';
  return *this;
}
JsonWriter& JsonWriter::Number(int64_t value) {
  BeforeValue();
  out_ += std::to_string(value);
  return *this;
}
JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
  return *this;
}
JsonWriter& JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
  return *this;
}

}  // namespace postwink::cli
