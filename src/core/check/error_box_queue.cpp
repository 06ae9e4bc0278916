#include "core/check/error_box_queue.h"

#include <algorithm>
#include <utility>

namespace postwink {

bool ErrorBoxQueue::Push(ErrorBox box) {
  if (showing_ == box || std::find(waiting_.begin(), waiting_.end(), box) != waiting_.end()) {
    return false;
  }
  waiting_.push_back(std::move(box));
  // A box that is showing posts for the next one when it closes.
  return !showing_ && waiting_.size() == 1;
}

std::optional<ErrorBox> ErrorBoxQueue::Begin() {
  if (showing_ || waiting_.empty()) return std::nullopt;
  showing_ = std::move(waiting_.front());
  waiting_.pop_front();
  return showing_;
}

bool ErrorBoxQueue::End() {
  showing_.reset();
  return !waiting_.empty();
}

}  // namespace postwink
