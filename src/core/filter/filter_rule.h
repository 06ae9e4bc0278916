#pragma once
// The filter rules: an ordered table, shared by all accounts, whose first applying rule decides
// how a fetched message is treated.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace postwink {

inline constexpr int kMaxFilterRules = 30;
// Longest pattern and header name a rule holds (a 256-byte field less its terminator).
inline constexpr size_t kMaxFilterText = 255;

enum FilterTarget : int32_t {
  kFilterTargetFrom = 0,
  kFilterTargetTo = 1,
  kFilterTargetSubject = 2,
  kFilterTargetHeader = 3,  // the field named by headerName
};

enum FilterAction : int32_t {
  kFilterActionSpam = 0,
  kFilterActionHidden = 1,
  kFilterActionColours = 2,
};

enum FilterColourSlot : int32_t {
  kFilterSlotFrom = 0,
  kFilterSlotSubject = 1,
  kFilterSlotAll = 2,
  kFilterSlotMailbox = 3,
};

// The fields keep the integers of the settings file as they are, so that a value the program
// does not know (an unknown target or action) survives a save and behaves as described at
// evaluation.
struct FilterRule {
  int32_t target = 0;
  int32_t action = 0;
  int32_t colourSlot = 0;
  std::string pattern;      // at most kMaxFilterText characters
  std::string headerName;   // at most kMaxFilterText characters, normally with its colon ("Date:")
  uint32_t backColour = 0;  // 0x00BBGGRR
  uint32_t textColour = 0;
  int32_t createdMark = 0;  // 1 for rules made in the filter page; kept, never tested
  int32_t useRegex = 0;
  int32_t whenAbsent = 0;  // 0: applies when the pattern is found; 1: when it is not

  bool operator==(const FilterRule&) const = default;
};

// At most kMaxFilterRules rules in priority order (index 0 first).
struct FilterTable {
  std::vector<FilterRule> rules;

  bool operator==(const FilterTable&) const = default;
};

}  // namespace postwink
