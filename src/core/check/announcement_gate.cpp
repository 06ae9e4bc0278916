#include "core/check/announcement_gate.h"

namespace postwink {

UserAttention UserAttentionFromShell(bool queried, int value) {
  if (!queried || value < static_cast<int>(UserAttention::kAway) ||
      value > static_cast<int>(UserAttention::kStoreApp)) {
    return UserAttention::kAvailable;
  }
  return static_cast<UserAttention>(value);
}

bool WithholdsAnnouncements(UserAttention attention) {
  return attention != UserAttention::kAvailable;
}

bool AnnouncementGate::Admit(UserAttention attention) {
  if (!WithholdsAnnouncements(attention)) return true;
  holding_ = true;
  return false;
}

bool AnnouncementGate::Release(UserAttention attention) {
  if (!holding_ || WithholdsAnnouncements(attention)) return false;
  holding_ = false;
  return true;
}

bool AnnouncementGate::TakeOnClick() {
  const bool held = holding_;
  holding_ = false;
  return held;
}

}  // namespace postwink
