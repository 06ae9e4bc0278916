// The browser of the sign-in tests under Wine: started with the authorization address as its
// last argument, it takes the authorization server's redirect (consent given or refused, as the
// server is told) and follows it to the program's loopback listener, as a real browser would.
// What it saw goes to the file named by its first argument: the redirect's address, then the
// page the program answered with.
//   oauth_browser.exe LOGFILE URL
#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <string>

namespace {

struct Handle {
  HINTERNET h;
  explicit Handle(HINTERNET handle) : h(handle) {}
  ~Handle() {
    if (h != nullptr) WinHttpCloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

// GET of the address without following redirections: the status, the Location and the body.
bool Get(const std::wstring& url, DWORD& status, std::wstring& location, std::string& body) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return false;
  std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                      std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  Handle session(WinHttpOpen(L"oauth_browser", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0));
  Handle connection(WinHttpConnect(session.h, host.c_str(), parts.nPort, 0));
  bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  Handle request(WinHttpOpenRequest(connection.h, L"GET", path.c_str(), nullptr, nullptr, nullptr,
                                    secure ? WINHTTP_FLAG_SECURE : 0));
  if (request.h == nullptr) return false;
  DWORD off = WINHTTP_DISABLE_REDIRECTS;
  WinHttpSetOption(request.h, WINHTTP_OPTION_DISABLE_FEATURE, &off, sizeof off);
  // The test authority is not this browser's business.
  DWORD ignore = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                 SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
  if (secure) WinHttpSetOption(request.h, WINHTTP_OPTION_SECURITY_FLAGS, &ignore, sizeof ignore);
  if (!WinHttpSendRequest(request.h, nullptr, 0, nullptr, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.h, nullptr)) {
    return false;
  }
  DWORD size = sizeof status;
  WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, nullptr,
                      &status, &size, nullptr);
  wchar_t where[4096] = {};
  size = sizeof where;
  if (WinHttpQueryHeaders(request.h, WINHTTP_QUERY_LOCATION, nullptr, where, &size, nullptr)) {
    location = where;
  }
  char piece[4096];
  DWORD got = 0;
  while (WinHttpReadData(request.h, piece, sizeof piece, &got) && got > 0) body.append(piece, got);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  FILE* log = _wfopen(argv[1], L"ab");
  if (log == nullptr) return 2;
  DWORD status = 0;
  std::wstring location;
  std::string body;
  if (!Get(argv[argc - 1], status, location, body) || status != 302 || location.empty()) {
    std::fprintf(log, "no redirect (status %lu)\n", status);
    std::fclose(log);
    return 1;
  }
  std::fprintf(log, "redirect %ls\n", location.c_str());
  std::string page;
  std::wstring ignored;
  bool answered = Get(location, status, ignored, page);
  std::fprintf(log, "page %lu %s\n", answered ? status : 0, page.c_str());
  std::fclose(log);
  return answered ? 0 : 1;
}
