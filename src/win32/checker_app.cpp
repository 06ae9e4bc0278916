#include "checker_app.h"

#include "core/config/command_line.h"
#include "win32/main_dialog.h"
#include "win32/platform/windows_headers.h"

#include <objbase.h>

#include "win32/texts.h"
#include "win32/wide_text.h"
#include "win32/wnd.h"

namespace postwink::win {

namespace {

// A wide path as the program's UTF-8 text: the path itself when it converts back unchanged (any
// path but one holding a lone surrogate), otherwise its short form, which the system spells in
// plain letters.
std::string PathForProgram(const std::wstring& path) {
  std::string narrow = Narrow(path);
  if (Widen(narrow) == path) return narrow;
  DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return narrow;
  std::wstring shortPath(n, L'\0');
  n = GetShortPathNameW(path.c_str(), shortPath.data(), n);
  shortPath.resize(n);
  return n ? Narrow(shortPath) : narrow;
}

void EnsureTrailingBackslash(std::wstring& path) {
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
}

}  // namespace

std::optional<KernelHandle> CreateInstanceMutex(const wchar_t* name) {
  KernelHandle mutex(CreateMutexW(nullptr, FALSE, name));
  if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return std::nullopt;
  return mutex;
}

bool IsWindows98OrMe(DWORD platformId, DWORD major, DWORD minor) {
  return platformId == VER_PLATFORM_WIN32_WINDOWS && major == 4 && minor != 0;
}

bool IsWindows98OrMe() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(&info)) return false;
  return IsWindows98OrMe(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

std::string ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  path.resize(path.rfind(L'\\') + 1);  // npos + 1 == 0: no backslash, no folder
  return PathForProgram(path);
}

std::string UserTempDirectory() {
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return {};
  std::wstring path(temp, n);
  DWORD longLen = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (longLen > 0) {
    std::wstring longPath(longLen, L'\0');
    longLen = GetLongPathNameW(path.c_str(), longPath.data(), longLen);
    if (longLen > 0 && longLen < longPath.size()) {
      longPath.resize(longLen);
      path = longPath;
    }
  }
  EnsureTrailingBackslash(path);
  return PathForProgram(path);
}

std::optional<std::string> CreateTempFolder(FileSystem& files, const std::string& tempDirectory) {
  if (tempDirectory.empty()) return std::nullopt;
  std::string folder = tempDirectory + kTempFolderName + "\\";
  if (!files.CreateDirectory(folder)) return std::nullopt;
  return folder;
}

std::optional<std::string> WindowsDirectory() {
  wchar_t dir[MAX_PATH + 1];
  UINT n = GetWindowsDirectoryW(dir, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return std::nullopt;
  return PathForProgram(std::wstring(dir, n));
}

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> args;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return args;
  for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv[i]));
  LocalFree(argv);
  return args;
}

CheckerApp::CheckerApp(System& system)
    : system_(system), log_(system.files, system.clock, system.codePage) {}

CheckerApp::~CheckerApp() = default;

bool CheckerApp::InitInstance(const std::vector<std::string>& args) {
  // 1. One copy per session: a second one ends at once, silently.
  mutex_ = CreateInstanceMutex(kInstanceMutexName);
  if (!mutex_) return false;
  // 2-4.
  windows98OrMe_ = IsWindows98OrMe();
  programDirectory_ = ProgramDirectory();
  settings_ = Settings{};
  // 5.
  verbose_ = HasVerboseOption(args);
  // 6.
  std::optional<std::string> temp = CreateTempFolder(system_.files, UserTempDirectory());
  if (!temp) {
    MessageBoxW(nullptr, Widen(kTextTempFolderFailed).c_str(), Widen(kTextProgramName).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  tempFolder_ = *temp;
  // 7. Winsock 1.1 is what the transport needs; the Winsock 2 library provides it.
  WSADATA wsa;
  // 2.2 for IPv6 and GetAddrInfoW.
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return false;
  winsockStarted_ = true;
  // Screen readers get the list's accessible object through COM's marshalling.
  comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  // 8. The preview pane is a rich-edit control.
  richEdit_.reset(LoadLibraryW(L"Msftedit.dll"));
  if (!richEdit_) richEdit_.reset(LoadLibraryW(L"riched20.dll"));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                     ICC_LINK_CLASS | ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&controls);
  // 9.
  settingsFile_.emplace(programDirectory_ + kSettingsFileName, system_);
  SettingsLoadResult loaded = settingsFile_->Load(WindowsDirectory(), settings_);
  userIcon_ = loaded.userIcon;
  ReloadIcons(TrayIconSize());
  taskbarTheme_ = TaskbarThemeFromSetting(SystemUsesLightTheme());
  // Said once; the file is then left alone for the whole run.
  if (loaded.unreadable) {
    MessageBoxW(nullptr, Widen(kSettingsUnreadable).c_str(), Widen(kTextProgramName).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
  }
  // 10. Each run with logging starts a new log.
  if (verbose_ || settings_.log) {
    log_.SetLogPath(programDirectory_, kLogFileName);
    log_.DeleteLogFile();
  }
  // 11. The regular-expression facility is part of the filters; there is no library to load.
  // 12.
  mainDialog_ = std::make_unique<MainDialog>(*this);
  if (!mainDialog_->Create()) return false;
  // 13. The main window answers by hiding into the tray.
  SendMessageW(mainDialog_->hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  return true;
}

int CheckerApp::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Keyboard navigation for whichever modeless dialog the message is for.
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    wchar_t className[8];
    if (root && GetClassNameW(root, className, 8) && std::wstring_view(className) == L"#32770" &&
        IsDialogMessageW(root, &msg)) {
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void CheckerApp::FinishRun() {
  if (finished_ || !mutex_) return;
  finished_ = true;
  if (settingsFile_) {
    CheckEngine* engine = mainDialog_ ? mainDialog_->Engine() : nullptr;
    const bool withAccounts = engine != nullptr && mainDialog_->AccountsUnsaved();
    // A refused account still leaves the global settings to write.
    if (!withAccounts ||
        !settingsFile_->SaveSettingsAndAccounts(settings_, engine->Accounts()).ok) {
      settingsFile_->SaveSettings(settings_);
    }
  }
  // Files still open elsewhere stay, and then so does the folder.
  if (!tempFolder_.empty()) system_.files.RemoveTree(tempFolder_);
}

std::array<IconSet, 2> CheckerApp::ReloadIcons(int size) {
  std::array<IconSet, 2> before = std::move(icons_);
  for (TaskbarTheme theme : {TaskbarTheme::kDark, TaskbarTheme::kLight}) {
    icons_[static_cast<size_t>(theme)] = LoadIconSet(userIcon_, programDirectory_, theme, size);
  }
  trayIconPixels_ = size;
  return before;
}

void CheckerApp::ExitInstance() {
  // Before the main window object goes: it holds the accounts.
  FinishRun();
  mainDialog_.reset();
  if (mutex_) {
    mutex_.reset();
    icons_ = {};
  }
  richEdit_.reset();
  if (comStarted_) CoUninitialize();
  comStarted_ = false;
  if (winsockStarted_) WSACleanup();
  winsockStarted_ = false;
}

}  // namespace postwink::win
