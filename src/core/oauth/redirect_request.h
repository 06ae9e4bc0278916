#pragma once
// The browser's request to the loopback redirect (RFC 8252), as the core reads it: the platform
// hands over the request's head and writes back the page built here.

#include <cstddef>
#include <string>
#include <string_view>

namespace postwink {

// A redirect request is one line of a few hundred bytes plus the browser's headers.
inline constexpr size_t kMaxRedirectRequestBytes = 16u << 10;

struct RedirectResult {
  enum class Kind {
    kCode,        // code with the expected state
    kDenied,      // error from the authorization server (error, errorDescription)
    kStaleState,  // state missing or not the one of this sign-in
    kNoCode,      // neither code nor error
    kOther,       // not the redirect at all (a favicon, a stray request): answered, not finished
  };
  Kind kind = Kind::kOther;
  std::string code;
  std::string error;
  std::string errorDescription;
};

// Reads "GET /?code=...&state=... HTTP/1.1" and the rest of the head.
RedirectResult ParseRedirectRequest(std::string_view requestHead, std::string_view expectedState);

// The complete HTTP response for the browser: a short page in the user's language that says
// whether the sign-in went through, with the server's error where there was one.
std::string RedirectAnswerPage(const RedirectResult& result);

// Decodes %XX and "+" of a query component; invalid escapes are kept as they are.
std::string QueryDecode(std::string_view text);

}  // namespace postwink
