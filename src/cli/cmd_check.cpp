// postwink-cli check --ini FILE [--json]: one check-now cycle of every account through the
// engine, then each account's outcome and the items as the list would show them.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/checker_setup.h"
#include "cli/command.h"
#include "cli/oauth_setup.h"
#include "core/check/check_engine.h"
#include "core/check/headless_check_host.h"
#include "core/platform/system.h"

namespace postwink::cli {
namespace {

int Run(const std::vector<std::string>& args) {
  std::string ini;
  bool json = false;
  bool verbose = false;
  bool lockStep = false;  // one command at a time even where the server pipelines
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--ini" && i + 1 < args.size()) {
      ini = args[++i];
    } else if (args[i] == "--json") {
      json = true;
    } else if (args[i] == "--lock-step") {
      lockStep = true;
    } else if (args[i] == "-v") {
      verbose = true;
    } else {
      std::fprintf(stderr, "usage: postwink-cli check --ini FILE [--json] [--lock-step] [-v]\n");
      return kExitUsage;
    }
  }
  if (ini.empty()) {
    std::fprintf(stderr, "usage: postwink-cli check --ini FILE [--json] [--lock-step] [-v]\n");
    return kExitUsage;
  }
  std::optional<CheckerSetup> setup = LoadChecker(ini, verbose);
  if (!setup) return kExitFailure;

  struct Outcome {
    bool checked = false;
    bool failed = false;
    std::string error;
  };
  std::vector<Outcome> outcomes(setup->accounts.size());
  HeadlessCheckHost host(PlatformSystem(), PlatformCharsetConverter(), PlatformTimeZone(),
                         setup->settings, setup->log.get(), setup->tempFolder);
  host.onAccountEnded = [&](int position, const std::string* error) {
    if (position < 0 || position >= static_cast<int>(outcomes.size())) return;
    outcomes[position].checked = true;
    outcomes[position].failed = error != nullptr;
    if (error) outcomes[position].error = *error;
  };
  host.immediateSteps = true;
  host.keepPreviewText = false;
  std::unique_ptr<PumpedTransport> transport = MakePlatformTransport();
  // The check runs with SOKIGERR 1 so every account is tried and failures are reported here.
  Settings settings = setup->settings;
  settings.sokigErr = 1;
  CheckEngine engine(host, *transport, settings, std::move(setup->accounts));
  engine.SetVerbose(verbose);
#ifndef _WIN32
  CliOAuth oauth;
  engine.SetTokenProvider(oauth.tokens.get());
#endif
  engine.SetPipelining(!lockStep);
  engine.CheckNow();
  host.Run(
      engine, *transport, [&] { return !engine.CycleActive(); }, nullptr);

  bool anyFailed = false;
  JsonWriter out;
  if (json) out.BeginObject().Key("accounts").BeginArray();
  for (size_t i = 0; i < engine.Accounts().size(); ++i) {
    const Account& account = *engine.Accounts()[i];
    const Outcome& o = outcomes[i];
    anyFailed = anyFailed || o.failed;
    const char* status = o.failed ? "failed" : (o.checked ? "ok" : "skipped");
    if (json) {
      out.BeginObject().Field("mailbox", account.mailbox.value_or("")).Field("status", status);
      if (o.failed) out.Field("error", o.error);
      out.Field("messages", account.messageCount).EndObject();
    } else {
      std::printf("%s: %s%s%s\n", TerminalText(account.mailbox.value_or("")).c_str(), status,
                  o.failed ? ": " : "", TerminalText(o.error).c_str());
    }
  }
  if (json) out.EndArray().Key("items").BeginArray();
  for (const auto& item : engine.List().Items()) {
    if (item->flags & (kMailSpam | kMailRemoved)) continue;  // never listed
    if (json) {
      WriteItemJson(out, *item);
    } else {
      std::printf("%s\n", ItemLine(*item).c_str());
    }
  }
  if (json) {
    out.EndArray().EndObject();
    std::printf("%s\n", out.Text().c_str());
  }
  return anyFailed ? kExitFailure : kExitOk;
}

RegisterCommand reg("check",
                    "check --ini FILE [--json] [--lock-step] [-v]   one check of every account",
                    &Run);

}  // namespace
}  // namespace postwink::cli
