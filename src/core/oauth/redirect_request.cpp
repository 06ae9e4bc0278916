#include "core/oauth/redirect_request.h"

#include "core/mime/transfer_encoding.h"
#include "core/oauth/oauth_texts.h"

namespace postwink {
namespace {

// Escapes what HTML gives a meaning to, so that a hostile error_description stays text.
std::string HtmlText(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string Response(const char* status, std::string_view body) {
  std::string page =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Postwink</title></head><body><p>";
  page += body;
  page += "</p></body></html>";
  std::string out = "HTTP/1.1 ";
  out += status;
  out += "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: ";
  out += std::to_string(page.size());
  out += "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
  out += page;
  return out;
}

}  // namespace

std::string QueryDecode(std::string_view text) {
  std::string plus(text);
  for (char& c : plus) {
    if (c == '+') c = ' ';
  }
  return PercentDecode(plus);
}

RedirectResult ParseRedirectRequest(std::string_view head, std::string_view expectedState) {
  RedirectResult result;
  std::string_view line = head.substr(0, head.find_first_of("\r\n"));
  if (line.substr(0, 4) != "GET ") return result;
  line.remove_prefix(4);
  std::string_view target = line.substr(0, line.find(' '));
  size_t query = target.find('?');
  // The redirect address is the root; anything else (a favicon) is not the answer.
  if (target.substr(0, query) != "/" || query == std::string_view::npos) return result;
  std::string_view rest = target.substr(query + 1);
  bool hasState = false, hasCode = false, hasError = false;
  std::string state;
  while (!rest.empty()) {
    std::string_view pair = rest.substr(0, rest.find('&'));
    rest.remove_prefix(pair.size() < rest.size() ? pair.size() + 1 : rest.size());
    size_t eq = pair.find('=');
    std::string_view name = pair.substr(0, eq);
    std::string value = eq == std::string_view::npos ? "" : QueryDecode(pair.substr(eq + 1));
    // A name given twice is a forged or broken answer: the first one counts for nothing then.
    if (name == "code") {
      result.code = hasCode ? "" : value;
      hasCode = true;
    } else if (name == "state") {
      state = hasState ? "" : value;
      hasState = true;
    } else if (name == "error") {
      result.error = value;
      hasError = true;
    } else if (name == "error_description") {
      result.errorDescription = value;
    }
  }
  if (!hasState && !hasCode && !hasError) return result;
  if (!hasState || expectedState.empty() || state != expectedState) {
    result.kind = RedirectResult::Kind::kStaleState;
    result.code.clear();
  } else if (hasError) {
    result.kind = RedirectResult::Kind::kDenied;
    result.code.clear();
  } else if (result.code.empty()) {
    result.kind = RedirectResult::Kind::kNoCode;
  } else {
    result.kind = RedirectResult::Kind::kCode;
  }
  return result;
}

std::string RedirectAnswerPage(const RedirectResult& result) {
  switch (result.kind) {
    case RedirectResult::Kind::kCode:
      return Response("200 OK", "Postwinkのｻｲﾝｲﾝを受け付けました。このﾍﾟｰｼﾞは閉じてかまいません。");
    case RedirectResult::Kind::kDenied: {
      std::string body = HtmlText(texts::kOAuthSignInDenied);
      body += HtmlText(result.error);
      if (!result.errorDescription.empty()) body += ": " + HtmlText(result.errorDescription);
      return Response("200 OK", body);
    }
    case RedirectResult::Kind::kStaleState:
      return Response("400 Bad Request", HtmlText(texts::kOAuthStaleState));
    case RedirectResult::Kind::kNoCode:
      return Response("400 Bad Request", HtmlText(texts::kOAuthNoCode));
    case RedirectResult::Kind::kOther:
      break;
  }
  return Response("404 Not Found", "Not Found");
}

}  // namespace postwink
