#pragma once
// IMAP server responses (RFC 3501): a reader that assembles one response from the transport's
// lines, taking in the literals ({n} CR LF and n bytes) that may span lines and reads, and a
// parser of the assembled response into tagged, untagged and continuation responses with their
// values (atoms, numbers, quoted strings, literals, NIL, nested lists).
//
// Everything is bounded: a literal keeps at most the reader's literal limit (the rest is read
// and dropped, and the value says how long it really was), a response's own text and its count
// of literals are capped, and lists nest only so deep. A server past those bounds gets an error,
// never unbounded memory.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace postwink {

struct ImapValue {
  enum class Kind { kAtom, kNumber, kString, kNil, kList };
  Kind kind = Kind::kNil;
  // Atom (as sent), number (its digits), string (quoted: unescaped; literal: the bytes kept).
  std::string text;
  uint64_t number = 0;
  // A literal's announced length; text holds fewer bytes when truncated.
  size_t literalSize = 0;
  bool truncated = false;
  std::vector<ImapValue> items;  // kList

  bool IsAtom(std::string_view upper) const;
  // Atom, number or string: its text; NIL: nullopt.
  std::optional<std::string_view> Text() const;
};

enum class ImapStatus { kNone, kOk, kNo, kBad, kBye, kPreauth };

struct ImapResponse {
  enum class Kind { kUntagged, kTagged, kContinuation };
  Kind kind = Kind::kUntagged;
  std::string tag;  // kTagged
  // OK, NO, BAD, BYE, PREAUTH (tagged responses always carry one).
  ImapStatus status = ImapStatus::kNone;
  std::string code;      // the response code's atom in upper case ("UIDVALIDITY"), or empty
  std::string codeArgs;  // what followed it inside the brackets, as sent
  std::string text;      // human-readable text (status and continuation responses)
  // Untagged data: "* 5 EXISTS" has number 5 and name "EXISTS"; "* SEARCH 1 2" has name
  // "SEARCH" and the values 1 and 2; "* 3 FETCH (...)" has the list as its one value.
  std::optional<uint32_t> number;
  std::string name;  // upper case
  std::vector<ImapValue> values;
};

struct ImapLimits {
  size_t maxLiteralKept = 1u << 20;
  // A literal longer than this is taken as a server streaming without end.
  uint64_t maxLiteralSize = 1ull << 30;
  size_t maxResponseText = 1u << 20;  // the response without its literals
  size_t maxLiterals = 4096;
  size_t maxDepth = 64;
};

// Parses one assembled response: text is the response without its CR LF and with every literal's
// bytes removed (the "{n}" marker stays); literals holds them in order.
struct ImapParseResult {
  std::optional<ImapResponse> response;
  std::string error;  // when response is empty
};
ImapParseResult ParseImapResponse(std::string_view text, std::vector<ImapValue> literals,
                                  size_t maxDepth = ImapLimits{}.maxDepth);

class ImapResponseReader {
 public:
  explicit ImapResponseReader(ImapLimits limits = {}) : limits_(limits) {}

  // How much of each literal is kept; the session lowers it to what a fetch asked for.
  void SetLiteralKept(size_t bytes) { limits_.maxLiteralKept = bytes; }

  enum class Status { kMore, kResponse, kError };
  struct Result {
    Status status = Status::kMore;
    ImapResponse response;  // kResponse
    std::string error;      // kError: the reader must be reset before it is fed again
  };
  // One line from the line splitter, without its CR LF.
  Result Feed(std::string_view line);
  void Reset();

  // Bytes held for the response being assembled.
  size_t HeldBytes() const;

 private:
  Result Finish();
  Result Fail(std::string error);
  // Takes bytes of the literal being read; returns what is left of the line after it.
  std::string_view TakeLiteral(std::string_view bytes);
  void StartLiteral(uint64_t size);

  ImapLimits limits_;
  std::string text_;
  std::vector<ImapValue> literals_;
  uint64_t literalLeft_ = 0;  // bytes of the current literal still to come
  bool inLiteral_ = false;
};

}  // namespace postwink
