#include "core/config/settings.h"

#include "core/config/settings_filters.h"
#include "core/text/utf8.h"

namespace postwink {
namespace {

// "ＭＳ Ｐゴシック"
constexpr const char* kDefaultFontName = "ＭＳ Ｐゴシック";

class SettingsReader {
 public:
  explicit SettingsReader(const IniFile& ini) : ini_(ini) {}
  int Int(const char* key, int defaultValue) const {
    return ini_.GetInt(kSettingsSection, key, defaultValue);
  }
  std::string Text(const char* key, std::string_view defaultValue, size_t maxUnits) const {
    std::string value = ini_.GetString(kSettingsSection, key, defaultValue);
    return std::string(CutToUtf16Units(value, maxUnits));
  }

 private:
  const IniFile& ini_;
};

class SettingsWriter {
 public:
  explicit SettingsWriter(IniFile& ini) : ini_(ini) {}
  // The same limits as when reading, so the file never holds more than the program reads back.
  void Text(const char* key, const std::string& value, size_t maxUnits) {
    ini_.WriteString(kSettingsSection, key, CutToUtf16Units(value, maxUnits));
  }
  void Number(const char* key, int value) { ini_.WriteInt(kSettingsSection, key, value); }
  void Flag(const char* key, int value) {
    ini_.WriteString(kSettingsSection, key, value ? "1" : "0");
  }

