// Win32 implementations of the core's system interfaces. Paths arrive as UTF-8 and are widened to
// UTF-16, so every name Windows can hold round-trips; only wide (...W) APIs are called. Code page
// 932 is converted explicitly, for the stored files that still use it, so the result does not
// depend on the system's ANSI code page.
#include "win32/platform/windows_headers.h"

#include <ctime>
#include <string>

#include "core/platform/system.h"
#include "core/text/cp932.h"
#include "core/text/utf8.h"
#include "win32/handles.h"

namespace postwink {
namespace {

constexpr UINT kCp932 = 932;

// Bytes that Windows maps to control or private-use code points although Shift_JIS has no
// character there; treated as invalid so both platforms give "?" for them.
bool IsUnassignedSingleByte(unsigned char c) { return c == 0x80 || c == 0xA0 || c >= 0xFD; }

bool WidenStrict(std::string_view in, std::u16string& out) {
  if (in.empty()) return true;
  int n = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                              nullptr, 0);
  if (n <= 0) return false;
  size_t start = out.size();
  out.resize(start + static_cast<size_t>(n));
  return MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                             reinterpret_cast<wchar_t*>(out.data() + start), n) == n;
}

std::u16string Widen932(std::string_view in) {
  std::u16string out;
  bool clean = true;
  for (size_t i = 0; i < in.size(); i += Cp932CharLength(in, i)) {
    if (Cp932CharLength(in, i) == 1 && IsUnassignedSingleByte(static_cast<unsigned char>(in[i]))) {
      clean = false;
      break;
    }
  }
  if (clean && WidenStrict(in, out)) return out;
  // Character by character: an invalid unit becomes "?" and the scan goes on with the next byte,
  // so a lead byte followed by a byte that cannot trail it does not swallow that byte.
  out.clear();
  for (size_t i = 0; i < in.size();) {
    size_t len = Cp932CharLength(in, i);
    unsigned char c = static_cast<unsigned char>(in[i]);
    bool ok = !(len == 1 && (IsUnassignedSingleByte(c) || IsLeadByte(c))) &&
              WidenStrict(in.substr(i, len), out);
    if (ok) {
      i += len;
    } else {
      out += u'?';
      ++i;
    }
  }
  return out;
}

// Characters that text from Unix and Mac mailers spells with the JIS code points, where code
// page 932 has the Microsoft ones; iconv's CP932 maps them the same way.
char16_t Cp932Equivalent(char16_t c) {
  switch (c) {
    case u'\u00A2':
      return u'\uFFE0';  // cent sign
    case u'\u00A3':
      return u'\uFFE1';  // pound sign
    case u'\u00A5':
      return u'\\';  // yen sign: 0x5C is the yen sign in Japanese fonts
    case u'\u00AC':
      return u'\uFFE2';  // not sign
    case u'\u2014':
      return u'\u2015';  // em dash
    case u'\u2016':
      return u'\u2225';  // double vertical line
    case u'\u203E':
      return u'~';  // overline
    case u'\u2212':
      return u'\uFF0D';  // minus sign
    case u'\u301C':
      return u'\uFF5E';  // wave dash
    default:
      return c;
  }
}

std::string Narrow932(std::u16string_view in) {
  if (in.empty()) return {};
  std::u16string text;
  text.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    char16_t c = in[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      // Nothing outside the BMP is in code page 932: one "?" per character.
      if (c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) ++i;
      text += u'?';
    } else {
      text += Cp932Equivalent(c);
    }
  }
  const wchar_t* src = reinterpret_cast<const wchar_t*>(text.data());
  int srcLen = static_cast<int>(text.size());
  // No best-fit guesses ("e" for "\u00e9"): what the code page lacks becomes "?".
  int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, src, srcLen, nullptr, 0, "?", nullptr);
  if (n <= 0) return std::string(text.size(), '?');
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, src, srcLen, out.data(), n, "?", nullptr);
  return out;
}

std::wstring WidePath(const std::string& path) {
  std::u16string w = Utf8ToUtf16(path);
  return std::wstring(w.begin(), w.end());
}

std::string NarrowName(std::wstring_view w) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(w.data()), w.size()));
}

