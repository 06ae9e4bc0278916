// A stand-in for the user's editor in the tests. Started as the editor is ("EDITOR" "FILE"), it
// writes its command line (UTF-8) to RECORD.cmdline and a copy of FILE's bytes to RECORD.file,
// RECORD being %POSTWINK_EDITOR_RECORD% or record_editor beside the program; then it waits for
// input with a window open, as an editor does, and ends after two seconds.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  return CloseHandle(file) && ok;
}

std::string ReadBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(cannot read the file)";
  std::string bytes;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(file, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  CloseHandle(file);
  return bytes;
}

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
  }
  return out;
}

std::wstring RecordBase() {
  wchar_t env[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"POSTWINK_EDITOR_RECORD", env, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return std::wstring(env, n);
  wchar_t self[MAX_PATH];
  DWORD len = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, len);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"record_editor";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  std::wstring base = RecordBase();
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::string bytes = argc > 1 ? ReadBytes(argv[1]) : "(no file argument)";
  WriteBytes(base + L".file", bytes);
  // The command line last: its presence says that both are complete.
  WriteBytes(base + L".cmdline", Utf8(GetCommandLineW()));
  LocalFree(argv);

  HWND window = CreateWindowExW(0, L"STATIC", L"record_editor", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, instance, nullptr);
  SetTimer(window, 1, 2000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    DispatchMessageW(&msg);
  }
  DestroyWindow(window);
  return 0;
}