 private:
  IniFile& ini_;
};

}  // namespace

void ReadSettings(const IniFile& ini, const std::optional<std::string>& windowsDirectory,
                  Settings& settings, std::string* userIcon) {
  settings = Settings();
  SettingsReader r(ini);
  Settings& s = settings;
  s.editor = r.Text("EDITOR", "", kMaxPathText);
  s.mua = r.Text("MUA", "", kMaxPathText);
  s.bgRgb = r.Int("BG_RGB", 0xE6FFFF);
  s.st1Rgb = r.Int("ST1_RGB", 0x5FFF);
  s.st2Rgb = r.Int("ST2_RGB", 0xFF9046);
  s.st3Rgb = r.Int("ST3_RGB", 0xCA00);
  s.selRgb = r.Int("SEL_RGB", 0xCABEFF);
  s.preRgb = r.Int("PRE_RGB", s.st3Rgb);
  s.prebgRgb = r.Int("PREBG_RGB", s.bgRgb);
  s.useSound = r.Int("USE_SOUND", 1);
  s.soundFile = r.Text("SOUND_FILE", "", kMaxPathText);
  s.dispSec = r.Int("DISP_SEC", 10);
  s.drawSec = r.Int("DRAW_SEC", 400);
  s.showStyle = r.Int("SHOWSTYLE", 4);
  s.dispPos = r.Int("DISP_POS", 3);
  s.autoClose = r.Int("AUTOCLOSE", 1);
  s.dispHead = r.Int("DISP_HEAD", 1);
  s.grid = r.Int("GRID", 16);
  s.colList = r.Text("COLLIST", "ORIGINAL", kMaxShortText);
  s.trimFrom = r.Int("TRIM_FROM", 1);
  s.hotKey = r.Int("HOTKEY", 1900547);
  s.serverSyn = r.Int("SERVER_SYN", 0);
  s.sortItem = r.Int("SORTITEM", 4);
  s.preview = r.Int("PREVIEW", 1);
  s.previewHeight = r.Int("PREVIEW_HEIGHT", 300);
  s.advance = r.Int("ADVANCE", 0);
  s.startRun = r.Int("START_RUN", 1);
  s.log = r.Int("LOG", 0);
  s.sokigErr = r.Int("SOKIGERR", 1);
  s.listDown = r.Int("LISTDOWN", 1);
  s.getLine = r.Int("GETLINE", 0);
  s.showHeader = r.Int("SHOWHEADER", 0);
  s.showTooltip = r.Int("SHOW_TOOLTIP", 0);
  s.svTimeout = r.Int("SV_TIMEOUT", 60);
  s.updateCheck = r.Int("UPDATE_CHECK", 0);
  s.updateUrl = r.Text("UPDATE_URL", kDefaultUpdateUrl, kMaxReadText);
  s.updateProxyUse = r.Int("UPDATE_PROXY_USE", 0);
  s.updateProxyServer = r.Text("UPDATE_PROXY_SERVER", "", kMaxReadText);
  s.updateProxyPort = r.Int("UPDATE_PROXY_PORT", 0);
  s.fontName = r.Text("FONTNAME", kDefaultFontName, kMaxShortText);
  s.fontSize = r.Int("FONTSIZE", 9);
  s.fontNamePreview = r.Text("FONTNAME_PREVIEW", s.fontName, kMaxShortText);
  s.fontSizePreview = r.Int("FONTSIZE_PREVIEW", s.fontSize);
  std::string icon = r.Text("USERICON", "", kMaxPathText);
  if (userIcon) *userIcon = std::move(icon);

  LoadFilterSettings(ini, settings);

  if (s.soundFile.empty()) {
    if (windowsDirectory && !windowsDirectory->empty()) {
      s.soundFile =
          std::string(CutToUtf16Units(*windowsDirectory + "\\Media\\Notify.wav", kMaxPathText));
    } else {
      s.useSound = 0;
    }
  }
}

void WriteSettings(IniFile& ini, const Settings& s) {
  SettingsWriter w(ini);
  w.Text("EDITOR", s.editor, kMaxPathText);
  w.Text("MUA", s.mua, kMaxPathText);
  w.Number("ST1_RGB", s.st1Rgb);
  w.Number("ST2_RGB", s.st2Rgb);
  w.Number("ST3_RGB", s.st3Rgb);
  w.Number("BG_RGB", s.bgRgb);
  w.Number("SEL_RGB", s.selRgb);
  w.Number("PRE_RGB", s.preRgb);
  w.Number("PREBG_RGB", s.prebgRgb);
  w.Flag("USE_SOUND", s.useSound);
  w.Text("SOUND_FILE", s.soundFile, kMaxPathText);
  w.Number("DISP_SEC", s.dispSec);
  w.Number("DRAW_SEC", s.drawSec);
  w.Number("SHOWSTYLE", s.showStyle);
  w.Number("DISP_POS", s.dispPos);
  w.Number("DISP_HEAD", s.dispHead);
  w.Flag("AUTOCLOSE", s.autoClose);
  w.Number("GRID", s.grid);
  w.Text("COLLIST", s.colList, kMaxShortText);
  w.Number("TRIM_FROM", s.trimFrom);
  w.Number("HOTKEY", s.hotKey);
  w.Flag("PREVIEW", s.preview);
  w.Flag("SERVER_SYN", s.serverSyn);
  w.Number("SORTITEM", s.sortItem);
  w.Number("PREVIEW_HEIGHT", s.previewHeight);
  w.Flag("START_RUN", s.startRun);
  w.Flag("UPDATE_CHECK", s.updateCheck);
  w.Number("SV_TIMEOUT", s.svTimeout);
  // The Advance page's keys are written only while that page exists, so a file without
  // ADVANCE keeps whatever SHOW_TOOLTIP and LOG the user put there.
  if (s.advance) {
    w.Text("ADVANCE", "1", 1);
    w.Flag("SHOW_TOOLTIP", s.showTooltip);
    w.Flag("LOG", s.log);
  }
  w.Text("FONTNAME", s.fontName, kMaxShortText);
  w.Number("FONTSIZE", s.fontSize);
  w.Text("FONTNAME_PREVIEW", s.fontNamePreview, kMaxShortText);
  w.Number("FONTSIZE_PREVIEW", s.fontSizePreview);
  SaveFilterSettings(ini, s);
}

SettingsLoadResult LoadSettings(const std::string& iniPath, System& system,
                                const std::optional<std::string>& windowsDirectory,
                                Settings& settings, IniFile* ini) {
  SettingsLoadResult result;
  IniFile read;
  bool readable = read.Load(system.files, system.codePage, iniPath);
  result.fileExists = readable || system.files.Exists(iniPath);
  result.unreadable = !readable && result.fileExists;
  ReadSettings(read, windowsDirectory, settings, &result.userIcon);
  if (ini) *ini = std::move(read);
  return result;
}

bool SaveSettings(const std::string& iniPath, System& system, const Settings& settings) {
  IniFile ini;
  if (!ini.Load(system.files, system.codePage, iniPath) && system.files.Exists(iniPath)) {
    // A file that exists but cannot be read must not be replaced by one holding only our keys.
    return false;
  }
  WriteSettings(ini, settings);
  return ini.Save(system.files, system.codePage, iniPath);
}

}  // namespace postwink
