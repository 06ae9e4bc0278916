#pragma once
// The lines of one UIDL listing, each split into its leading number and the text after its
// first space, with lookups by unique id and by number so that matching a mailbox against the
// listing is linear.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace postwink {

class UidlTable {
 public:
  struct Entry {
    int number = 0;
    std::optional<std::string> uniqueId;  // none when the line has no space
  };

  void Clear();
  void Add(std::string_view line);
  size_t Size() const { return entries_.size(); }
  // Bytes held, for the memory bound.
  size_t Bytes() const { return bytes_; }

  // The number of the first line whose unique id equals uniqueId.
  std::optional<int> NumberOf(std::string_view uniqueId);
  // The unique id of the first line whose number is number.
  const std::string* UniqueIdOf(int number);

 private:
  void BuildIndex();
  std::vector<Entry> entries_;
  size_t bytes_ = 0;
  bool indexed_ = false;
  std::unordered_map<std::string_view, int> byId_;
  std::unordered_map<int, const std::string*> byNumber_;
};

// A decimal number as the C library's atoi reads it: leading blanks, an optional sign, digits up
// to the first other byte; no digits read as 0; saturates instead of overflowing.
int ReadReplyNumber(std::string_view text);

}  // namespace postwink
