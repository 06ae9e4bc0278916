#include "core/config/settings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "unit/config/fake_system.h"

namespace postwink {
namespace {

constexpr const char* kPath = "C:\\Postwink\\Postwink.ini";
// "ＭＳ Ｐゴシック"
constexpr const char* kMsPGothic = "ＭＳ Ｐゴシック";
// The same as the file stores it, in code page 932.
constexpr const char* kMsPGothicStored =
    "\x82l\x82r \x82o\x83S\x83V\x83"
    "b\x83N";

Settings Read(std::string_view text, std::optional<std::string> windowsDir = "C:\\WINDOWS") {
  Settings s;
  ReadSettings(IniFile::Parse(text), windowsDir, s);
  return s;
}

TEST(Settings, DefaultsWithoutAFile) {
  testing::FakeSystem fake;
  Settings s;
  s.log = 77;  // the record is reset before reading
  SettingsLoadResult r = LoadSettings(kPath, fake.system, "C:\\WINDOWS", s);
  EXPECT_FALSE(r.fileExists);
  EXPECT_EQ(r.userIcon, "");
  EXPECT_EQ(s.editor, "");
  EXPECT_EQ(s.mua, "");
  EXPECT_EQ(s.bgRgb, 0xE6FFFF);
  EXPECT_EQ(s.st1Rgb, 0x5FFF);
  EXPECT_EQ(s.st2Rgb, 0xFF9046);
  EXPECT_EQ(s.st3Rgb, 0xCA00);
  EXPECT_EQ(s.selRgb, 0xCABEFF);
  EXPECT_EQ(s.preRgb, 0xCA00);
  EXPECT_EQ(s.prebgRgb, 0xE6FFFF);
  EXPECT_EQ(s.useSound, 1);
  EXPECT_EQ(s.soundFile, "C:\\WINDOWS\\Media\\Notify.wav");
  EXPECT_EQ(s.dispSec, 10);
  EXPECT_EQ(s.drawSec, 400);
  EXPECT_EQ(s.showStyle, 4);
  EXPECT_EQ(s.dispPos, 3);
  EXPECT_EQ(s.autoClose, 1);
  EXPECT_EQ(s.dispHead, 1);
  EXPECT_EQ(s.grid, 16);
  EXPECT_EQ(s.colList, "ORIGINAL");
  EXPECT_EQ(s.trimFrom, 1);
  EXPECT_EQ(s.hotKey, 0x001D0003);
  EXPECT_EQ(s.serverSyn, 0);
  EXPECT_EQ(s.sortItem, 4);
  EXPECT_EQ(s.preview, 1);
  EXPECT_EQ(s.previewHeight, 300);
  EXPECT_EQ(s.advance, 0);
  EXPECT_EQ(s.startRun, 1);
  EXPECT_EQ(s.log, 0);
  EXPECT_EQ(s.sokigErr, 1);
  EXPECT_EQ(s.listDown, 1);
  EXPECT_EQ(s.getLine, 0);
  EXPECT_EQ(s.showHeader, 0);
  EXPECT_EQ(s.showTooltip, 0);
  EXPECT_EQ(s.svTimeout, 60);
  EXPECT_EQ(s.updateCheck, 0);
  EXPECT_EQ(s.updateUrl, kDefaultUpdateUrl);
  EXPECT_TRUE(s.updateUrl.ends_with("/Postwink/update.dat"));
  EXPECT_EQ(s.updateProxyUse, 0);
  EXPECT_EQ(s.updateProxyServer, "");
  EXPECT_EQ(s.updateProxyPort, 0);
  EXPECT_EQ(s.fontName, kMsPGothic);
  EXPECT_EQ(s.fontSize, 9);
  EXPECT_EQ(s.fontNamePreview, kMsPGothic);
  EXPECT_EQ(s.fontSizePreview, 9);
}

TEST(Settings, DependentDefaultsFollowTheValuesRead) {
  Settings s = Read(
      "[Postwink]\r\nST3_RGB=255\r\nBG_RGB=1\r\nFONTNAME=Arial\r\nFONTSIZE=12\r\nUSERICON=D:"
      "\\ico\r\n");
  EXPECT_EQ(s.preRgb, 255);
  EXPECT_EQ(s.prebgRgb, 1);
  EXPECT_EQ(s.fontNamePreview, "Arial");
  EXPECT_EQ(s.fontSizePreview, 12);

  s = Read(
      "[Postwink]\r\nST3_RGB=255\r\nPRE_RGB=7\r\nPREBG_RGB=8\r\nFONTNAME=Arial\r\n"
      "FONTNAME_PREVIEW=Courier\r\nFONTSIZE_PREVIEW=11\r\n");
  EXPECT_EQ(s.preRgb, 7);
  EXPECT_EQ(s.prebgRgb, 8);
  EXPECT_EQ(s.fontNamePreview, "Courier");
  EXPECT_EQ(s.fontSizePreview, 11);
}

TEST(Settings, SoundFileDefaultNeedsTheWindowsDirectory) {
  Settings s = Read("[Postwink]\r\nUSE_SOUND=1\r\n", std::nullopt);
  EXPECT_EQ(s.useSound, 0);
  EXPECT_EQ(s.soundFile, "");
  s = Read("[Postwink]\r\nSOUND_FILE=D:\\ding.wav\r\n", std::nullopt);
  EXPECT_EQ(s.useSound, 1);
  EXPECT_EQ(s.soundFile, "D:\\ding.wav");
}

TEST(Settings, OverlongTextsAreCutAtACharacterBoundary) {
  // The limits count UTF-16 units, as the Windows buffers do: "表" is one, "😀" two.
  auto repeat = [](std::string_view text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
  };
  Settings s = Read("[Postwink]\r\nEDITOR=x" + repeat("表", 300) +
                    "\r\nCOLLIST=" + std::string(40, 'c') + "\r\nFONTNAME=x" + repeat("😀", 20) +
                    "\r\nUPDATE_URL=" + std::string(2000, 'u') + "\r\n");
  EXPECT_EQ(s.editor, "x" + repeat("表", 258));
  EXPECT_EQ(s.colList, std::string(31, 'c'));
  EXPECT_EQ(s.fontName, "x" + repeat("😀", 15));  // a 16th would need 33 units
  EXPECT_EQ(s.fontNamePreview, s.fontName);
  EXPECT_EQ(s.updateUrl, std::string(1023, 'u'));

  // A value set longer in the program is written within the same limit.
  s.mua = std::string(300, 'm');
  IniFile written;
  WriteSettings(written, s);
  EXPECT_EQ(written.Find("Postwink", "MUA"), std::string(259, 'm'));
}

TEST(Settings, FirstSaveWritesEveryKeyInOrder) {
  testing::FakeSystem fake;
  Settings s;
  LoadSettings(kPath, fake.system, "C:\\WINDOWS", s);
  s.autoClose = 5;  // flags are written as "1"
  s.dispHead = 5;   // DISP_HEAD is written as a number
  s.bgRgb = -1;
  ASSERT_TRUE(SaveSettings(kPath, fake.system, s));
  EXPECT_EQ(fake.files.files[kPath],
            "[Postwink]\r\n"
            "EDITOR=\r\nMUA=\r\n"
            "ST1_RGB=24575\r\nST2_RGB=16748614\r\nST3_RGB=51712\r\nBG_RGB=-1\r\n"
            "SEL_RGB=13287167\r\nPRE_RGB=51712\r\nPREBG_RGB=15138815\r\n"
            "USE_SOUND=1\r\nSOUND_FILE=C:\\WINDOWS\\Media\\Notify.wav\r\n"
            "DISP_SEC=10\r\nDRAW_SEC=400\r\nSHOWSTYLE=4\r\nDISP_POS=3\r\nDISP_HEAD=5\r\n"
            "AUTOCLOSE=1\r\nGRID=16\r\nCOLLIST=ORIGINAL\r\nTRIM_FROM=1\r\nHOTKEY=1900547\r\n"
            "PREVIEW=1\r\nSERVER_SYN=0\r\nSORTITEM=4\r\nPREVIEW_HEIGHT=300\r\n"
            "START_RUN=1\r\nUPDATE_CHECK=0\r\nSV_TIMEOUT=60\r\n"
            "FONTNAME=" +
                std::string(kMsPGothicStored) +
                "\r\nFONTSIZE=9\r\n"
                "FONTNAME_PREVIEW=" +
                kMsPGothicStored +
                "\r\nFONTSIZE_PREVIEW=9\r\n"
                "\r\n[Filter]\r\nFILTER_NUM=0\r\n");
}

constexpr const char* kHandEdited =
    "; my "
    "settings\r\n[Postwink]\r\nSOKIGERR=0\r\nLISTDOWN=0\r\nGETLINE=20\r\nSHOWHEADER=1\r\nUPDATE_"
    "URL=http://example.org/"
    "x\r\nUPDATE_PROXY_USE=1\r\nUPDATE_PROXY_SERVER=proxy\r\nUPDATE_PROXY_PORT=8080\r\nUSERICON=D:"
    "\\icons\r\nSHOW_TOOLTIP=1\r\nLOG=1\r\nMANAGE_NUM=1\r\nMANAGE1=3\r\nMANAGE1_STR=spam\r\nEDITOR="
    "old.exe\r\nMYOWNKEY=kept\r\n\r\n[SERVER1]\r\nMAILBOX=box\r\n\r\n[Filter]\r\nFILTER_NUM="
    "1\r\nFILTER1_STR=テスト\r\n\r\n[Window]\r\nReportCtrl2=0,1,2\r\n";

TEST(Settings, SaveLeavesKeysItNeverWritesExactlyAsTheUserWroteThem) {
  testing::FakeSystem fake;
  fake.files.files[kPath] = kHandEdited;
  Settings s;
  SettingsLoadResult r = LoadSettings(kPath, fake.system, "C:\\WINDOWS", s);
  EXPECT_TRUE(r.fileExists);
  EXPECT_EQ(r.userIcon, "D:\\icons");
  EXPECT_EQ(s.sokigErr, 0);
  EXPECT_EQ(s.log, 1);  // read even though ADVANCE is off
  s.editor = "new.exe";
  s.showTooltip = 0;
  s.log = 0;
  ASSERT_TRUE(SaveSettings(kPath, fake.system, s));
  ASSERT_TRUE(SaveSettings(kPath, fake.system, s));

  const std::string& saved = fake.files.files[kPath];
  IniFile after = IniFile::Parse(saved);
  EXPECT_EQ(after.GetString("Postwink", "EDITOR", ""), "new.exe");
  // Everything from the first line to the legacy filter keys, and every section but "Filter",
  // is untouched; the filter table converts the MANAGE keys into section "Filter".
  std::string before(kHandEdited);
  EXPECT_TRUE(saved.starts_with(before.substr(0, before.find("MANAGE_NUM="))));
  EXPECT_NE(saved.find("\r\n[SERVER1]\r\nMAILBOX=box\r\n\r\n[Filter]\r\n"), std::string::npos);
  EXPECT_TRUE(saved.ends_with("\r\n[Window]\r\nReportCtrl2=0,1,2\r\n"));
  EXPECT_FALSE(after.Find("Postwink", "MANAGE_NUM"));
  EXPECT_FALSE(after.Find("Postwink", "MANAGE1_STR"));
  EXPECT_EQ(after.Find("Filter", "FILTER_NUM"), "1");
  EXPECT_FALSE(after.Find("Filter", "FILTER1_STR"));
  EXPECT_NE(saved.find("MYOWNKEY=kept\r\n"), std::string::npos);
  EXPECT_FALSE(after.Find("Postwink", "ADVANCE"));  // absent keys stay absent
}

TEST(Settings, AdvanceDecidesWhetherItsPageKeysAreWritten) {
  testing::FakeSystem fake;
  fake.files.files[kPath] = "[Postwink]\r\nADVANCE=2\r\nSHOW_TOOLTIP=1\r\nLOG=0\r\n";
  Settings s;
  LoadSettings(kPath, fake.system, "C:\\W", s);
  s.showTooltip = 0;
  s.log = 3;
  ASSERT_TRUE(SaveSettings(kPath, fake.system, s));
  IniFile after = IniFile::Parse(fake.files.files[kPath]);
  EXPECT_EQ(after.Find("Postwink", "ADVANCE"), "1");
  EXPECT_EQ(after.Find("Postwink", "SHOW_TOOLTIP"), "0");
  EXPECT_EQ(after.Find("Postwink", "LOG"), "1");

  // Written after SV_TIMEOUT and before FONTNAME when they are new.
  IniFile fresh;
  s.advance = 1;
  WriteSettings(fresh, s);
  std::vector<std::string> keys = fresh.KeyNames("Postwink");
  auto at = std::find(keys.begin(), keys.end(), "SV_TIMEOUT");
  ASSERT_NE(at, keys.end());
  EXPECT_EQ(std::vector<std::string>(at, at + 5),
            (std::vector<std::string>{"SV_TIMEOUT", "ADVANCE", "SHOW_TOOLTIP", "LOG", "FONTNAME"}));
}

TEST(Settings, SaveMergesIntoTheFileAsItIsNow) {
  testing::FakeSystem fake;
  fake.files.files[kPath] = "[Postwink]\r\nEDITOR=a\r\n";
  Settings s;
  LoadSettings(kPath, fake.system, "C:\\W", s);
  // Written by another part of the program, or by hand, after the settings were read.
  fake.files.files[kPath] += "[Window]\r\nReportCtrl2=9\r\n";
  ASSERT_TRUE(SaveSettings(kPath, fake.system, s));
  EXPECT_EQ(IniFile::Parse(fake.files.files[kPath]).Find("Window", "ReportCtrl2"), "9");
}

TEST(Settings, AFailedSaveLeavesTheFileAlone) {
  testing::FakeSystem fake;
  fake.files.files[kPath] = kHandEdited;
  Settings s;
  LoadSettings(kPath, fake.system, "C:\\W", s);
  s.editor = "changed";
  fake.files.failBeforeReplace = true;
  EXPECT_FALSE(SaveSettings(kPath, fake.system, s));
  EXPECT_EQ(fake.files.files[kPath], kHandEdited);

  // A file that exists but cannot be read is not replaced by one with only our keys.
  fake.files.failBeforeReplace = false;
  fake.files.unreadable = true;
  EXPECT_FALSE(SaveSettings(kPath, fake.system, s));
  EXPECT_EQ(fake.files.files[kPath], kHandEdited);
  EXPECT_EQ(fake.files.atomicWrites, 1);
}

}  // namespace
}  // namespace postwink
