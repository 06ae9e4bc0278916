#pragma once
// The sign-in rows of the accounts page: password or OAuth 2.0, the provider, the registered
// client, a custom provider's addresses and scope, the token command, and the text beside the
// "サインイン..." button.

#include <optional>
#include <string>

#include "core/config/account.h"

namespace postwink {

// The method drop-down's entries, in order.
inline constexpr const char* kSignInMethods[] = {"パスワード", "OAuth 2.0"};
// The provider drop-down's entries, in the order of the OAUTH values they stand for.
inline constexpr const char* kSignInProviders[] = {"Microsoft", "Google", "カスタム"};

// What the rows show for an account: method 0 password, 1 OAuth; provider an index into
// kSignInProviders, -1 for none (a password account, or a hand-written OAUTH value that names
// no provider, which is kept as it is).
struct SignInRows {
  int method = 0;
  int provider = -1;
};
SignInRows SignInRowsOf(const AccountFields& fields);

// Takes the rows back into the fields; typed holds the texts of the rows' fields (its provider
// is ignored). A password account keeps the typed client and addresses (so that choosing OAuth
// again finds them) but loses OAUTH and the token command, either of which would make it OAuth.
void TakeSignInRows(AccountFields& fields, SignInRows rows, const OAuthKeys& typed);

struct SignInEnabling {
  bool password = true;  // the password and APOP
  bool oauth = false;    // provider, client and token command
  bool custom = false;   // the custom provider's addresses and scope
  bool signInButton = false;
};
SignInEnabling SignInEnablingOf(SignInRows rows, const std::string& tokenCommand);

// The text beside the button for the shown account.
std::string SignInStateText(const AccountFields& fields, bool signedIn, bool signingIn);

// Why an enabled account cannot sign in as set (checked before Apply), or none.
std::optional<std::string> SignInProblem(const AccountFields& fields);

}  // namespace postwink
