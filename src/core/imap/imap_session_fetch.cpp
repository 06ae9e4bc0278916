// The folder walk: EXAMINE, UID SEARCH and the pipelined UID FETCHes of what is new, and the
// fetch of one part for an attachment. Apart from the sign-in, which ends where this begins.

#include <algorithm>

#include "core/imap/body_structure.h"
#include "core/imap/imap_session.h"
#include "core/imap/imap_session_internal.h"
#include "core/imap/imap_texts.h"
#include "core/imap/modified_utf7.h"
#include "core/mime/transfer_encoding.h"

namespace postwink {
namespace {

// The value after a FETCH item's name ("UID 7" gives 7), or null.
const ImapValue* FetchItem(const ImapValue& list, std::string_view name) {
  for (size_t i = 0; i + 1 < list.items.size(); i += 2) {
    if (list.items[i].IsAtom(name)) return &list.items[i + 1];
  }
  return nullptr;
}

// A fetched section's data item: its name starts with the section ("BODY[TEXT]<0>").
const ImapValue* FetchSection(const ImapValue& list, std::string_view prefix) {
  for (size_t i = 0; i + 1 < list.items.size(); i += 2) {
    const ImapValue& name = list.items[i];
    if (name.kind == ImapValue::Kind::kAtom && UpperAscii(name.text).starts_with(prefix)) {
      return &list.items[i + 1];
    }
  }
  return nullptr;
}

ImapValue* FetchSection(ImapValue& list, std::string_view prefix) {
  return const_cast<ImapValue*>(FetchSection(std::as_const(list), prefix));
}

bool HasFlag(const ImapValue* flags, std::string_view flag) {
  if (flags == nullptr) return false;
  return std::any_of(flags->items.begin(), flags->items.end(),
                     [&](const ImapValue& f) { return f.IsAtom(flag); });
}

std::string UidSet(const std::vector<uint32_t>& uids, size_t first, size_t count) {
  std::string set;
  for (size_t i = first; i < first + count; ++i) {
    if (!set.empty()) set += ",";
    set += std::to_string(uids[i]);
  }
  return set;
}

}  // namespace

std::optional<std::string> ImapSession::WireName(std::string_view name) const {
  if (utf8_) return Quoted(name);
  const std::optional<std::string> encoded = EncodeModifiedUtf7(name);
  if (!encoded) return std::nullopt;
  return Quoted(*encoded);
}

SessionReply ImapSession::NextFolder(Account& account) {
  while (folderIndex_ < folders_.size()) {
    const std::string& name = folders_[folderIndex_];
    const std::optional<std::string> wire = WireName(name);
    if (wire) {
      uidValidity_.reset();
      uidNext_.reset();
      exists_ = 0;
      found_.clear();
      return Send(account, ImapState::kExamine, "EXAMINE " + *wire);
    }
    if (folderError_.empty()) folderError_ = texts::kImapFolderName + name;
    ++folderIndex_;
  }
  return Logout(account);
}

SessionReply ImapSession::Examined(Account& account) {
  if (partRequest_) return FetchPart(account);
  // What the list reports as the mailbox's count: the messages of every watched folder.
  account.messageCount += static_cast<int>(std::min<uint32_t>(exists_, INT32_MAX / 16));
  ImapFolderState& folder = FolderState(account, folders_[folderIndex_]);
  const uint32_t validity = uidValidity_.value_or(0);
  if (folder.known && folder.uidValidity != validity) {
    // The server renumbered the folder: what is there now is old, whatever its UIDs.
    LogLine(account, "UIDVALIDITY of " + folder.name + " changed");
    folder.uidValidity = validity;
    if (uidNext_ && *uidNext_ > 0) {
      folder.highestUid = *uidNext_ - 1;
      ++folderIndex_;
      return NextFolder(account);
    }
    // Without UIDNEXT the search below finds the newest UID, and nothing is announced.
    folder.highestUid = UINT32_MAX;
  }
  folder.uidValidity = validity;
  if (folder.known && folder.highestUid != UINT32_MAX) {
    return Send(account, ImapState::kSearch,
                "UID SEARCH UID " + std::to_string(folder.highestUid + 1ull) + ":* UNSEEN");
  }
  return Send(account, ImapState::kSearch, "UID SEARCH UNSEEN");
}

SessionReply ImapSession::FolderDone(Account& account) {
  // Whatever was there at EXAMINE and not announced was seen already: it never becomes new, even
  // when someone marks it unread later. Raised only now, so a check cut off before its fetches
  // ended fetches them next time.
  ImapFolderState& folder = FolderState(account, folders_[folderIndex_]);
  if (uidNext_ && *uidNext_ > 0) folder.highestUid = std::max(folder.highestUid, *uidNext_ - 1);
  ++folderIndex_;
  return NextFolder(account);
}

SessionReply ImapSession::Searched(Account& account) {
  ImapFolderState& folder = FolderState(account, folders_[folderIndex_]);
  std::sort(found_.begin(), found_.end());
  found_.erase(std::unique(found_.begin(), found_.end()), found_.end());
  if (folder.highestUid == UINT32_MAX) {
    folder.highestUid = found_.empty() ? 0 : found_.back();
    found_.clear();
  }
  const bool first = !folder.known;
  folder.known = true;
  // "n:*" always matches the newest message, even one at or below n.
  std::erase_if(found_, [&](uint32_t uid) { return !first && uid <= folder.highestUid; });
  if (found_.empty()) return FolderDone(account);
  const std::string items =
      "(UID FLAGS RFC822.SIZE BODYSTRUCTURE BODY.PEEK[HEADER] BODY.PEEK[TEXT]<0." +
      std::to_string(TextBytesFor(settings_.getLine)) + ">)";
  SessionReply reply;
  fetchesLeft_ = 0;
  const size_t batch = std::max<size_t>(settings_.fetchBatch, 1);
  for (size_t first = 0; first < found_.size(); first += batch) {
    const size_t count = std::min(batch, found_.size() - first);
    const std::string command = Tag() + " UID FETCH " + UidSet(found_, first, count) + " " + items;
    LogLine(account, command);
    reply.command += command + "\r\n";
    ++fetchesLeft_;
  }
  phase_ = ImapState::kFetch;
  return reply;
}

void ImapSession::Fetched(ImapResponse& response, Account& account) {
  const ImapValue& data = response.values[0];
  ImapFolderState& folder = FolderState(account, folders_[folderIndex_]);
  const ImapValue* uid = FetchItem(data, "UID");
  const ImapValue* header = FetchSection(data, "BODY[HEADER]");
  // Unsolicited flag changes carry no header: nothing to announce.
  if (uid == nullptr || uid->kind != ImapValue::Kind::kNumber || header == nullptr) return;
  if (uid->number > UINT32_MAX) return;
  const uint32_t number = static_cast<uint32_t>(uid->number);
  if (!std::binary_search(found_.begin(), found_.end(), number)) return;
  // Fetched once only, even when a server repeats itself.
  found_.erase(std::lower_bound(found_.begin(), found_.end(), number));
  // Read by another client since the search.
  if (HasFlag(FetchItem(data, "FLAGS"), "\\SEEN")) return;
  std::string text = header->text;
  if (!text.ends_with("\r\n\r\n")) text += text.ends_with("\r\n") ? "\r\n" : "\r\n\r\n";
  if (const ImapValue* body = FetchSection(data, "BODY[TEXT]")) text += body->text;
  std::optional<std::string> size;
  if (const ImapValue* value = FetchItem(data, "RFC822.SIZE")) {
    if (value->kind == ImapValue::Kind::kNumber) size = value->text;
  }
  std::unique_ptr<MailItem> built = host_.BuildItem(
      account, AddDotStuffing(text), size ? std::optional<std::string_view>(*size) : std::nullopt);
  if (!built) return;
  if (const ImapValue* structure = FetchItem(data, "BODYSTRUCTURE")) {
    StructureSummary summary = SummariseStructure(*structure);
    built->hasAttachment = summary.hasAttachment ? 1 : 0;
    if (summary.multipart) built->isMultipart = 1;
    if (!summary.parts.empty()) built->serverParts = std::move(summary.parts);
  }
  built->imapPlace = ImapPlace{folder.name, folder.uidValidity, number};
  built->account = &account;
  built->isNew = 1;
  built->number = static_cast<int32_t>(std::min<uint32_t>(number, INT32_MAX));
  built->uniqueId = folder.name + "/" + std::to_string(folder.uidValidity) + "/" + uid->text;
  account.items.push_back(keeper_.Adopt(std::move(built)));
  ++newCount_;
  folder.highestUid = std::max(folder.highestUid, number);
}

SessionReply ImapSession::FetchPart(Account& account) {
  const ImapPartRequest& request = *partRequest_;
  // The UIDs the item was listed under mean other messages now.
  if (uidValidity_.value_or(0) != request.place.uidValidity) {
    return Fail(texts::kImapFolderRenumbered);
  }
  const bool sectionSound = !request.section.empty() &&
                            request.section.find_first_not_of("0123456789.") == std::string::npos;
  if (!sectionSound || request.place.uid == 0) return Fail(texts::kImapMessageGone);
  return Send(account, ImapState::kFetchPart,
              "UID FETCH " + std::to_string(request.place.uid) + " (UID BODY.PEEK[" +
                  request.section + "])");
}

void ImapSession::PartFetched(ImapResponse& response) {
  ImapValue& data = response.values[0];
  const ImapValue* uid = FetchItem(data, "UID");
  if (uid == nullptr || uid->kind != ImapValue::Kind::kNumber ||
      uid->number != partRequest_->place.uid) {
    return;
  }
  ImapValue* section = FetchSection(data, "BODY[" + partRequest_->section + "]");
  if (section == nullptr) return;
  if (section->truncated) {
    partTooLarge_ = true;
    return;
  }
  // Up to the size limit: not copied.
  part_ = section->kind == ImapValue::Kind::kNil ? std::string() : std::move(section->text);
}

SessionReply ImapSession::PartDone(const ImapResponse& response, Account& account) {
  if (response.status != ImapStatus::kOk) {
    part_.reset();
    return FailWith(texts::kImapCommandRejected, response);
  }
  if (partTooLarge_) {
    return Fail(texts::kImapPartTooLarge + std::to_string(partRequest_->maxBytes >> 20) + " MB");
  }
  // A UID FETCH of a message no longer there answers OK with nothing.
  if (!part_) return Fail(texts::kImapMessageGone);
  return Logout(account);
}

}  // namespace postwink
