#pragma once
// The message list's commands apart from its windows: what the context menus offer for a
// selection, which key does what, the read/unread flip and the attachment menu's entries.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/mime/mail_item.h"
#include "core/mime/mime_parts.h"

namespace postwink {

// Command ids of the context menu (menu resource 142) and the attachment menu.
inline constexpr int kCmdDelete = 32772;
inline constexpr int kCmdReadToggle = 32774;
inline constexpr int kCmdOpenInEditor = 32775;
inline constexpr int kCmdAttachmentFirst = 32776;  // + part index
inline constexpr int kCmdAttachmentLast = 32786;   // part index 10: later parts are not opened
inline constexpr int kCmdOpenLink = 32879;
inline constexpr int kCmdStartMailer = 32881;
inline constexpr int kCmdCopy = 57634;
inline constexpr int kCmdSelectAll = 57642;
inline constexpr int kCmdAbout = 16;

// The commands that the menu picture strip (toolbar 140) has images for, in image order.
inline constexpr std::array<int, 7> kToolbarCommands = {
    kCmdDelete, kCmdReadToggle,  kCmdOpenInEditor, kCmdOpenLink,
    kCmdCopy,   kCmdStartMailer, kCmdAbout};
// The command's image in the strip, or none.
std::optional<int> ToolbarImage(int command);

enum class CommandPlace { kList, kPreview };

// What the context menu depends on at the moment it opens.
struct ContextFacts {
  CommandPlace place = CommandPlace::kList;
  bool editorSet = false;                 // EDITOR is not empty
  bool mailerSet = false;                 // MUA is not empty
  std::optional<bool> firstSelectedRead;  // the first selected row's item; none without one
  bool previewSelectionEmpty = true;
  bool previewSelectionIsLink = false;
};

enum class MenuPicture { kNone, kToolbar, kEditorIcon, kMailerIcon };

struct MenuItemState {
  bool present = true;
  bool checked = false;
  bool greyed = false;
  MenuPicture picture = MenuPicture::kNone;
};

// Whether a context menu opens at all: the list's needs a selected row.
bool ContextMenuOpens(const ContextFacts& facts);
// How the context menu shows the item with this command id.
MenuItemState ContextMenuItem(int command, const ContextFacts& facts);

// Every selected item takes the opposite of the first one's read state, so a mixed selection
// becomes uniform. Returns the state given (true: read), or none for an empty selection.
std::optional<bool> FlipRead(const std::vector<MailItem*>& selected);

// Whether a link of the preview is handed to the shell: web, mail and news addresses only. A
// message's "file:" link or a bare path would start whatever program it names.
bool LinkMayOpen(std::string_view link);

// What a key does in the list or in the preview pane.
enum class KeyCommand {
  kNone,         // the control handles the key itself
  kSwitchFocus,  // Tab: to the other pane
  kOpen,         // Enter: the preview or the editor
  kClose,
  kDelete,
  kSelectAll,
  kReadToggle,
  kStartMailer,
};
inline constexpr int kKeyTab = 0x09;
inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeyDelete = 0x2E;
KeyCommand CommandForKey(CommandPlace place, int virtualKey, bool ctrl);

// The attachment menu lists this many parts at most, so that a message made of thousands of
// parts cannot flood the screen with a menu, and no item's id reaches the window's other
// commands (32879 and up).
inline constexpr size_t kAttachmentMenuLimit = 100;

struct AttachmentEntry {
  size_t part = 0;
  int command = 0;
  std::string label;
  bool greyed = false;
  friend bool operator==(const AttachmentEntry&, const AttachmentEntry&) = default;
};

// The attachment menu: every part but the body (the first part without a type or of a text
// type), labelled by its file name or its type; a part after the first one whose end was not
// fetched is greyed, unless it is fetched from the server when opened.
std::vector<AttachmentEntry> AttachmentMenuEntries(const PartList& parts);
// The part an attachment menu command opens; none outside the handled range.
std::optional<size_t> AttachmentPartForCommand(int command);

}  // namespace postwink
