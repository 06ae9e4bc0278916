#pragma once
// A small streaming JSON writer for the CLI's output, in UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace postwink::cli {

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  JsonWriter& Key(std::string_view key);  // ASCII key
  // Invalid UTF-8 is written with U+FFFD, so the output always parses.
  JsonWriter& String(std::string_view text);
  JsonWriter& Utf8String(std::string_view utf8);
  JsonWriter& Number(int64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();
  // Shorthands for a key and its value.
  JsonWriter& Field(std::string_view key, std::string_view text) { return Key(key).String(text); }
  JsonWriter& Field(std::string_view key, const char* text) { return Key(key).String(text); }
  JsonWriter& Field(std::string_view key, int64_t value) { return Key(key).Number(value); }
  JsonWriter& Field(std::string_view key, int value) { return Key(key).Number(value); }
  JsonWriter& Field(std::string_view key, bool value) { return Key(key).Bool(value); }

  const std::string& Text() const { return out_; }

 private:
  void BeforeValue();
  std::string out_;
  std::vector<bool> first_;  // per open container: no element written yet
  bool afterKey_ = false;
};

}  // namespace postwink::cli
