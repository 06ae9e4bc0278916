#include "core/settings_ui/start_with_windows.h"

#include <gtest/gtest.h>

namespace postwink {
namespace {

constexpr const char* kProgram = "C:\\Program Files\\Postwink\\Postwink.exe";

TEST(StartWithWindows, TheValueIsTheQuotedPath) {
  EXPECT_EQ(RunEntryValue(kProgram), "\"C:\\Program Files\\Postwink\\Postwink.exe\"");
}

TEST(StartWithWindows, RecognisesItsOwnEntryOnly) {
  struct Case {
    std::optional<std::string> entry;
    bool starts;
  } cases[] = {
      {std::nullopt, false},
      {"\"C:\\Program Files\\Postwink\\Postwink.exe\"", true},
      {"C:\\Program Files\\Postwink\\Postwink.exe", true},  // written by hand, unquoted
      {" \"c:\\program files\\POSTWINK\\postwink.EXE\" ", true},
      {"\"D:\\Old\\Postwink.exe\"", false},  // another copy
      {"\"C:\\Program Files\\Postwink\\Postwink.exe\" -v", false},
      {"", false},
      {"\"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunEntryStartsProgram(c.entry, kProgram), c.starts) << c.entry.value_or("(none)");
  }
  EXPECT_FALSE(RunEntryStartsProgram(std::string(""), ""));
}

TEST(StartWithWindows, ApplyingChangesOnlyWhatDiffers) {
  const std::optional<std::string> none, ours = RunEntryValue(kProgram),
                                         other = std::string("\"D:\\Old\\Postwink.exe\"");
  EXPECT_EQ(RunEntryChangeFor(none, kProgram, true), RunEntryChange::kWrite);
  EXPECT_EQ(RunEntryChangeFor(none, kProgram, false), RunEntryChange::kNone);
  EXPECT_EQ(RunEntryChangeFor(ours, kProgram, true), RunEntryChange::kNone);
  EXPECT_EQ(RunEntryChangeFor(ours, kProgram, false), RunEntryChange::kRemove);
  // A moved program takes the entry over when asked; otherwise the other copy keeps it.
  EXPECT_EQ(RunEntryChangeFor(other, kProgram, true), RunEntryChange::kWrite);
  EXPECT_EQ(RunEntryChangeFor(other, kProgram, false), RunEntryChange::kNone);
}

}  // namespace
}  // namespace postwink
