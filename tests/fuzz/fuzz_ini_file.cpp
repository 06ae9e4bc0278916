// A hand-edited Postwink.ini: parsing gives back the same bytes, reading never fails, and a
// second save of what a first save wrote changes nothing (settings and accounts alike).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/config/account.h"
#include "core/config/ini_file.h"
#include "core/config/settings.h"

namespace {

using namespace postwink;

class FixedClock final : public Clock {
 public:
  LocalTime Now() const override { return {}; }
  int64_t UnixSeconds() const override { return 1700000000; }
  int64_t MonotonicMs() const override { return 0; }
  std::string LocaleDateTimeText() const override { return "x"; }
};

class CountingRandom final : public Random {
 public:
  void Seed(uint32_t seed) override { state_ = seed; }
  int Next() override {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  uint32_t state_ = 1;
};

class NoFiles final : public FileSystem {
 public:
  std::optional<std::string> ReadAll(const std::string&) const override { return std::nullopt; }
  bool WriteAtomic(const std::string&, std::string_view) override { return false; }
  bool Append(const std::string&, std::string_view) override { return false; }
  bool Exists(const std::string&) const override { return false; }
  bool IsDirectory(const std::string&) const override { return false; }
  bool RemoveFile(const std::string&) override { return false; }
  bool CreateDirectory(const std::string&) override { return false; }
  bool RemoveTree(const std::string&) override { return false; }
  std::vector<std::string> ListDirectory(const std::string&) const override { return {}; }
  char Separator() const override { return '\\'; }
};

std::string SaveSettingsOnce(const std::string& text) {
  IniFile ini = IniFile::Parse(text);
  Settings settings;
  ReadSettings(ini, std::string("C:\\WINDOWS"), settings);
  WriteSettings(ini, settings);
  return ini.Text();
}

bool SameStoredFields(const Account& a, const Account& b) {
  return a.mailbox == b.mailbox && a.server == b.server && a.port == b.port && a.user == b.user &&
         a.password == b.password && a.apop == b.apop && a.interval == b.interval &&
         a.enabled == b.enabled && a.offlineGuard == b.offlineGuard && a.colour == b.colour;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (IniFile::Parse(text).Text() != text) std::abort();

  // A second save of the settings changes nothing the first one wrote.
  std::string first = SaveSettingsOnce(text);
  if (SaveSettingsOnce(first) != first) std::abort();

  // Accounts read back as they were saved, or the save is refused and writes nothing.
  FixedClock clock;
  NoFiles files;
  CountingRandom random;
  System system{clock, files, PlatformSystem().codePage, random};
  IniFile ini = IniFile::Parse(text);
  std::vector<Account> accounts = ReadAccounts(ini, 0);
  if (!WriteAccounts(ini, accounts, system).ok) {
    if (ini.Text() != text) std::abort();
    return 0;
  }
  std::vector<Account> back = ReadAccounts(IniFile::Parse(ini.Text()), 0);
  if (back.size() != accounts.size()) std::abort();
  for (size_t i = 0; i < back.size(); ++i) {
    if (!SameStoredFields(back[i], accounts[i])) std::abort();
  }
  return 0;
}
