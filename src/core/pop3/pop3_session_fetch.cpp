// After the sign-in: STAT, the choice between a resynchronisation and a fetch, and the window
// of pipelined LIST, TOP and RETR commands and their multi-line answers, then UIDL.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/pop3/pop3_session.h"
#include "core/pop3/pop3_session_internal.h"
#include "core/pop3/pop3_texts.h"
#include "core/text/case.h"

namespace postwink {
namespace {

std::string NumberCommand(const char* verb, int number) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s %d\r\n", verb, number);
  return buf;
}

std::string TopCommand(int number, int lines) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "TOP %d %d\r\n", number, lines);
  return buf;
}

int TopEstimate(int getLine) {
  long long estimate = 80LL * std::max(getLine, 0) + 2400;
  return static_cast<int>(std::min<long long>(estimate, 1 << 30));
}

}  // namespace

SessionReply Pop3Session::StatReply(std::string_view line, Account& account) {
  host_.OnStatReply();
  LogLine(account, line);
  if (!IsPositiveReply(line)) return FailWithReply(texts::kStatRejected, line);
  size_t pos = 0;
  NextWord(line, pos);
  std::string_view count = NextWord(line, pos);
  account.messageCount = ReadReplyNumber(count);
  account.mailboxSize = 0;
  if (pos < line.size()) {
    ++pos;  // the one space after the count
    account.mailboxSize = ReadReplyNumber(line.substr(pos));
  }
  bool firstAndEmpty = account.lastNumber == -1 && account.messageCount == 0;
  if (!firstAndEmpty) useRetr_ = settings_.listDown != 0;
  return Follow(AfterStat(account), account);
}

SessionReply Pop3Session::Follow(const SyncStep& step, Account& account) {
  switch (step.kind) {
    case SyncStep::Kind::kQuit: {
      if (!MissesUniqueIds(account)) return Quit(account);
      // Items that a cut-off check left without ids get them now, before a resynchronisation
      // would have to take them for gone.
      Pop();
      ExpectedReply uidl{SessionState::kFillUidl};
      uidl.catchUp = true;
      Queue(account, std::move(uidl), "UIDL\r\n");
      return Flush();
    }
    case SyncStep::Kind::kResync:
      listingSeen_ = false;
      uidl_.Clear();
      return Send(account, SessionState::kResyncUidl, "UIDL\r\n");
    case SyncStep::Kind::kVerify:
      currentNumber_ = step.number;
      return Send(account, SessionState::kTopSent, TopCommand(step.number, 0));
    case SyncStep::Kind::kFetch:
      return StartFetch(account, step.number);
  }
  return Quit(account);
}

SessionReply Pop3Session::StartFetch(Account& account, int first) {
  Pop();
  fetching_ = true;
  nextList_ = FirstFetched(account, first, settings_.bounds);
  return Refill(account);
}

SessionReply Pop3Session::Refill(Account& account) {
  size_t limit = settings_.pipelining && pipelining_ ? kPipelineCommands : 1;
  while (fetching_) {
    if (nextList_ <= account.messageCount) {
      int number = static_cast<int>(nextList_);
      std::string command = NumberCommand("LIST", number);
      if (!window_.HasRoom(limit, command.size())) break;
      Queue(account, ExpectedReply{SessionState::kListSent, number}, std::move(command));
      ++nextList_;
      continue;
    }
    // The UIDL that fills in unique ids goes after the last fetch command, which waits for the
    // last LIST reply.
    if (window_.Awaits(SessionState::kListSent) || !window_.HasRoom(limit, 6)) break;
    fetching_ = false;
    Queue(account, ExpectedReply{SessionState::kFillUidl}, "UIDL\r\n");
  }
  return Flush();
}

SessionReply Pop3Session::ListReply(std::string_view line, Account& account) {
  LogLine(account, line);
  int number = currentNumber_;
  ExpectedReply fetch{useRetr_ ? SessionState::kRetrSent : SessionState::kTopSent, number};
  bool tooBig = false;
  if (IsPositiveReply(line)) {
    size_t pos = 0;
    NextWord(line, pos);
    NextWord(line, pos);
    std::string_view size = NextWord(line, pos);
    fetch.sizeText.emplace(size);
    fetch.expected = ReadReplyNumber(size);
    tooBig = useRetr_ && fetch.expected > 0 &&
             static_cast<size_t>(fetch.expected) > settings_.maxMessageBytes;
    int estimate = TopEstimate(settings_.getLine);
    if (!useRetr_ && (fetch.expected <= 0 || fetch.expected >= estimate)) fetch.expected = estimate;
  }
  std::string command;
  if (tooBig) {
    // Its header is enough to list it with its size and subject; a server without TOP sends it
    // whole instead, and what fits is kept.
    LogOverLimit(account, "only its header is fetched");
    fetch.state = SessionState::kTopSent;
    fetch.headerOnly = true;
    fetch.expected = kDefaultBuffer;
    command = TopCommand(number, 0);
  } else if (useRetr_) {
    command = NumberCommand("RETR", number);
  } else {
    command = TopCommand(number, settings_.getLine);
  }
  Pop();
  Queue(account, std::move(fetch), std::move(command));
  return Refill(account);
}

