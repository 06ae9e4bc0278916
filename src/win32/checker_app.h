#pragma once
// CheckerApp: the application object. Start-up makes sure only one copy runs, sets up the
// program-wide paths, the settings, the log and the hidden main window; shutdown writes the
// settings back and removes what start-up made.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/config/log_file.h"
#include "core/config/settings.h"
#include "core/config/settings_file.h"
#include "core/platform/system.h"
#include "win32/handles.h"
#include "win32/icon_set.h"

namespace postwink::win {

class MainDialog;

inline constexpr const wchar_t* kInstanceMutexName = L"Postwink-Instance";
inline constexpr const char* kTempFolderName = "Postwink";

// The named mutex, or none when another copy already holds one of that name.
std::optional<KernelHandle> CreateInstanceMutex(const wchar_t* name);
// The Windows 98/Me test on the platform id and version numbers.
bool IsWindows98OrMe(DWORD platformId, DWORD major, DWORD minor);
bool IsWindows98OrMe();
// The folder of the running program, ending with a backslash.
std::string ProgramDirectory();
// The user's temporary directory as a long path, ending with a backslash.
std::string UserTempDirectory();
// tempDirectory + "Postwink\": created, or accepted when it is already a folder. None for an
// existing file of that name or any other failure.
std::optional<std::string> CreateTempFolder(FileSystem& files, const std::string& tempDirectory);
// The system's directory of Windows, for the default sound file.
std::optional<std::string> WindowsDirectory();
// The arguments after the program name, as UTF-8.
std::vector<std::string> CommandLineArguments();

class CheckerApp {
 public:
  explicit CheckerApp(System& system);
  ~CheckerApp();
  CheckerApp(const CheckerApp&) = delete;
  CheckerApp& operator=(const CheckerApp&) = delete;

  // The start-up steps in order; false ends the program (a message has been shown if one is
  // due). args are the command line's arguments after the program name.
  bool InitInstance(const std::vector<std::string>& args);
  // The message loop; returns the exit code.
  int Run();
  // Shutdown: settings, mutex, icons, temporary folder.
  void ExitInstance();
  // What every end of the run leaves on disk, once: the settings written (with the accounts
  // when Apply took some since the last save), the temporary folder removed. The session's end
  // calls it before the system may end the process.
  void FinishRun();

  System& GetSystem() { return system_; }
  Settings& GetSettings() { return settings_; }
  LogFile& Log() { return log_; }
  // The tray's pictures for the task bar's current theme.
  const IconSet& Icons() const { return icons_[static_cast<size_t>(taskbarTheme_)]; }
  TaskbarTheme GetTaskbarTheme() const { return taskbarTheme_; }
  void SetTaskbarTheme(TaskbarTheme theme) { taskbarTheme_ = theme; }
  // The size the tray's pictures were loaded at.
  int TrayIconPixels() const { return trayIconPixels_; }
  // Loads both sets again at size pixels; the sets they replace are handed back, as the tray
  // may still show their pictures.
  std::array<IconSet, 2> ReloadIcons(int size);
  MainDialog* Main() { return mainDialog_.get(); }
  const std::string& ProgramDir() const { return programDirectory_; }
  // Postwink.ini as read at start-up; its saves refuse when it could not be read then.
  SettingsFile& GetSettingsFile() { return *settingsFile_; }
  const std::string& TempFolder() const { return tempFolder_; }
  bool SettingsFileExisted() const { return settingsFile_ && settingsFile_->Existed(); }
  bool Windows98OrMe() const { return windows98OrMe_; }
  bool Verbose() const { return verbose_; }

 private:
  System& system_;
  std::optional<KernelHandle> mutex_;
  bool windows98OrMe_ = false;
  bool verbose_ = false;
  bool winsockStarted_ = false;
  bool comStarted_ = false;
  std::string programDirectory_;
  // Set once the settings were read; only then are they written back at shutdown.
  std::optional<SettingsFile> settingsFile_;
  std::string tempFolder_;
  Settings settings_;
  LogFile log_;
  // Both variants stay loaded, so a switch leaves no picture the tray still shows destroyed.
  std::array<IconSet, 2> icons_;
  std::string userIcon_;
  int trayIconPixels_ = 16;
  TaskbarTheme taskbarTheme_ = TaskbarTheme::kDark;
  ModuleHandle richEdit_;
  std::unique_ptr<MainDialog> mainDialog_;
  bool finished_ = false;
};

}  // namespace postwink::win
