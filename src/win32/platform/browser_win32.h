#pragma once
// The user's browser for the sign-in page: the system's handler of https addresses, or the
// command line in the environment variable POSTWINK_BROWSER (the address is appended in
// quotes), for a particular browser or profile and for the tests.

#include "core/oauth/oauth_platform.h"

namespace postwink::win {

inline constexpr wchar_t kBrowserVariable[] = L"POSTWINK_BROWSER";

class WinBrowser : public Browser {
 public:
  bool Open(const std::string& url) override;
};

class WinSecureRandom : public SecureRandom {
 public:
  bool Fill(std::span<uint8_t> bytes) override;
};

}  // namespace postwink::win