SessionReply Pop3Session::FetchLine(std::string_view line, Account& account) {
  if (!statusSeen_) {
    LogLine(account, line);
    if (line == ".") return {};
    if (IsPositiveReply(line)) {
      statusSeen_ = true;
      return {};
    }
    message_ = std::string();
    if (currentNumber_ == account.lastNumber) {
      // The numbering is in doubt: whatever else was asked for is read and dropped.
      fetching_ = false;
      Pop();
      window_.SkipAll();
      Queue(account, ExpectedReply{SessionState::kResyncUidl}, "UIDL\r\n");
      return Flush();
    }
    if (state_ == SessionState::kRetrSent) return FailWithReply(texts::kRetrRejected, line);
    return TopRefused(account);
  }
  if (line != ".") {
    bool cut = messageCut_;
    if (!AppendToMessage(line)) return Fail(texts::kOutOfMemory);
    if (messageCut_ && !cut) LogOverLimit(account, "the rest of it is not kept");
    return {};
  }
  return MessageComplete(account);
}

SessionReply Pop3Session::MessageComplete(Account& account) {
  if (currentNumber_ == account.lastNumber && account.lastIdentity) {
    std::string identity = host_.Identity(message_);
    message_ = std::string();
    return Follow(AfterVerification(account, identity), account);
  }
  pending_.emplace(PendingMessage{std::move(message_), std::move(sizeText_), currentNumber_});
  message_ = std::string();
  sizeText_.reset();
  Pop();
  return Refill(account);
}

SessionReply Pop3Session::TopRefused(Account& account) {
  // RETR for this message and for every later one, as lock-step would ask. Every fetch already
  // sent for a later message is read and dropped and asked again after it, so that the messages
  // still come in order and lastNumber never passes a message not fetched yet.
  useRetr_ = true;
  auto retr = [](const ExpectedReply& top) {
    ExpectedReply r{SessionState::kRetrSent, top.number};
    r.sizeText = top.sizeText;
    r.expected = r.sizeText ? ReadReplyNumber(*r.sizeText) : 0;
    return r;
  };
  std::vector<ExpectedReply> again{retr(window_.Front())};
  auto& replies = window_.Replies();
  for (size_t i = 1; i < replies.size(); ++i) {
    ExpectedReply& r = replies[i];
    if (r.skip) continue;
    if (r.state == SessionState::kFillUidl) {
      // The listing must come after the messages asked for again: it is asked again too.
      r.skip = true;
      fetching_ = true;
    }
    if (r.state != SessionState::kTopSent && r.state != SessionState::kRetrSent) continue;
    r.skip = true;
    if (r.headerOnly) {
      ExpectedReply header = r;
      header.skip = false;
      again.push_back(std::move(header));
    } else {
      again.push_back(retr(r));
    }
  }
  Pop();
  for (ExpectedReply& r : again) {
    std::string command = r.headerOnly ? TopCommand(r.number, 0) : NumberCommand("RETR", r.number);
    Queue(account, std::move(r), std::move(command));
  }
  return Refill(account);
}

SessionReply Pop3Session::SkipLine(std::string_view line, Account& account) {
  if (!skippingText_) {
    LogLine(account, line);
    bool multiLine = state_ != SessionState::kListSent;
    if (multiLine && line == ".") return {};
    if (multiLine && IsPositiveReply(line)) {
      skippingText_ = true;
      return {};
    }
  } else if (line != ".") {
    skippedBytes_ += line.size() + 2;
    if (skippedBytes_ > settings_.maxMessageBytes) return Fail(texts::kOutOfMemory);
    return {};
  }
  Pop();
  return Refill(account);
}

SessionReply Pop3Session::CompletePending(Account& account) {
  if (!pending_) return {};
  PendingMessage message = std::move(*pending_);
  pending_.reset();
  if (message.number == account.lastNumber) EmptyItems(account, keeper_);
  std::optional<std::string_view> size;
  if (message.sizeText) size = *message.sizeText;
  std::unique_ptr<MailItem> built = host_.BuildItem(account, message.text, size);
  bool fetching = state_ == SessionState::kRetrSent || state_ == SessionState::kTopSent;
  if (fetching && message.text.capacity() <= kMaxReserve) {
    message.text.clear();
    spare_ = std::move(message.text);
  }
  if (!built) return Fail(texts::kOutOfMemory);
  built->account = &account;
  built->isNew = 1;
  built->number = message.number;
  MailItem* item = keeper_.Adopt(std::move(built));
  account.items.push_back(item);
  ++newCount;
  account.lastNumber = message.number;
  account.lastIdentity = item->identity;
  KeepWithinBounds(account, keeper_, settings_.bounds);
  return {};
}

SessionReply Pop3Session::UidlLine(std::string_view line, Account& account) {
  LogLine(account, line);
  bool resync = state_ == SessionState::kResyncUidl;
  if (!listingSeen_) {
    if (IsPositiveReply(line)) {
      listingSeen_ = true;
      uidl_.Clear();
      return {};
    }
    if (!resync) return window_.Front().catchUp ? Quit(account) : Fail("");
    EmptyItems(account, keeper_);
    account.lastNumber = 0;
    return StartFetch(account, 1);
  }
  if (line != ".") {
    // The listing may not outgrow what STAT announced, nor the memory bound.
    if (static_cast<long long>(uidl_.Size()) >= account.messageCount ||
        uidl_.Bytes() + line.size() > kMaxUidlBytes) {
      return Fail(texts::kOutOfMemory);
    }
    uidl_.Add(line);
    return {};
  }
  listingSeen_ = false;
  if (resync) return Follow(Resynchronise(account, uidl_, keeper_), account);
  FillUniqueIds(account, uidl_);
  return Quit(account);
}

}  // namespace postwink
