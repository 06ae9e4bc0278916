#pragma once
// The comma-separated values of the filter keys: FILTER%d of section "Filter" and the legacy
// MANAGE%d of [Postwink].

#include <string>
#include <string_view>

#include "core/filter/filter_rule.h"

namespace postwink {

// The usual decimal conversion of the file's numbers: leading blanks, an optional sign, digits
// up to the first non-digit (none reads as 0), wrapping as a 32-bit total.
int32_t ReadDecimal(std::string_view text);

// Reads "createdMark,target,action,backColour,textColour,useRegex,colourSlot,whenAbsent,
// headerName" into rule. Empty pieces are skipped; missing trailing pieces leave their fields
// as they were; a piece of the name that ends in "\" stands for a "," and continues with the
// next piece. The name is cut to kMaxFilterText characters.
void ReadFilterValue(std::string_view value, FilterRule& rule);

// The legacy form: createdMark, target, action, backColour, textColour, an ignored piece, then
// colourSlot.
void ReadManageValue(std::string_view value, FilterRule& rule);

// The FILTER%d value of a rule, every "," of the header name written as "\,".
std::string FormatFilterValue(const FilterRule& rule);

}  // namespace postwink