bool WriteAllTo(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    DWORD chunk = data.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (!WriteFile(file, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
}

class WinClock final : public Clock {
 public:
  LocalTime Now() const override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    LocalTime t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.dayOfWeek = st.wDayOfWeek;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.millisecond = st.wMilliseconds;
    return t;
  }
  int64_t UnixSeconds() const override { return static_cast<int64_t>(time(nullptr)); }
  int64_t MonotonicMs() const override { return static_cast<int64_t>(GetTickCount64()); }
  std::string LocaleDateTimeText() const override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t date[256];
    wchar_t time[256];
    if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 256) == 0 ||
        GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 256) == 0) {
      return {};
    }
    return NarrowName(date) + " " + NarrowName(time);
  }
};

class WinFileSystem final : public FileSystem {
 public:
  std::optional<std::string> ReadAll(const std::string& path) const override {
    win::KernelHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    std::string data;
    char buf[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file.get(), buf, sizeof buf, &got, nullptr)) return std::nullopt;
      if (got == 0) break;
      data.append(buf, got);
    }
    return data;
  }

  bool WriteAtomic(const std::string& path, std::string_view data) override {
    std::wstring target = WidePath(path);
    std::wstring temp = target + L".tmp" + std::to_wstring(GetCurrentProcessId());
    bool ok;
    {
      win::KernelHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file.valid()) return false;
      ok = WriteAllTo(file.get(), data) && FlushFileBuffers(file.get());
      ok = CloseHandle(file.release()) && ok;
    }
    ok = ok && MoveFileExW(temp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
  }

  bool Append(const std::string& path, std::string_view data) override {
    win::KernelHandle file(CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    bool ok = WriteAllTo(file.get(), data);
    return CloseHandle(file.release()) && ok;
  }

  bool Exists(const std::string& path) const override {
    return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  bool IsDirectory(const std::string& path) const override {
    DWORD a = GetFileAttributesW(WidePath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool RemoveFile(const std::string& path) override {
    return DeleteFileW(WidePath(path).c_str()) != 0;
  }
  bool CreateDirectory(const std::string& path) override {
    std::wstring w = WidePath(path);
    while (w.size() > 3 && (w.back() == L'\\' || w.back() == L'/')) w.pop_back();
    if (CreateDirectoryW(w.c_str(), nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    DWORD a = GetFileAttributesW(w.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool RemoveTree(const std::string& path) override { return RemoveTreeW(WidePath(path)); }
  std::vector<std::string> ListDirectory(const std::string& path) const override {
    std::vector<std::string> names;
    std::wstring dir = WidePath(path);
    if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      std::wstring_view name(fd.cFileName);
      if (name != L"." && name != L"..") names.push_back(NarrowName(fd.cFileName));
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return names;
  }
  char Separator() const override { return '\\'; }

  bool WriteWhole(const std::string& path, std::string_view data) override {
    win::KernelHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    bool ok = WriteAllTo(file.get(), data);
    return CloseHandle(file.release()) && ok;
  }

  std::optional<std::string> CreateUniqueFile(const std::string& folder,
                                              std::string_view prefix) override {
    wchar_t path[MAX_PATH];
    std::wstring head = WidePath(std::string(prefix.substr(0, 3)));
    if (GetTempFileNameW(WidePath(folder).c_str(), head.c_str(), 0, path) == 0) return std::nullopt;
    return NarrowName(path);
  }

 private:
  // Works on wide names throughout, so a name that code page 932 cannot hold is still removed.
  static bool RemoveTreeW(std::wstring dir) {
    while (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    bool all = true;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::wstring_view name(fd.cFileName);
        if (name == L"." || name == L"..") continue;
        std::wstring child = dir + L"\\" + fd.cFileName;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
          all = RemoveTreeW(child) && all;
        } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          all = RemoveDirectoryW(child.c_str()) && all;  // a link: remove it, not its target
        } else {
          all = DeleteFileW(child.c_str()) && all;
        }
      } while (FindNextFileW(find, &fd));
      FindClose(find);
    }
    return RemoveDirectoryW(dir.c_str()) && all;
  }
};

class WinCodePage final : public CodePage {
 public:
  std::u16string Widen(std::string_view cp932) const override { return Widen932(cp932); }
  std::string Narrow(std::u16string_view text) const override { return Narrow932(text); }
};

}  // namespace

std::optional<std::string> PrivateTempFolder() {
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return std::nullopt;
  std::wstring folder(temp, n);
  if (folder.back() != L'\\') folder += L'\\';
  folder += L"Postwink\\";
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return std::nullopt;
  }
  DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return NarrowName(folder);
}

System& PlatformSystem() {
  static WinClock clock;
  static WinFileSystem files;
  static WinCodePage codePage;
  static CRandom random;
  static System system{clock, files, codePage, random};
  return system;
}

}  // namespace postwink
