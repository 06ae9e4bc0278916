// postwink-cli sign-in --ini FILE --account N [--device [--device-url URL] | --browser CMD]
//                      [--timeout SECONDS] [--sign-out]
// Signs an OAuth account in and stores its refresh token for later checks: through the browser
// (authorization code with PKCE, the redirect to a port on 127.0.0.1), or with the device
// authorization grant, which prints an address and a code to enter on any device.
// POSIX only: on Windows the program itself signs in (WinHTTP, DPAPI).
#ifndef _WIN32
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/checker_setup.h"
#include "cli/command.h"
#include "cli/oauth_setup.h"
#include "core/config/account.h"
#include "core/oauth/oauth_texts.h"
#include "core/oauth/token_requests.h"
#include "core/oauth/token_response.h"

namespace postwink::cli {
namespace {

constexpr char kUsage[] =
    "usage: postwink-cli sign-in --ini FILE --account N [--device [--device-url URL] | "
    "--browser CMD] [--timeout SECONDS] [--sign-out]\n";

int Fail(const std::string& text) {
  std::fprintf(stderr, "postwink-cli: %s\n", TerminalText(text).c_str());
  return kExitFailure;
}

HttpsAnswer PostNow(HttpsClient& https, const std::string& url, const std::string& form) {
  HttpsAnswer answer;
  HttpsPost post;
  post.url = url;
  post.formBody = form;
  https.Post(post, [&answer](HttpsAnswer a) { answer = std::move(a); });
  return answer;
}

int DeviceGrant(CliOAuth& oauth, const OAuthSettings& settings, int timeoutSeconds) {
  if (settings.deviceUrl.empty()) return Fail("--device-url is needed for this provider");
  HttpsAnswer started = PostNow(oauth.https, settings.deviceUrl, DeviceStartForm(settings));
  std::optional<TokenResponse> device;
  if (started.status >= 200 && started.status <= 299 && !started.tooLarge) {
    device = ParseTokenResponse(started.body);
  }
  if (!device || device->deviceCode.empty() || device->userCode.empty() ||
      device->verificationUri.empty()) {
    TokenGrant grant = ReadTokenAnswer(started);
    return Fail(grant.error.empty() ? texts::kOAuthEndpointUnreadable : grant.error);
  }
  std::printf("To sign in, open %s and enter the code %s\n",
              TerminalText(device->verificationUri).c_str(),
              TerminalText(device->userCode).c_str());
  std::fflush(stdout);
  // The server's pace (RFC 8628: 5 seconds unless it says otherwise, 5 more on slow_down).
  int64_t intervalMs = device->interval ? *device->interval * 1000 : 5000;
  int64_t leftMs = static_cast<int64_t>(timeoutSeconds) * 1000;
  if (device->expiresIn) leftMs = std::min<int64_t>(leftMs, *device->expiresIn * 1000);
  while (leftMs > 0) {
    int64_t waitMs = std::max<int64_t>(intervalMs, 100);
    usleep(static_cast<useconds_t>(std::min<int64_t>(waitMs, leftMs) * 1000));
    leftMs -= waitMs;
    HttpsAnswer answer =
        PostNow(oauth.https, settings.tokenUrl, DevicePollForm(settings, device->deviceCode));
    TokenGrant grant = ReadTokenAnswer(answer);
    if (grant.errorCode == "authorization_pending") continue;
    if (grant.errorCode == "slow_down") {
      intervalMs += 5000;
      continue;
    }
    if (!grant.ok) return Fail(grant.error);
    SignInOutcome outcome = oauth.tokens->TakeTokenAnswer(settings, answer);
    if (!outcome.ok) return Fail(outcome.error);
    std::printf("signed in\n");
    return kExitOk;
  }
  return Fail(texts::kOAuthSignInTimeout);
}

int Run(const std::vector<std::string>& args) {
  std::string ini, browser, deviceUrl;
  int number = 0;
  int timeoutSeconds = kSignInTimeoutMs / 1000;
  bool device = false, signOut = false;
  for (size_t i = 0; i < args.size(); ++i) {
    bool value = i + 1 < args.size();
    if (args[i] == "--ini" && value) {
      ini = args[++i];
    } else if (args[i] == "--account" && value) {
      number = std::atoi(args[++i].c_str());
    } else if (args[i] == "--browser" && value) {
      browser = args[++i];
    } else if (args[i] == "--device-url" && value) {
      deviceUrl = args[++i];
      device = true;
    } else if (args[i] == "--timeout" && value) {
      timeoutSeconds = std::atoi(args[++i].c_str());
    } else if (args[i] == "--device") {
      device = true;
    } else if (args[i] == "--sign-out") {
      signOut = true;
    } else {
      std::fprintf(stderr, "%s", kUsage);
      return kExitUsage;
    }
  }
  if (ini.empty() || number < 1 || timeoutSeconds < 1) {
    std::fprintf(stderr, "%s", kUsage);
    return kExitUsage;
  }
  std::optional<CheckerSetup> setup = LoadChecker(ini, false);
  if (!setup) return kExitFailure;
  if (number > static_cast<int>(setup->accounts.size())) return Fail("no such account");
  std::optional<OAuthSettings> settings = OAuthSettingsOf(FieldsOf(*setup->accounts[number - 1]));
  if (!settings) return Fail("the account signs in with a password (OAUTH is empty)");
  if (!deviceUrl.empty()) settings->deviceUrl = deviceUrl;
  CliOAuth oauth(browser);
  if (signOut) {
    oauth.tokens->SignOut(*settings);
    std::printf("signed out\n");
    return kExitOk;
  }
  if (!settings->tokenCommand.empty()) return Fail(texts::kOAuthWithCommand);
  if (const char* problem = OAuthSettingsProblem(*settings)) return Fail(problem);
  if (device) return DeviceGrant(oauth, *settings, timeoutSeconds);

  std::optional<SignInOutcome> outcome;
  oauth.tokens->BeginSignIn(
      *settings, [&outcome](SignInOutcome o) { outcome = std::move(o); }, timeoutSeconds * 1000);
  if (!outcome) oauth.listener.Serve();
  if (!outcome) return Fail(texts::kOAuthSignInTimeout);
  if (!outcome->ok) return Fail(outcome->error);
  std::printf("signed in\n");
  return kExitOk;
}

RegisterCommand reg("sign-in",
                    "sign-in --ini FILE --account N [--device [--device-url URL] | --browser CMD] "
                    "[--timeout S] [--sign-out]   OAuth sign-in of one account",
                    &Run);

}  // namespace
}  // namespace postwink::cli

#endif  // _WIN32
