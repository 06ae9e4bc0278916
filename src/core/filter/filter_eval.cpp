#include "core/filter/filter_eval.h"

#include <string>
#include <string_view>

#include "core/config/account.h"
#include "core/mime/header_fields.h"
#include "core/text/utf8.h"

namespace postwink {

namespace {

// The text a rule searches; fieldValue holds the value of a named field, the other targets
// are read in place.
std::optional<std::string_view> TargetText(const MailItem& item, const FilterRule& rule,
                                           std::optional<std::string>& fieldValue) {
  auto view = [](const std::optional<std::string>& text) -> std::optional<std::string_view> {
    if (!text) return std::nullopt;
    return std::string_view(*text);
  };
  switch (rule.target) {
    case kFilterTargetFrom:
      return view(item.from);
    case kFilterTargetTo:
      return view(item.to);
    case kFilterTargetSubject:
      return view(item.subject);
    case kFilterTargetHeader:
      if (rule.headerName.empty() || !item.headerText) return std::nullopt;
      fieldValue = GetHeaderField(*item.headerText, rule.headerName);
      return view(fieldValue);
    default:
      return std::nullopt;
  }
}

void ApplyColours(MailItem& item, const FilterRule& rule) {
  switch (rule.colourSlot) {
    case kFilterSlotFrom:
      item.fromColour = rule.textColour;
      break;
    case kFilterSlotSubject:
      item.subjectColour = rule.textColour;
      break;
    case kFilterSlotAll:
      item.fromColour = rule.textColour;
      item.subjectColour = rule.textColour;
      item.receivedColour = rule.textColour;
      item.mailboxColour = rule.textColour;
      break;
    case kFilterSlotMailbox:
      item.mailboxColour = rule.textColour;
      break;
    default:
      // An unknown slot changes no colour, not even the background.
      item.flags |= kMailOwnColours;
      return;
  }
  item.backColour = rule.backColour;
  item.flags |= kMailOwnColours;
}

}  // namespace

std::optional<int> EvaluateFilters(MailItem& item, const FilterTable& table,
                                   const Settings& settings, RegexFacility* regex) {
  item.fromColour = static_cast<uint32_t>(settings.st1Rgb);
  item.subjectColour = static_cast<uint32_t>(settings.st2Rgb);
  item.receivedColour = static_cast<uint32_t>(settings.st3Rgb);
  item.backColour = static_cast<uint32_t>(settings.bgRgb);
  item.mailboxColour = item.account ? static_cast<uint32_t>(item.account->colour) : 0;

  RegexHandle handle;  // shared by every rule of this evaluation
  std::string error;
  std::optional<int> applied;
  const int count = static_cast<int>(std::min<size_t>(table.rules.size(), kMaxFilterRules));
  for (int i = 0; i < count && !applied; ++i) {
    const FilterRule& rule = table.rules[i];
    std::optional<std::string> fieldValue;
    std::optional<std::string_view> target = TargetText(item, rule, fieldValue);
    if (!target || target->empty()) continue;  // also for whenAbsent rules
    // A hostile message must not hold the program up: one rule looks at a bounded part.
    std::string_view examined = CutAtCharBoundary(*target, kMaxFilterTargetBytes);
    bool whole = examined.size() == target->size();
    bool found = false;
    if (rule.useRegex == 1 && regex) {
      // An expression that is not between slashes or does not compile is a rule that never
      // applies; counting it as "not found" would make a whenAbsent rule apply to everything.
      if (!RegexExpression(rule.pattern)) continue;
      RegexMatch match = regex->BMatch(rule.pattern, examined, handle, error);
      if (match == RegexMatch::kInvalid) continue;
      // Not found in a search that stopped early says nothing about the rest of the field.
      if (match == RegexMatch::kGaveUp) whole = false;
      found = match == RegexMatch::kFound;
    } else {
      found = examined.find(rule.pattern) != std::string_view::npos;
    }
    if (!found && !whole) continue;
    if ((found && rule.whenAbsent == 0) || (!found && rule.whenAbsent == 1)) applied = i;
  }
  if (handle && regex) regex->BRegfree(handle);

  item.flags &= ~(kMailSpam | kMailOwnColours | kMailHidden);
  if (!applied) return std::nullopt;
  const FilterRule& rule = table.rules[*applied];
  switch (rule.action) {
    case kFilterActionSpam:
      item.flags |= kMailSpam;
      break;
    case kFilterActionHidden:
      item.flags |= kMailHidden;
      break;
    case kFilterActionColours:
      ApplyColours(item, rule);
      break;
    default:
      break;
  }
  return applied;
}

}  // namespace postwink
