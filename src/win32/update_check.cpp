#include "update_check.h"

#include <new>
#include <thread>
#include <vector>

#include "core/platform/system.h"
#include "win32/handles.h"
#include "win32/version_info.h"
#include "win32/wide_text.h"

namespace postwink::win {

namespace {

struct InternetTraits {
  using Type = HINTERNET;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Close(Type h) { InternetCloseHandle(h); }
};
using InternetHandle = UniqueHandle<InternetTraits>;

}  // namespace

DownloadResult DownloadUpdateFile(const UpdateRequest& request) {
  DownloadResult result;
  std::wstring proxy;
  DWORD access = INTERNET_OPEN_TYPE_PRECONFIG;
  if (request.proxyUse != 0 && !request.proxyServer.empty() && request.proxyPort != 0) {
    proxy = Widen(request.proxyServer + ":" + std::to_string(request.proxyPort));
    access = INTERNET_OPEN_TYPE_PROXY;
  }
  InternetHandle session(
      InternetOpenW(L"Postwink", access, proxy.empty() ? nullptr : proxy.c_str(), nullptr, 0));
  if (!session) return {1, {}};
  InternetHandle url(InternetOpenUrlW(session.get(), Widen(request.url).c_str(), nullptr, 0,
                                      INTERNET_FLAG_RELOAD, 0));
  if (!url) return {1, {}};
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoW(url.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      nullptr) ||
      status != 200) {
    return {1, {}};
  }
  SYSTEMTIME modified{};
  size = sizeof modified;
  FILETIME modifiedTime{};
  bool haveTime = HttpQueryInfoW(url.get(), HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME,
                                 &modified, &size, nullptr) &&
                  SystemTimeToFileTime(&modified, &modifiedTime);

  std::string body;
  char piece[256];
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(url.get(), piece, sizeof piece, &got)) return {2, {}};
    if (got == 0) break;
    if (body.size() + got > kMaxUpdateFileBytes) return {2, {}};
    body.append(piece, got);
  }

  std::string path = request.folder + UpdateFileName(request.url);
  KernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {3, {}};
  std::string_view left = body;
  while (!left.empty()) {
    DWORD written = 0;
    if (!WriteFile(file.get(), left.data(), static_cast<DWORD>(left.size()), &written, nullptr) ||
        written == 0) {
      return {3, {}};
    }
    left.remove_prefix(written);
  }
  if (haveTime) SetFileTime(file.get(), &modifiedTime, &modifiedTime, &modifiedTime);
  result.path = path;
  return result;
}

UpdateOutcome RunUpdateCheck(const UpdateRequest& request, const std::string& ownVersion,
                             UpdateState& state) {
  if (ownVersion.empty()) return {8, false};
  std::optional<Version> own = ParseVersion(ownVersion);
  if (!own) return {9, false};
  DownloadResult download;
  try {
    download = DownloadUpdateFile(request);
  } catch (const std::bad_alloc&) {
    return {2, false};  // allocating the body failed
  }
  if (download.code != 0) return {download.code, false};
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.downloadedPath = download.path;
  }
  std::optional<std::string> text = PlatformSystem().files.ReadAll(download.path);
  if (!text) return {10, false};
  UpdateCheck check = CheckUpdateFile(*text, *own);
  if (check == UpdateCheck::kNewer) return {0, true};
  if (check == UpdateCheck::kNotNewer) return {0, false};
  return {static_cast<int>(check), false};
}

void StartUpdateCheck(HWND target, UpdateRequest request, std::shared_ptr<UpdateState> state) {
  // The thread owns copies of what it reads; the state outlives whichever side ends last.
  std::thread([target, request = std::move(request), state = std::move(state)] {
    // Nothing may leave the thread: an escaping exception would end the whole program. Memory
    // running out is the worker's failure to allocate (code 2), and the user is told nothing.
    try {
      UpdateOutcome outcome = RunUpdateCheck(request, ReadVersionString("ProductVersion"), *state);
      if (outcome.newer) PostMessageW(target, WM_UPDATE_FOUND, 0, 0);
    } catch (...) {
    }
  }).detach();
}

}  // namespace postwink::win
