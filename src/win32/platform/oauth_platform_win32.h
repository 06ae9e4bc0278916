#pragma once
// Everything the sign-in needs from Windows, made on the window's thread and kept for the
// program's life: WinHTTP, the DPAPI token file, the token command, the loopback listener and
// the browser.

#include <string>

#include "core/oauth/oauth_platform.h"
#include "core/platform/system.h"
#include "win32/platform/browser_win32.h"
#include "win32/platform/dpapi_token_store.h"
#include "win32/platform/loopback_listener_win32.h"
#include "win32/platform/token_command_win32.h"
#include "win32/platform/window_thread_queue.h"
#include "win32/platform/winhttp_client.h"

namespace postwink::win {

class WinOAuthPlatform {
 public:
  // tokenFile: where the refresh tokens are sealed (Postwink.tokens beside Postwink.ini).
  WinOAuthPlatform(FileSystem& files, std::string tokenFile)
      : https_(queue_.Poster()),
        store_(files, std::move(tokenFile)),
        commands_(queue_.Poster()),
        platform_{https_, store_, commands_, random_, &listener_, &browser_} {}
  WinOAuthPlatform(const WinOAuthPlatform&) = delete;
  WinOAuthPlatform& operator=(const WinOAuthPlatform&) = delete;

  OAuthPlatform& Get() { return platform_; }

 private:
  WindowThreadQueue queue_;
  WinHttpClient https_;
  DpapiTokenStore store_;
  WinTokenCommandRunner commands_;
  WinSecureRandom random_;
  WinLoopbackListener listener_;
  WinBrowser browser_;
  OAuthPlatform platform_;
};

}  // namespace postwink::win
