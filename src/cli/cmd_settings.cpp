// postwink-cli settings: shows what the program reads from a settings file, and writes it back
// as the program does.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/json.h"
#include "core/config/account.h"
#include "core/config/settings.h"
#include "core/config/settings_file.h"
#include "core/platform/system.h"

namespace postwink::cli {
namespace {

constexpr const char* kUsage = "settings --ini FILE [--show-passwords] [--resave [--accounts]]";

// The Windows directory for the default sound file; a system without one gets none, and the
// sound is then off, as when the directory cannot be found.
std::optional<std::string> WindowsDirectory() {
  for (const char* name : {"SystemRoot", "windir"}) {
    const char* value = std::getenv(name);
    if (value && *value) return std::string(value);
  }
  return std::nullopt;
}

void WriteSettingsJson(JsonWriter& j, const Settings& s, const std::string& userIcon) {
  j.BeginObject();
  j.Field("EDITOR", s.editor).Field("MUA", s.mua);
  j.Field("BG_RGB", s.bgRgb).Field("ST1_RGB", s.st1Rgb).Field("ST2_RGB", s.st2Rgb);
  j.Field("ST3_RGB", s.st3Rgb).Field("SEL_RGB", s.selRgb).Field("PRE_RGB", s.preRgb);
  j.Field("PREBG_RGB", s.prebgRgb).Field("USE_SOUND", s.useSound);
  j.Field("SOUND_FILE", s.soundFile).Field("DISP_SEC", s.dispSec).Field("DRAW_SEC", s.drawSec);
  j.Field("SHOWSTYLE", s.showStyle).Field("DISP_POS", s.dispPos);
  j.Field("AUTOCLOSE", s.autoClose).Field("DISP_HEAD", s.dispHead).Field("GRID", s.grid);
  j.Field("COLLIST", s.colList).Field("TRIM_FROM", s.trimFrom).Field("HOTKEY", s.hotKey);
  j.Field("SERVER_SYN", s.serverSyn).Field("SORTITEM", s.sortItem).Field("PREVIEW", s.preview);
  j.Field("PREVIEW_HEIGHT", s.previewHeight).Field("ADVANCE", s.advance);
  j.Field("START_RUN", s.startRun).Field("LOG", s.log).Field("SOKIGERR", s.sokigErr);
  j.Field("LISTDOWN", s.listDown).Field("GETLINE", s.getLine);
  j.Field("SHOWHEADER", s.showHeader).Field("SHOW_TOOLTIP", s.showTooltip);
  j.Field("SV_TIMEOUT", s.svTimeout).Field("UPDATE_CHECK", s.updateCheck);
  j.Field("UPDATE_URL", s.updateUrl).Field("UPDATE_PROXY_USE", s.updateProxyUse);
  j.Field("UPDATE_PROXY_SERVER", s.updateProxyServer);
  j.Field("UPDATE_PROXY_PORT", s.updateProxyPort);
  j.Field("FONTNAME", s.fontName).Field("FONTSIZE", s.fontSize);
  j.Field("FONTNAME_PREVIEW", s.fontNamePreview).Field("FONTSIZE_PREVIEW", s.fontSizePreview);
  j.Field("USERICON", userIcon);
  j.EndObject();
}

void OptionalText(JsonWriter& j, const char* key, const std::optional<std::string>& value) {
  j.Key(key);
  if (value) {
    j.String(*value);
  } else {
    j.Null();
  }
}

void WriteAccountJson(JsonWriter& j, const Account& a, bool showPasswords) {
  j.BeginObject();
  OptionalText(j, "MAILBOX", a.mailbox);
  OptionalText(j, "POP3", a.server);
  j.Field("PORT", a.port);
  OptionalText(j, "USER", a.user);
  if (showPasswords || !a.password || a.password->empty()) {
    OptionalText(j, "PASS", a.password);
  } else {
    j.Field("PASS", "****");
  }
  j.Field("APOP", a.apop).Field("TIMER", a.interval).Field("ENABLE", a.enabled);
  j.Field("NOINET", a.offlineGuard).Field("BOX_RGB", a.colour);
  j.EndObject();
}

int Run(const std::vector<std::string>& args) {
  std::optional<std::string> iniPath;
  bool showPasswords = false;
  bool resave = false;
  bool accounts = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--ini" && i + 1 < args.size()) {
      iniPath = args[++i];
    } else if (args[i] == "--show-passwords") {
      showPasswords = true;
    } else if (args[i] == "--resave") {
      resave = true;
    } else if (args[i] == "--accounts") {
      accounts = true;
    } else {
      std::fprintf(stderr, "postwink-cli settings: unexpected argument '%s'\nusage: %s\n",
                   args[i].c_str(), kUsage);
      return kExitUsage;
    }
  }
  if (!iniPath || iniPath->empty() || (accounts && !resave)) {
    std::fprintf(stderr, "usage: postwink-cli %s\n", kUsage);
    return kExitUsage;
  }

  SettingsFile file(*iniPath, PlatformSystem());
  Settings settings;
  SettingsLoadResult loaded = file.Load(WindowsDirectory(), settings);
  if (loaded.unreadable) {
    std::fprintf(stderr, "postwink-cli settings: cannot read '%s'\n", iniPath->c_str());
    return kExitFailure;
  }
  std::vector<Account> accountList = file.Accounts(settings.st2Rgb);

  if (resave) {
    if (!file.SaveSettings(settings)) {
      std::fprintf(stderr, "postwink-cli settings: cannot write '%s'\n", iniPath->c_str());
      return kExitFailure;
    }
    if (accounts) {
      SaveAccountsResult saved = file.SaveAccounts(accountList);
      if (!saved.ok) {
        std::fprintf(stderr, "postwink-cli settings: %s\n", saved.error.c_str());
        return kExitFailure;
      }
    }
  }

  JsonWriter j;
  j.BeginObject();
  j.Field("file", *iniPath).Field("exists", loaded.fileExists);
  j.Key("settings");
  WriteSettingsJson(j, settings, loaded.userIcon);
  j.Key("accounts").BeginArray();
  for (const Account& a : accountList) WriteAccountJson(j, a, showPasswords);
  j.EndArray();
  j.EndObject();
  std::printf("%s\n", j.Text().c_str());
  return kExitOk;
}

RegisterCommand reg("settings", kUsage, &Run);

}  // namespace
}  // namespace postwink::cli
