#pragma once
// MailItem: one fetched message with its decoded fields, colours and flag word.

#include <cstdint>
#include <optional>
#include <string>

#include "core/mime/mime_parts.h"

namespace postwink {

struct Account;

// Bits of MailItem::flags.
constexpr uint32_t kMailRead = 0x01;
constexpr uint32_t kMailGone = 0x02;        // gone from the server
constexpr uint32_t kMailRemoved = 0x04;     // removed from the list by the user
constexpr uint32_t kMailImportant = 0x08;   // X-Priority below 3
constexpr uint32_t kMailSpam = 0x10;        // never listed, never counted
constexpr uint32_t kMailOwnColours = 0x20;  // the list uses this item's colours
constexpr uint32_t kMailHidden = 0x40;      // listed, not counted as new

// The colours a new item starts with (ST3_RGB, ST1_RGB, ST2_RGB, BG_RGB); 0x00BBGGRR.
struct MailColours {
  uint32_t received = 0xca00;
  uint32_t from = 0x5fff;
  uint32_t subject = 0xff9046;
  uint32_t back = 0xe6ffff;
};

// Where an IMAP message lives, so that a part can be fetched after the check.
struct ImapPlace {
  std::string folder;  // as the user typed it
  uint32_t uidValidity = 0;
  uint32_t uid = 0;
};

class MailItem {
 public:
  MailItem() = default;
  explicit MailItem(const MailColours& colours)
      : receivedColour(colours.received),
        fromColour(colours.from),
        subjectColour(colours.subject),
        backColour(colours.back) {}
  MailItem(const MailItem&) = default;
  MailItem(MailItem&&) = default;
  MailItem& operator=(const MailItem&) = default;
  MailItem& operator=(MailItem&&) = default;
  virtual ~MailItem() = default;

  int32_t number = 0;
  uint32_t flags = 0;
  int32_t isNew = 0;
  int32_t isMultipart = 0;
  int32_t hasAttachment = 0;
  uint32_t receivedColour = MailColours{}.received;
  uint32_t fromColour = MailColours{}.from;
  uint32_t mailboxColour = 0;
  uint32_t subjectColour = MailColours{}.subject;
  uint32_t backColour = MailColours{}.back;
  std::optional<std::string> from;
  std::optional<std::string> to;
  std::optional<std::string> cc;
  std::optional<std::string> dateText;
  std::optional<std::string> sizeText;
  std::optional<std::string> subject;
  std::optional<std::string> contentType;
  std::optional<std::string> transferEncoding;
  std::string identity;
  std::optional<std::string> uniqueId;
  std::optional<std::string> previewText;
  std::optional<std::string> headerText;
  // An IMAP message's parts as its structure lists them (names still undecoded), and where it
  // lives; the attachment menu offers these, fetched when opened.
  std::optional<PartList> serverParts;
  std::optional<ImapPlace> imapPlace;
  Account* account = nullptr;  // not owned
};

}  // namespace postwink
