#include "core/list/list_commands.h"

#include "core/text/case.h"

namespace postwink {

std::optional<int> ToolbarImage(int command) {
  for (size_t i = 0; i < kToolbarCommands.size(); ++i) {
    if (kToolbarCommands[i] == command) return static_cast<int>(i);
  }
  return std::nullopt;
}

bool ContextMenuOpens(const ContextFacts& facts) {
  return facts.place == CommandPlace::kPreview || facts.firstSelectedRead.has_value();
}

MenuItemState ContextMenuItem(int command, const ContextFacts& facts) {
  MenuItemState state;
  state.picture = ToolbarImage(command) ? MenuPicture::kToolbar : MenuPicture::kNone;
  bool preview = facts.place == CommandPlace::kPreview;
  switch (command) {
    case kCmdOpenInEditor:
      // The program's own icon stands for it; without a program the item is greyed.
      if (facts.editorSet) state.picture = MenuPicture::kEditorIcon;
      state.greyed = !facts.editorSet;
      break;
    case kCmdStartMailer:
      if (facts.mailerSet) state.picture = MenuPicture::kMailerIcon;
      state.greyed = !facts.mailerSet;
      break;
    case kCmdOpenLink:
      state.present = preview && facts.previewSelectionIsLink;
      break;
    case kCmdCopy:
      state.present = preview;
      state.greyed = facts.previewSelectionEmpty;
      break;
    case kCmdReadToggle:
      // The menu resource has the item checked; without a selected row it stays so.
      state.checked = facts.firstSelectedRead.value_or(true);
      break;
    default:
      break;
  }
  return state;
}

std::optional<bool> FlipRead(const std::vector<MailItem*>& selected) {
  if (selected.empty() || !selected.front()) return std::nullopt;
  bool read = (selected.front()->flags & kMailRead) == 0;
  for (MailItem* item : selected) {
    if (!item) continue;
    if (read) {
      item->flags |= kMailRead;
    } else {
      item->flags &= ~kMailRead;
    }
  }
  return read;
}

bool LinkMayOpen(std::string_view link) {
  static constexpr std::string_view kPrefixes[] = {
      "http://", "https://", "ftp://", "mailto:", "news:", "nntp://", "www.", "ftp."};
  for (std::string_view prefix : kPrefixes) {
    if (link.size() > prefix.size() && StartsWithNoCase(link, prefix)) return true;
  }
  return false;
}

KeyCommand CommandForKey(CommandPlace place, int virtualKey, bool ctrl) {
  switch (virtualKey) {
    case kKeyTab:
      return KeyCommand::kSwitchFocus;
    case kKeyReturn:
      return KeyCommand::kOpen;
    case kKeyEscape:
      return KeyCommand::kClose;
    case kKeyDelete:
      return KeyCommand::kDelete;
    case 'A':
      // The preview pane selects its own text.
      return ctrl && place == CommandPlace::kList ? KeyCommand::kSelectAll : KeyCommand::kNone;
    case 'B':
      return ctrl ? KeyCommand::kReadToggle : KeyCommand::kNone;
    case 'M':
      return ctrl ? KeyCommand::kStartMailer : KeyCommand::kNone;
    default:
      return KeyCommand::kNone;
  }
}

std::vector<AttachmentEntry> AttachmentMenuEntries(const PartList& parts) {
  std::vector<AttachmentEntry> entries;
  bool bodySeen = false;
  for (size_t i = 0; i < parts.size() && entries.size() < kAttachmentMenuLimit; ++i) {
    const MimePart& part = parts[i];
    if (!bodySeen && (!part.type || StartsWithNoCase(*part.type, "text"))) {
      bodySeen = true;
      continue;
    }
    AttachmentEntry entry;
    entry.part = i;
    entry.command = kCmdAttachmentFirst + static_cast<int>(i);
    if (part.name) {
      entry.label = *part.name;
    } else if (part.type) {
      entry.label = part.type->substr(0, part.type->find(';'));
    }
    if (entry.label.empty()) entry.label = "Attach";
    // A part on the server is fetched whole when opened.
    entry.greyed = i > 0 && !part.end && !part.section;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<size_t> AttachmentPartForCommand(int command) {
  if (command < kCmdAttachmentFirst || command > kCmdAttachmentLast) return std::nullopt;
  return static_cast<size_t>(command - kCmdAttachmentFirst);
}

}  // namespace postwink
