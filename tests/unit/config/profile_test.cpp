#include "core/config/profile.h"

#include <gtest/gtest.h>

#include "unit/config/fake_system.h"

namespace postwink {
namespace {

TEST(IniFileProfile, WritesOneKeyAndKeepsTheRest) {
  testing::FakeFileSystem files;
  files.files["P.ini"] = "[Postwink]\r\nSORTITEM=4\r\n; mine\r\n";
  IniFileProfile profile(files, PlatformSystem().codePage, "P.ini");
  EXPECT_EQ(profile.GetString("Window", "ReportCtrl2"), std::nullopt);
  ASSERT_TRUE(profile.WriteString("Window", "ReportCtrl2", "(1,1) 5 0"));
  EXPECT_EQ(files.files["P.ini"],
            "[Postwink]\r\nSORTITEM=4\r\n; mine\r\n\r\n[Window]\r\nReportCtrl2=(1,1) 5 0\r\n");
  EXPECT_EQ(profile.GetString("window", "reportctrl2"), "(1,1) 5 0");
  // Written by someone else in between: kept.
  files.files["P.ini"] += "[Other]\r\nX=1\r\n";
  ASSERT_TRUE(profile.WriteString("Window", "ReportCtrl2", "(1,1) 6 0"));
  EXPECT_NE(files.files["P.ini"].find("[Other]\r\nX=1"), std::string::npos);
}

TEST(IniFileProfile, NeverReplacesAFileItCannotRead) {
  testing::FakeFileSystem files;
  files.files["P.ini"] = "[Postwink]\r\nEDITOR=notepad\r\n";
  files.unreadable = true;
  IniFileProfile profile(files, PlatformSystem().codePage, "P.ini");
  EXPECT_FALSE(profile.WriteString("Window", "ReportCtrl2", "(1,1) 5 0"));
  EXPECT_EQ(files.files["P.ini"], "[Postwink]\r\nEDITOR=notepad\r\n");
  files.unreadable = false;
  files.files.clear();
  EXPECT_TRUE(profile.WriteString("Window", "ReportCtrl2", "x"));  // a new file is made
  EXPECT_EQ(files.files["P.ini"], "[Window]\r\nReportCtrl2=x\r\n");
  // Read-only: a run that could not read the file at start-up writes nothing to it.
  IniFileProfile readOnly(files, PlatformSystem().codePage, "P.ini", true);
  EXPECT_EQ(readOnly.GetString("Window", "ReportCtrl2"), "x");
  EXPECT_FALSE(readOnly.WriteString("Window", "ReportCtrl2", "y"));
  EXPECT_EQ(files.files["P.ini"], "[Window]\r\nReportCtrl2=x\r\n");
}

}  // namespace
}  // namespace postwink
