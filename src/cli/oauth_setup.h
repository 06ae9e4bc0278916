#pragma once
// The OAuth services of the command line: HTTPS through libcurl, refresh tokens in the user's
// state folder, token commands through the shell, and (for sign-in) a loopback listener and a
// browser command. Everything runs on the one thread, each request to its end. POSIX only: on
// Windows the program itself signs in (WinHTTP, DPAPI) and the command line has no OAuth.

#ifndef _WIN32
#include <memory>
#include <string>

#include "core/oauth/token_provider.h"
#include "posix/oauth_posix.h"

namespace postwink::cli {

struct CliOAuth {
  // browserCommand: run with the authorization address as its argument; empty takes $BROWSER,
  // then xdg-open.
  explicit CliOAuth(const std::string& browserCommand = {});

  CurlHttpsClient https;
  FileRefreshTokenStore store;
  ShellCommandRunner commands;
  DevRandom random;
  PosixLoopbackListener listener;
  CommandBrowser browser;
  OAuthPlatform platform;
  std::unique_ptr<TokenProvider> tokens;
};

}  // namespace postwink::cli

#endif  // _WIN32
