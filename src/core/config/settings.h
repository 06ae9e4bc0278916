#pragma once
// The global settings of [Postwink] in Postwink.ini: one record, read once at start-up and
// written back when the settings sheet is confirmed and at shutdown.

#include <optional>
#include <string>

#include "core/config/ini_file.h"
#include "core/filter/filter_rule.h"
#include "core/platform/system.h"

namespace postwink {

inline constexpr const char* kSettingsFileName = "Postwink.ini";
inline constexpr const char* kSettingsSection = "Postwink";

// Longest values the text fields hold (field width less the terminator), in UTF-16 units as the
// Windows buffers these values go into count them (a character outside the Basic Multilingual
// Plane takes two). A longer value in the file is cut at a character boundary when it is read.
inline constexpr size_t kMaxPathText = 259;   // EDITOR, MUA, SOUND_FILE, USERICON
inline constexpr size_t kMaxShortText = 31;   // COLLIST, FONTNAME, FONTNAME_PREVIEW
inline constexpr size_t kMaxReadText = 1023;  // UPDATE_URL, UPDATE_PROXY_SERVER

inline constexpr const char* kDefaultUpdateUrl =
    "http://update.postwink.example/Postwink/update.dat";

// Fields are in the order the keys are read; each comment names its key. Flags are integers
// (non-zero is on) and colours are 0x00BBGGRR, both kept as the file's 32-bit values.
struct Settings {
  std::string editor;             // EDITOR
  std::string mua;                // MUA
  int bgRgb = 0;                  // BG_RGB
  int st1Rgb = 0;                 // ST1_RGB
  int st2Rgb = 0;                 // ST2_RGB
  int st3Rgb = 0;                 // ST3_RGB
  int selRgb = 0;                 // SEL_RGB
  int preRgb = 0;                 // PRE_RGB
  int prebgRgb = 0;               // PREBG_RGB
  int useSound = 0;               // USE_SOUND
  std::string soundFile;          // SOUND_FILE
  int dispSec = 0;                // DISP_SEC
  int drawSec = 0;                // DRAW_SEC
  int showStyle = 0;              // SHOWSTYLE
  int dispPos = 0;                // DISP_POS
  int autoClose = 0;              // AUTOCLOSE
  int dispHead = 0;               // DISP_HEAD
  int grid = 0;                   // GRID
  std::string colList;            // COLLIST
  int trimFrom = 0;               // TRIM_FROM
  int hotKey = 0;                 // HOTKEY
  int serverSyn = 0;              // SERVER_SYN
  int sortItem = 0;               // SORTITEM
  int preview = 0;                // PREVIEW
  int previewHeight = 0;          // PREVIEW_HEIGHT
  int advance = 0;                // ADVANCE
  int startRun = 0;               // START_RUN
  int log = 0;                    // LOG
  int sokigErr = 0;               // SOKIGERR
  int listDown = 0;               // LISTDOWN
  int getLine = 0;                // GETLINE
  int showHeader = 0;             // SHOWHEADER
  int showTooltip = 0;            // SHOW_TOOLTIP
  int svTimeout = 0;              // SV_TIMEOUT
  int updateCheck = 0;            // UPDATE_CHECK
  std::string updateUrl;          // UPDATE_URL
  int updateProxyUse = 0;         // UPDATE_PROXY_USE
  std::string updateProxyServer;  // UPDATE_PROXY_SERVER
  int updateProxyPort = 0;        // UPDATE_PROXY_PORT
  std::string fontName;           // FONTNAME
  int fontSize = 0;               // FONTSIZE
  std::string fontNamePreview;    // FONTNAME_PREVIEW
  int fontSizePreview = 0;        // FONTSIZE_PREVIEW
  FilterTable filters;            // section "Filter" and the legacy MANAGE keys
};

struct SettingsLoadResult {
  bool fileExists = false;  // the file is there, whether or not it could be read
  bool unreadable = false;  // it is there but could not be read: the settings are the defaults
  // USERICON is not kept in Settings: the caller hands it to the icon loader at once.
  std::string userIcon;
};

// Reads every key in order with its default into settings (which is reset first). The SOUND_FILE
// default is built from windowsDirectory; without one, USE_SOUND becomes 0.
void ReadSettings(const IniFile& ini, const std::optional<std::string>& windowsDirectory,
                  Settings& settings, std::string* userIcon = nullptr);
// Writes the keys in the program's order; keys it never writes are left as they are.
void WriteSettings(IniFile& ini, const Settings& settings);

// The file as read is left in ini when one is given (empty when it could not be read).
SettingsLoadResult LoadSettings(const std::string& iniPath, System& system,
                                const std::optional<std::string>& windowsDirectory,
                                Settings& settings, IniFile* ini = nullptr);
// Reads the file afresh, applies the writes and replaces the file once, so that edits made to
// the file by hand or by other parts of the program since it was read survive. Returns false
// when the file could not be written; the old file then stays as it was.
bool SaveSettings(const std::string& iniPath, System& system, const Settings& settings);

}  // namespace postwink
