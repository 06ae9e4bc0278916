#include "core/config/ini_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "unit/config/fake_system.h"

namespace postwink {
namespace {

TEST(IniFile, ReadsLikePrivateProfileFunctions) {
  const IniFile ini = IniFile::Parse(
      "; leading comment\r\n"
      "orphan=before any section\r\n"
      "[Postwink]\r\n"
      "EDITOR=notepad.exe\r\n"
      "  Mua  =  mailer.exe  \r\n"
      "QUOTED=\"  spaced  \"\r\n"
      "SINGLE='x'\r\n"
      "HALF=\"open\r\n"
      "EMPTY=\r\n"
      "NOEQUALS\r\n"
      ";EDITOR=commented\r\n"
      "EQ=a=b\r\n"
      "DUP=first\r\n"
      "DUP=second\r\n"
      "[postwink]\r\n"
      "ONLYSECOND=1\r\n"
      "[ Other ] trailing\r\n"
      "KEY=other\r\n");
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  } cases[] = {
      {"Postwink", "EDITOR", "notepad.exe"},
      {"POSTWINK", "editor", "notepad.exe"},
      {"Postwink", "MUA", "mailer.exe"},
      {"Postwink", "QUOTED", "  spaced  "},
      {"Postwink", "SINGLE", "x"},
      {"Postwink", "HALF", "\"open"},
      {"Postwink", "EMPTY", ""},
      {"Postwink", "NOEQUALS", std::nullopt},
      {"Postwink", "EQ", "a=b"},
      {"Postwink", "DUP", "first"},
      {"Postwink", "ONLYSECOND", std::nullopt},  // reads use the first section of that name
      {"Postwink", "orphan", std::nullopt},
      {"Other", "KEY", "other"},
      {"Missing", "KEY", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ini.Find(c.section, c.key), c.expected) << c.section << "/" << c.key;
  }
  EXPECT_EQ(ini.GetString("Postwink", "ABSENT", "dflt"), "dflt");
  EXPECT_EQ(ini.GetString("Postwink", "EMPTY", "dflt"), "");
  EXPECT_EQ(ini.KeyNames("POSTWINK"),
            (std::vector<std::string>{"EDITOR", "Mua", "QUOTED", "SINGLE", "HALF", "EMPTY",
                                      "NOEQUALS", "EQ", "DUP", "DUP"}));
  EXPECT_TRUE(ini.KeyNames("Missing").empty());
  // A whole-section read keeps duplicates and lines without "=".
  std::vector<IniFile::Entry> entries = ini.Entries("Postwink");
  ASSERT_EQ(entries.size(), 10u);
  EXPECT_EQ(entries[1].name, "Mua");
  EXPECT_EQ(entries[1].value, "mailer.exe");
  EXPECT_EQ(entries[6].name, "NOEQUALS");
  EXPECT_EQ(entries[6].value, "");
  EXPECT_EQ(entries[9].value, "second");
  EXPECT_TRUE(ini.Entries("Missing").empty());
}

TEST(IniFile, IntegersParseLikeGetPrivateProfileInt) {
  struct Case {
    const char* line;
    int expected;
  } cases[] = {
      {"N=42", 42},
      {"N=  17", 17},
      {"N=-7", -7},
      {"N=+5", 5},
      {"N=12abc", 12},
      {"N=abc", 0},
      {"N=-", 0},
      {"N=", -99},
      {"N=   ", -99},
      {"N=0x10", 0},
      {"N=4294967295", -1},
      {"N=2147483648", INT32_MIN},
      {"N=99999999999", 1215752191},
      {"N=\"15\"", 15},
      {"X=1", -99},
  };
  for (const Case& c : cases) {
    IniFile ini = IniFile::Parse(std::string("[S]\r\n") + c.line + "\r\n");
    EXPECT_EQ(ini.GetInt("S", "N", -99), c.expected) << c.line;
  }
}

TEST(IniFile, UntouchedTextComesBackByteForByte) {
  const std::string text =
      "[A]\nlf=only\r\ncrlf=yes\r\n\r\ncr=alone\rnext=line\r  ; comment あ\r\njunk line "
      "表\n[B]\r\nK=テスト\r\nlast=no line end";
  IniFile ini = IniFile::Parse(text);
  EXPECT_EQ(ini.Text(), text);
  EXPECT_EQ(ini.GetString("B", "K", ""), "テスト");
  EXPECT_EQ(ini.GetString("A", "cr", ""), "alone");
  EXPECT_EQ(ini.GetString("A", "next", ""), "line");
}

TEST(IniFile, WritesUpdateInPlaceAppendToSectionAndAddSectionsAtTheEnd) {
  IniFile ini = IniFile::Parse(
      "; keep me\r\n"
      "[Postwink]\r\n"
      "Editor = old.exe\r\n"
      "FOREIGN=untouched\r\n"
      "\r\n"
      "[Window]\n"
      "ReportCtrl2=abc\n");
  ini.WriteString("POSTWINK", "EDITOR", "new.exe");
  ini.WriteString("Postwink", "MUA", "mua.exe");
  ini.WriteInt("Postwink", "BG_RGB", -5);
  ini.WriteString("SERVER1", "MAILBOX", "box");
  ini.WriteString("Server1", "USER", "me");
  EXPECT_EQ(ini.Text(),
            "; keep me\r\n"
            "[Postwink]\r\n"
            "Editor=new.exe\r\n"
            "FOREIGN=untouched\r\n"
            "MUA=mua.exe\r\n"
            "BG_RGB=-5\r\n"
            "\r\n"
            "[Window]\n"
            "ReportCtrl2=abc\n"  // a foreign line keeps its own line end
            "\r\n"
            "[SERVER1]\r\n"
            "MAILBOX=box\r\n"
            "USER=me\r\n");
}

TEST(IniFile, ALastLineWithoutALineEndGetsOneWhenSomethingFollows) {
  IniFile ini = IniFile::Parse("[A]\r\nX=1");
  ini.WriteString("A", "Y", "2");
  EXPECT_EQ(ini.Text(), "[A]\r\nX=1\r\nY=2\r\n");
  ini = IniFile::Parse("[A]\r\nX=1");
  ini.WriteString("B", "K", "v");
  EXPECT_EQ(ini.Text(), "[A]\r\nX=1\r\n\r\n[B]\r\nK=v\r\n");
}

TEST(IniFile, WrittenValuesReadBackAsGiven) {
  const std::string values[] = {"plain", " leading", "trailing ", "\"quoted\"", "'single'",
                                "\"",    "a\"b\"",   "",          "表示",       "x = y"};
  for (const std::string& v : values) {
    IniFile ini;
    ini.WriteString("S", "K", v);
    EXPECT_EQ(IniFile::Parse(ini.Text()).GetString("S", "K", "?"), v) << v;
  }
}

TEST(IniFile, ALineBreakInAValueCannotInjectKeys) {
  IniFile ini;
  ini.WriteString("S", "K", "value\r\n[SERVER1]\r\nPASS=x");
  IniFile reread = IniFile::Parse(ini.Text());
  EXPECT_EQ(reread.GetString("S", "K", ""), "value");
  EXPECT_FALSE(reread.HasSection("SERVER1"));
}

TEST(IniFile, NamesFoldOnlySingleByteLetters) {
  // 0x83 0x41 and 0x83 0x61 are two different katakana whose trail bytes are "A" and "a".
  IniFile ini = IniFile::Parse("[ア]\r\nK=1\r\n");
  EXPECT_TRUE(ini.HasSection("ア"));
  EXPECT_FALSE(ini.HasSection("ヂ"));
  ini.WriteString("ヂ", "K", "2");
  EXPECT_EQ(ini.GetString("ア", "K", ""), "1");
  EXPECT_EQ(ini.GetString("ヂ", "K", ""), "2");
}

TEST(IniFile, DeletesReachEveryCopyAndNothingElse) {
  IniFile ini = IniFile::Parse(
      "[SERVER3]\r\nPASS=a\r\nUSER=u\r\n"
      "[keep]\r\nPASS=k\r\n"
      "[server3]\r\npass=b\r\n"
      "[tail]\r\nX=1");
  ini.DeleteKey("SERVER3", "PASS");
  EXPECT_EQ(ini.Text(), "[SERVER3]\r\nUSER=u\r\n[keep]\r\nPASS=k\r\n[server3]\r\n[tail]\r\nX=1");
  ini.DeleteSection("Server3");
  EXPECT_EQ(ini.Text(), "[keep]\r\nPASS=k\r\n[tail]\r\nX=1");
  ini.DeleteSection("absent");
  ini.DeleteKey("keep", "absent");
  EXPECT_EQ(ini.Text(), "[keep]\r\nPASS=k\r\n[tail]\r\nX=1");
}

// After any series of edits the file answers exactly as the text it would save does.
TEST(IniFile, EditsAnswerAsTheirOwnTextReadAfresh) {
  IniFile ini =
      IniFile::Parse("top=1\r\n[A]\r\nK=1\r\n\r\n[b]\nX=2\n[a]\r\nK=dup\r\n[C]\r\n; c\r\n[B]");
  const std::string names[] = {"A", "B", "C", "D", "SERVER1"};
  const std::string keys[] = {"K", "X", "Y", "top"};
  auto expectSameAsReparsed = [&](const std::string& step) {
    IniFile fresh = IniFile::Parse(ini.Text());
    for (const std::string& section : names) {
      EXPECT_EQ(ini.HasSection(section), fresh.HasSection(section)) << step << " " << section;
      EXPECT_EQ(ini.KeyNames(section), fresh.KeyNames(section)) << step << " " << section;
      for (const std::string& key : keys) {
        EXPECT_EQ(ini.Find(section, key), fresh.Find(section, key)) << step << " " << section;
      }
    }
  };
  struct Step {
    const char* name;
    std::function<void()> apply;
  } steps[] = {
      {"append to A", [&] { ini.WriteString("A", "Y", "new"); }},
      {"append to last section", [&] { ini.WriteString("B", "Y", "end"); }},
      {"new section", [&] { ini.WriteString("D", "K", "d"); }},
      {"update in place", [&] { ini.WriteString("a", "k", "changed"); }},
      {"value that looks like a header", [&] { ini.WriteString("C", "Y", "]"); }},
      {"delete key everywhere", [&] { ini.DeleteKey("A", "K"); }},
      {"delete duplicated section", [&] { ini.DeleteSection("A"); }},
      {"write after delete", [&] { ini.WriteString("C", "X", "c"); }},
      {"delete absent", [&] { ini.DeleteSection("SERVER1"); }},
      {"recreate", [&] { ini.WriteString("A", "K", "again"); }},
  };
  for (const Step& step : steps) {
    step.apply();
    expectSameAsReparsed(step.name);
  }
  EXPECT_EQ(ini.GetString("A", "K", ""), "again");
  EXPECT_EQ(ini.GetString("C", "X", ""), "c");
}

TEST(IniFile, AFailedSaveKeepsTheOldFile) {
  testing::FakeFileSystem files;
  files.files["Postwink.ini"] = "[Postwink]\r\nEDITOR=old\r\n";
  IniFile ini;
  ASSERT_TRUE(ini.Load(files, PlatformSystem().codePage, "Postwink.ini"));
  ini.WriteString("Postwink", "EDITOR", "new");

  files.failBeforeReplace = true;
  EXPECT_FALSE(ini.Save(files, PlatformSystem().codePage, "Postwink.ini"));
  EXPECT_EQ(files.files["Postwink.ini"], "[Postwink]\r\nEDITOR=old\r\n");
  EXPECT_EQ(files.files.size(), 1u);  // no temporary file left behind

  files.failBeforeReplace = false;
  EXPECT_TRUE(ini.Save(files, PlatformSystem().codePage, "Postwink.ini"));
  EXPECT_EQ(files.files["Postwink.ini"], "[Postwink]\r\nEDITOR=new\r\n");
}

TEST(IniFile, MissingFileLoadsEmpty) {
  testing::FakeFileSystem files;
  IniFile ini = IniFile::Parse("[X]\r\nA=1\r\n");
  EXPECT_FALSE(ini.Load(files, PlatformSystem().codePage, "absent.ini"));
  EXPECT_EQ(ini.Text(), "");
}

}  // namespace
}  // namespace postwink
