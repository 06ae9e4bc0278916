// What an authorization server or a browser sends back: the token endpoint's JSON and the
// redirect's request head. Neither may crash, and a code is only ever taken with the right state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/oauth/redirect_request.h"
#include "core/oauth/token_requests.h"
#include "core/oauth/token_response.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace postwink;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  ParseTokenResponse(input);
  HttpsAnswer answer;
  answer.status = 200;
  answer.body = std::string(input);
  TokenGrant grant = ReadTokenAnswer(answer);
  if (grant.ok && !IsSendableToken(grant.accessToken)) std::abort();
  RedirectResult redirect = ParseRedirectRequest(input, "STATE");
  if (redirect.kind == RedirectResult::Kind::kCode &&
      input.find("state=STATE") == std::string_view::npos) {
    std::abort();
  }
  RedirectAnswerPage(redirect);
  return 0;
}
