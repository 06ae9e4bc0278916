// postwink-cli watch --ini FILE: the check engine running headless as the tray program would
// (START_RUN, the minute timer, each account's interval, IMAP push), printing every announced
// message and every failed account as one JSON line, until interrupted.
#include <csignal>
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

volatile std::sig_atomic_t interrupted = 0;
void OnSignal(int) { interrupted = 1; }

int Run(const std::vector<std::string>& args) {
  std::string ini;
  bool verbose = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--ini" && i + 1 < args.size()) {
      ini = args[++i];
    } else if (args[i] == "-v") {
      verbose = true;
    } else {
      ini.clear();
      break;
    }
  }
  if (ini.empty()) {
    std::fprintf(stderr, "usage: postwink-cli watch --ini FILE [-v]\n");
    return kExitUsage;
  }
  std::optional<CheckerSetup> setup = LoadChecker(ini, verbose);
  if (!setup) return kExitFailure;

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);

  HeadlessCheckHost host(PlatformSystem(), PlatformCharsetConverter(), PlatformTimeZone(),
                         setup->settings, setup->log.get(), setup->tempFolder);
  host.keepPreviewText = false;
  std::unique_ptr<PumpedTransport> transport = MakePlatformTransport();
  CheckEngine engine(host, *transport, setup->settings, std::move(setup->accounts));
  engine.SetVerbose(verbose);
#ifndef _WIN32
  CliOAuth oauth;
  engine.SetTokenProvider(oauth.tokens.get());
#endif
  // IMAP accounts with PUSH=1 wait with IDLE on connections of their own.
  engine.EnablePush([] { return MakePlatformTransport(); });
  host.onAccountEnded = [&](int position, const std::string* error) {
    if (!error || position < 0 || position >= static_cast<int>(engine.Accounts().size())) return;
    JsonWriter line;
    line.BeginObject()
        .Field("event", "error")
        .Field("mailbox", engine.Accounts()[position]->mailbox.value_or(""))
        .Field("error", *error)
        .EndObject();
    std::printf("%s\n", line.Text().c_str());
    std::fflush(stdout);
  };
  host.onNewMail = [](const std::vector<const MailItem*>& items) {
    for (const MailItem* item : items) {
      JsonWriter line;
      line.BeginObject().Field("event", "new").Key("item");
      WriteItemJson(line, *item);
      line.EndObject();
      std::printf("%s\n", line.Text().c_str());
    }
    std::fflush(stdout);
  };
  engine.Start();
  host.Run(
      engine, *transport, [] { return false; }, &interrupted);
  engine.Stop();
  return kExitOk;
}

RegisterCommand reg("watch", "watch --ini FILE [-v]   check as the tray program does, until Ctrl+C",
                    &Run);

}  // namespace
}  // namespace postwink::cli
