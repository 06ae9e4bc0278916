#pragma once
// A small streaming JSON writer for the CLI's output; strings are given in code page 932 and
// written as UTF-8.

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
  JsonWriter& String(std::string_view cp932);
  JsonWriter& Utf8String(std::string_view utf8);
  JsonWriter& Number(int64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();
  // Shorthands for a key and its value.
  JsonWriter& Field(std::string_view key, std::string_view cp932) { return Key(key).String(cp932); }
  JsonWriter& Field(std::string_view key, const char* cp932) { return Key(key).String(cp932); }
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
