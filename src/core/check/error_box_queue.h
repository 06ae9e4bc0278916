#pragma once
// Error boxes one at a time. A failure is found deep inside a socket read; a modal box shown
// there would run a message loop in the middle of the read, where timers can start another
// cycle on the same connection state. So the host only notes the box and posts itself a message;
// the box is shown once the read has unwound, never on top of another box, and a box equal to
// one already showing or waiting is not repeated (a failing account that is checked again while
// its box is open).

#include <deque>
#include <optional>
#include <string>

namespace postwink {

struct ErrorBox {
  std::string text;
  std::string caption;
  bool operator==(const ErrorBox&) const = default;
};

class ErrorBoxQueue {
 public:
  // Notes a box. True when the host is to post itself the message that shows it.
  bool Push(ErrorBox box);
  // The posted message arrived: the box to show now, or none while one is showing.
  std::optional<ErrorBox> Begin();
  // The box shown was closed. True when another is waiting (post the message again).
  bool End();

 private:
  std::optional<ErrorBox> showing_;
  std::deque<ErrorBox> waiting_;
};

}  // namespace postwink
