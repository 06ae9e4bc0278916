#pragma once
// Deterministic stand-ins for the system interfaces: files in memory, a fixed clock and a
// scripted random source.

#include <deque>
#include <map>
#include <string>

#include "core/platform/system.h"

namespace postwink::testing {

class FakeClock final : public Clock {
 public:
  LocalTime Now() const override { return now; }
  int64_t UnixSeconds() const override { return unixSeconds; }
  int64_t MonotonicMs() const override { return monotonicMs; }
  std::string LocaleDateTimeText() const override { return localeDateTime; }

  LocalTime now;
  int64_t unixSeconds = 1700000000;
  int64_t monotonicMs = 0;
  std::string localeDateTime = "2026/12/09 23:04:05";
};

class FakeFileSystem final : public FileSystem {
 public:
  std::optional<std::string> ReadAll(const std::string& path) const override {
    auto it = files.find(path);
    if (it == files.end() || unreadable) return std::nullopt;
    return it->second;
  }
  // Models the temporary sibling: the data is written first, and only a successful replace
  // makes it the file's contents.
  bool WriteAtomic(const std::string& path, std::string_view data) override {
    ++atomicWrites;
    std::string temp = path + ".tmp";
    files[temp] = std::string(data);
    if (failBeforeReplace) {
      files.erase(temp);
      return false;
    }
    files[path] = files[temp];
    files.erase(temp);
    return true;
  }
  bool Append(const std::string& path, std::string_view data) override {
    if (failAppend) return false;
    files[path] += data;
    ++appends;
    return true;
  }
  bool Exists(const std::string& path) const override { return files.count(path) > 0; }
  bool IsDirectory(const std::string&) const override { return false; }
  bool RemoveFile(const std::string& path) override { return files.erase(path) > 0; }
  bool CreateDirectory(const std::string&) override { return true; }
  bool RemoveTree(const std::string&) override { return true; }
  std::vector<std::string> ListDirectory(const std::string&) const override { return {}; }
  char Separator() const override { return separator; }

  std::map<std::string, std::string> files;
  bool failBeforeReplace = false;
  bool failAppend = false;
  bool unreadable = false;
  int atomicWrites = 0;
  int appends = 0;
  char separator = '\\';
};

// Returns the scripted numbers in turn, then zeros; records the seed.
class FakeRandom final : public Random {
 public:
  void Seed(uint32_t s) override {
    seed = s;
    ++seeds;
  }
  int Next() override {
    ++draws;
    if (numbers.empty()) return 0;
    int n = numbers.front();
    numbers.pop_front();
    return n;
  }

  std::deque<int> numbers;
  uint32_t seed = 0;
  int seeds = 0;
  int draws = 0;
};

// The fakes bound together; code-page conversion is the platform's own.
struct FakeSystem {
  FakeClock clock;
  FakeFileSystem files;
  FakeRandom random;
  System system{clock, files, PlatformSystem().codePage, random};
};

}  // namespace postwink::testing
