#pragma once
// An engine over three fake servers ("pop0".."pop2", two messages each) and the fake host.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "unit/check/fake_check_host.h"

namespace postwink::testing {

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() {
    settings.listDown = 1;
    settings.sokigErr = 1;
    settings.svTimeout = 60;
    settings.useSound = 1;
    settings.soundFile = "new.wav";
    for (int i = 0; i < 3; ++i) {
      servers[i].messages = {MakeMessage("a" + std::to_string(i)),
                             MakeMessage("b" + std::to_string(i))};
      for (auto& m : servers[i].messages) m.uid += "-" + std::to_string(i);
      network.servers["pop" + std::to_string(i)] = &servers[i];
    }
  }

  void MakeEngine(int accountCount = 3, int interval = 10) {
    std::vector<std::unique_ptr<Account>> accounts = MakeAccounts(accountCount);
    for (auto& a : accounts) a->interval = interval;
    engine = std::make_unique<CheckEngine>(host, network, settings, std::move(accounts));
  }
  Account& At(int i) { return *engine->Accounts()[i]; }
  void RunCheckNow() {
    engine->CheckNow();
    host.Advance(10000, *engine, network);
  }

  Settings settings;
  FakeServer servers[3];
  FakeTransport network;
  FakeCheckHost host;
  std::unique_ptr<CheckEngine> engine;
};

}  // namespace postwink::testing
