#include "win32/platform/winhttp_client.h"

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <winhttp.h>
#include <ws2tcpip.h>
// clang-format on

#include <chrono>
#include <memory>

#include "core/net/net_texts.h"
#include "core/net/tls_channel.h"
#include "win32/platform/certificate_check.h"
#include "win32/platform/oauth_texts_win32.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

struct InternetClose {
  void operator()(void* h) const { WinHttpCloseHandle(h); }
};
using InternetPtr = std::unique_ptr<void, InternetClose>;
struct CertFree {
  void operator()(const CERT_CONTEXT* c) const { CertFreeCertificateContext(c); }
};
using CertPtr = std::unique_ptr<const CERT_CONTEXT, CertFree>;

// This machine by name or address (127.0.0.0/8, ::1); "127.example.com" is not.
bool IsLoopbackHost(const std::wstring& host) {
  if (host == L"localhost" || host == L"[::1]" || host == L"::1") return true;
  IN_ADDR address{};
  return InetPtonW(AF_INET, host.c_str(), &address) == 1 && address.S_un.S_un_b.s_b1 == 127;
}

HttpsAnswer Failure(std::string error) {
  HttpsAnswer answer;
  answer.error = std::move(error);
  return answer;
}

// The last WinHTTP error, for the user. Wine names a time-out as a broken connection: the
// budget running out is what tells.
HttpsAnswer LastFailure(std::chrono::steady_clock::time_point deadline) {
  DWORD error = GetLastError();
  if (error == ERROR_WINHTTP_TIMEOUT ||
      std::chrono::steady_clock::now() + std::chrono::milliseconds(100) >= deadline) {
    return Failure(texts::kTooSlow);
  }
  switch (error) {
    case ERROR_WINHTTP_SECURE_FAILURE:
      return Failure(texts::kTlsHandshakeFailed);
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return Failure(texts::kHttpsUnreachable);
    default:
      return Failure(texts::kHttpsBroken);
  }
}

void SetTimeouts(HINTERNET http, int ms) {
  WinHttpSetTimeouts(http, ms, ms, ms, ms);
  // Waiting for the answer's head has a limit of its own, which the call above leaves alone.
  DWORD response = static_cast<DWORD>(ms);
  WinHttpSetOption(http, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response, sizeof response);
}

}  // namespace

HttpsAnswer PostAndWait(const HttpsPost& request) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(request.timeoutMs);

  std::wstring url = Widen(request.url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength =
      static_cast<DWORD>(-1);
  if (url.empty() || !WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
      parts.dwHostNameLength == 0) {
    return Failure(texts::kHttpsAddressInvalid);
  }
  std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  // A token in plain HTTP is for a proxy on this machine (or the tests), never the network.
  if (!secure && !(parts.nScheme == INTERNET_SCHEME_HTTP && IsLoopbackHost(host))) {
    return Failure(texts::kHttpsAddressInvalid);
  }
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  InternetPtr session(WinHttpOpen(L"Postwink", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return Failure(texts::kHttpsBroken);
  // Every step may wait only what is left of the whole budget.
  auto remaining = [&deadline]() -> int {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 1 ? static_cast<int>(left.count()) : 1;
  };
  SetTimeouts(session.get(), remaining());
  InternetPtr connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  if (!connection) return LastFailure(deadline);
  InternetPtr http(WinHttpOpenRequest(connection.get(), L"POST", path.c_str(), nullptr,
                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      secure ? WINHTTP_FLAG_SECURE : 0));
  if (!http) return LastFailure(deadline);
  // No redirection (a token endpoint that sends one elsewhere is not to be followed with the
  // code), no cookies, no Windows credentials offered to the server, and no connection kept
  // for later: one cut off after too long an answer must close.
  DWORD disabled = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_KEEP_ALIVE;
  WinHttpSetOption(http.get(), WINHTTP_OPTION_DISABLE_FEATURE, &disabled, sizeof disabled);
  DWORD logon = WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH;
  WinHttpSetOption(http.get(), WINHTTP_OPTION_AUTOLOGON_POLICY, &logon, sizeof logon);
  if (secure) {
    // WinHTTP's own checks are switched off for the chain engine's, below.
    DWORD ignore = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                   SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
    WinHttpSetOption(http.get(), WINHTTP_OPTION_SECURITY_FLAGS, &ignore, sizeof ignore);
  }

  // The head goes first and the body only once the certificate has passed.
  const wchar_t kHeaders[] =
      L"Content-Type: application/x-www-form-urlencoded\r\nAccept: application/json\r\n";
  SetTimeouts(http.get(), remaining());
  if (!WinHttpSendRequest(http.get(), kHeaders, static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0,
                          static_cast<DWORD>(request.formBody.size()), 0)) {
    return LastFailure(deadline);
  }
  if (secure) {
    const CERT_CONTEXT* remote = nullptr;
    DWORD size = sizeof remote;
    if (!WinHttpQueryOption(http.get(), WINHTTP_OPTION_SERVER_CERT_CONTEXT, &remote, &size) ||
        remote == nullptr) {
      return Failure(texts::kTlsHandshakeFailed);
    }
    CertPtr cert(remote);
    TlsFailure failure = CheckServerCertificate(cert.get(), TlsTarget{Narrow(host), {}});
    if (failure != TlsFailure::kNone) return Failure(TlsFailureText(failure));
  }
  std::string_view left = request.formBody;
  while (!left.empty()) {
    DWORD written = 0;
    if (!WinHttpWriteData(http.get(), left.data(), static_cast<DWORD>(left.size()), &written) ||
        written == 0) {
      return LastFailure(deadline);
    }
    left.remove_prefix(written);
  }
  SetTimeouts(http.get(), remaining());
  if (!WinHttpReceiveResponse(http.get(), nullptr)) return LastFailure(deadline);

  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(http.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return LastFailure(deadline);
  }
  HttpsAnswer answer;
  char piece[4096];
  for (;;) {
    if (Clock::now() > deadline) return Failure(texts::kTooSlow);
    SetTimeouts(http.get(), remaining());
    DWORD got = 0;
    if (!WinHttpReadData(http.get(), piece, sizeof piece, &got)) return LastFailure(deadline);
    if (got == 0) break;
    size_t room = request.maxResponseBytes - answer.body.size();
    if (got > room) {
      answer.body.append(piece, room);
      answer.tooLarge = true;
      break;
    }
    answer.body.append(piece, got);
  }
  answer.status = static_cast<int>(status);
  return answer;
}

void WinHttpClient::Post(const HttpsPost& request, std::function<void(HttpsAnswer)> done) {
  RunOffThread<HttpsAnswer>(
      poster_, [request] { return PostAndWait(request); }, std::move(done),
      Failure(texts::kHttpsBroken));
}

}  // namespace postwink::win
