#pragma once
// Applying the filter table to one fetched message.

#include <cstddef>
#include <optional>

#include "core/config/settings.h"
#include "core/filter/filter_rule.h"
#include "core/filter/regex_facility.h"
#include "core/mime/mail_item.h"

namespace postwink {

// One rule looks at no more than the start of its field: a longer field (only a hostile message
// has one) is searched this far, and a regular expression also stops after kRegexStepBudget
// steps. A rule that could not search its whole field applies only when it found its pattern.
inline constexpr size_t kMaxFilterTargetBytes = 1u << 20;

// Sets the item's default colours (ST1_RGB, ST2_RGB, ST3_RGB, BG_RGB and its account's colour),
// finds the first rule that applies and carries out its action. Regular-expression rules go
// through regex; with none (nullptr) every rule is matched as a plain substring, slashes
// included. Returns the index of the rule that applied, for the callers that show it.
std::optional<int> EvaluateFilters(MailItem& item, const FilterTable& table,
                                   const Settings& settings, RegexFacility* regex);

}  // namespace postwink
