#include "core/pop3/reply_window.h"

#include "core/pop3/pop3_session.h"

namespace postwink {

void ReplyWindow::Push(ExpectedReply reply) {
  bytes_ += reply.commandBytes;
  replies_.push_back(std::move(reply));
}

void ReplyWindow::PopFront() {
  if (replies_.empty()) return;
  bytes_ -= replies_.front().commandBytes;
  replies_.pop_front();
}

void ReplyWindow::Clear() {
  replies_.clear();
  bytes_ = 0;
}

bool ReplyWindow::HasRoom(size_t limit, size_t commandBytes) const {
  if (replies_.empty()) return true;
  return replies_.size() < limit && bytes_ + commandBytes <= kPipelineBytes;
}

bool ReplyWindow::Awaits(SessionState state) const {
  for (const ExpectedReply& r : replies_) {
    if (!r.skip && r.state == state) return true;
  }
  return false;
}

void ReplyWindow::SkipAll() {
  for (ExpectedReply& r : replies_) r.skip = true;
}

}  // namespace postwink
