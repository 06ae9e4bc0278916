#include "core/filter/filter_store.h"

#include <gtest/gtest.h>

#include <string>

#include "core/config/settings.h"

namespace postwink {
namespace {

IniFile Ini(const std::string& text) { return IniFile::Parse(text); }

TEST(FilterStore, LoadsSectionFilter) {
  IniFile ini =
      Ini("[Postwink]\r\nMANAGE_NUM=0\r\n"
          "[Filter]\r\nFILTER_NUM=2\r\n"
          "FILTER0=1,2,0,0,0,0,0,0\r\nFILTER0_STR=win\r\n"
          "FILTER1=1,3,2,1,2,1,2,1,X-Spam\\,Flag:\r\nFILTER1_STR=/^yes/\r\n");
  FilterTable table = LoadFilters(ini);
  ASSERT_EQ(table.rules.size(), 2u);
  EXPECT_EQ(table.rules[0].target, 2);
  EXPECT_EQ(table.rules[0].pattern, "win");
  EXPECT_EQ(table.rules[1].headerName, "X-Spam,Flag:");
  EXPECT_EQ(table.rules[1].pattern, "/^yes/");
  EXPECT_EQ(table.rules[1].whenAbsent, 1);
}

TEST(FilterStore, CountsAndTextsAreCutToTheLimits) {
  std::string text = "[Filter]\r\nFILTER_NUM=99\r\n";
  std::string longPattern(300, 'p');
  for (int i = 0; i < 40; ++i) {
    text += "FILTER" + std::to_string(i) + "=0,2,0\r\n";
    text += "FILTER" + std::to_string(i) + "_STR=" + longPattern + "\r\n";
  }
  FilterTable table = LoadFilters(Ini(text));
  ASSERT_EQ(table.rules.size(), static_cast<size_t>(kMaxFilterRules));
  EXPECT_EQ(table.rules[29].pattern, std::string(kMaxFilterText, 'p'));

  EXPECT_TRUE(LoadFilters(Ini("[Filter]\r\nFILTER_NUM=-4\r\nFILTER0=0,2,0\r\n")).rules.empty());
  // Keys missing for a counted rule give a rule of zeros.
  FilterTable gaps = LoadFilters(Ini("[Filter]\r\nFILTER_NUM=1\r\n"));
  ASSERT_EQ(gaps.rules.size(), 1u);
  EXPECT_EQ(gaps.rules[0], FilterRule{});
}

TEST(FilterStore, LegacyTableWinsAndIsConvertedAtTheFirstSave) {
  IniFile ini =
      Ini("[Postwink]\r\nEDITOR=e\r\nMANAGE_NUM=2\r\n"
          "MANAGE0=1,2,0,0,0,7,0\r\nMANAGE0_STR=spam\r\n"
          "MANAGE1=1,0,2,5,6,7,1\r\nMANAGE1_STR=boss\r\n"
          "[Filter]\r\nFILTER_NUM=5\r\nOTHER=kept\r\n"
          "FILTER0=0,1,1\r\nFILTER0_STR=a\r\nFILTER3=0,1,1\r\nFILTER3_STR=d\r\n"
          "FILTER4=0,1,1\r\nFILTER4_STR=e\r\n");
  FilterTable table = LoadFilters(ini);
  ASSERT_EQ(table.rules.size(), 2u);
  EXPECT_EQ(table.rules[0].pattern, "spam");
  EXPECT_EQ(table.rules[1].pattern, "boss");
  EXPECT_EQ(table.rules[1].colourSlot, 1);

  SaveFilters(ini, table);
  EXPECT_EQ(ini.GetInt("Filter", "FILTER_NUM", -1), 2);
  EXPECT_EQ(ini.GetString("Filter", "FILTER1", ""), "1,0,2,5,6,0,1,0,");
  EXPECT_EQ(ini.GetString("Filter", "FILTER1_STR", ""), "boss");
  for (const char* gone : {"FILTER3", "FILTER3_STR", "FILTER4", "FILTER4_STR"}) {
    EXPECT_FALSE(ini.Find("Filter", gone)) << gone;
  }
  EXPECT_EQ(ini.GetString("Filter", "OTHER", ""), "kept");
  EXPECT_TRUE(ini.KeyNames("Postwink") == std::vector<std::string>{"EDITOR"});
  EXPECT_EQ(LoadFilters(ini), table);
}

TEST(FilterStore, NegativeManageCountReadsNeither) {
  IniFile ini =
      Ini("[Postwink]\r\nMANAGE_NUM=-1\r\nMANAGE0=0,2,0\r\n"
          "[Filter]\r\nFILTER_NUM=1\r\nFILTER0=0,2,0\r\n");
  EXPECT_TRUE(LoadFilters(ini).rules.empty());
}

TEST(FilterStore, SaveAndLoadRoundTrip) {
  FilterTable table;
  for (int i = 0; i < 3; ++i) {
    FilterRule rule;
    rule.createdMark = 1;
    rule.target = i;
    rule.action = 2;
    rule.colourSlot = i;
    rule.textColour = 0x123456u + i;
    table.rules.push_back(rule);
  }
  table.rules[0].pattern = "  spaced and \"quoted\"  ";
  table.rules[1].pattern = "/\x83\x5c(?i)x/";
  table.rules[2].headerName = "X-A,B:";
  IniFile ini;
  SaveFilters(ini, table);
  EXPECT_EQ(LoadFilters(ini), table);

  table.rules.resize(1);
  SaveFilters(ini, table);
  EXPECT_EQ(LoadFilters(ini), table);
  EXPECT_FALSE(ini.Find("Filter", "FILTER1"));
  EXPECT_FALSE(ini.Find("Filter", "FILTER2_STR"));
}

TEST(FilterStore, SettingsReadAndWriteCarryTheTable) {
  IniFile ini = Ini("[Postwink]\r\nMANAGE_NUM=1\r\nMANAGE0=0,2,1,0,0,0,0\r\nMANAGE0_STR=x\r\n");
  Settings settings;
  ReadSettings(ini, std::string("C:\\Windows"), settings);
  ASSERT_EQ(settings.filters.rules.size(), 1u);
  EXPECT_EQ(settings.filters.rules[0].pattern, "x");
  WriteSettings(ini, settings);
  EXPECT_FALSE(ini.Find("Postwink", "MANAGE_NUM"));
  EXPECT_EQ(ini.GetInt("Filter", "FILTER_NUM", -1), 1);
  EXPECT_EQ(ini.GetString("Filter", "FILTER0_STR", ""), "x");
}

}  // namespace
}  // namespace postwink
