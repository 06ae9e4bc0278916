#ifndef _WIN32
#include "cli/oauth_setup.h"

#include <cstdlib>

#include "core/platform/system.h"

namespace postwink::cli {
namespace {

std::string BrowserCommand(const std::string& given) {
  if (!given.empty()) return given;
  if (const char* browser = std::getenv("BROWSER"); browser && *browser) return browser;
  return "xdg-open";
}

}  // namespace

CliOAuth::CliOAuth(const std::string& browserCommand)
    : browser(BrowserCommand(browserCommand)),
      platform{https, store, commands, random, &listener, &browser},
      tokens(std::make_unique<TokenProvider>(platform, PlatformSystem().clock)) {}

}  // namespace postwink::cli

#endif  // _WIN32
