#pragma once
// New mail while the user must not be disturbed (a full-screen game, a presentation, quiet
// hours): the tray icon still animates, but the sound and the list that slides in wait. The
// list comes once the user is available again, or at their next click on the icon.

namespace postwink {

// What the shell says of the user's attention, in the order of its own values (1 to 7).
enum class UserAttention {
  kAway = 1,  // screen saver, locked, another user's session
  kBusy,      // a full-screen application
  kFullScreenD3D,
  kPresenting,
  kAvailable,
  kQuietTime,  // quiet hours, Do Not Disturb
  kStoreApp,   // a full-screen store app
};

// The shell's answer as a value; a failed query or a value this program does not know counts
// as available, so that mail is never withheld for ever.
UserAttention UserAttentionFromShell(bool queried, int value);
// Whether the sound and the list must wait.
bool WithholdsAnnouncements(UserAttention attention);

class AnnouncementGate {
 public:
  // New mail wants the list on screen: true when it may come now, false when it is held.
  bool Admit(UserAttention attention);
  bool Holding() const { return holding_; }
  // The attention asked again while a list is held: true when the list comes now.
  bool Release(UserAttention attention);
  // A click on the tray icon: true when a list was held (it comes now, whatever the state).
  bool TakeOnClick();
  // The user acknowledged the mail some other way; nothing is held any more.
  void Drop() { holding_ = false; }

 private:
  bool holding_ = false;
};

}  // namespace postwink
