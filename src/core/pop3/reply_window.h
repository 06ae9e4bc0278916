#pragma once
// The replies a POP3 session waits for, oldest first: what each command asked for, so that the
// replies, which the server sends strictly in the order of the commands, are read as what they
// answer. Lock-step keeps one entry; with a server that pipelines, the fetch commands of several
// messages are sent ahead, within a count and a byte budget.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace postwink {

enum class SessionState;

// Few enough commands that they always fit in the socket's send buffer, so that sending never
// waits on a server busy with its answers; enough to keep a link with long round trips full.
inline constexpr size_t kPipelineCommands = 64;
inline constexpr size_t kPipelineBytes = 2048;

struct ExpectedReply {
  explicit ExpectedReply(SessionState state, int number = 0) : state(state), number(number) {}

  SessionState state;
  int number = 0;
  size_t commandBytes = 0;
  // A fetch: what its LIST reply said, and the bytes to reserve for the text.
  std::optional<std::string> sizeText;
  long long expected = -1;
  bool headerOnly = false;  // TOP n 0 for a message too big to fetch whole
  // A UIDL asked only for ids that an earlier, cut-off check left missing: a refusal ends the
  // check normally.
  bool catchUp = false;
  // Asked for before the plan changed (TOP refused, the numbering changed): read and dropped.
  bool skip = false;
};

class ReplyWindow {
 public:
  bool Empty() const { return replies_.empty(); }
  size_t Size() const { return replies_.size(); }
  ExpectedReply& Front() { return replies_.front(); }
  const ExpectedReply& Front() const { return replies_.front(); }

  void Push(ExpectedReply reply);
  void PopFront();
  void Clear();
  // Whether one more command of this many bytes fits; an empty window always takes one.
  bool HasRoom(size_t limit, size_t commandBytes) const;
  // Whether a reply of this state is still to come (and not to be dropped).
  bool Awaits(SessionState state) const;
  // Marks every reply still to come to be dropped.
  void SkipAll();

  std::deque<ExpectedReply>& Replies() { return replies_; }

 private:
  std::deque<ExpectedReply> replies_;
  size_t bytes_ = 0;
};

}  // namespace postwink
