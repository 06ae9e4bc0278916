// postwink-cli bench: measurements that join the peer benchmark's table. Each subcommand
// prints one RESULT line (peer, messages, bytes, seconds of the best run, rates, checksum).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/mime/body_and_parts.h"
#include "core/mime/charset.h"
#include "core/mime/date.h"
#include "core/mime/parse_message.h"
#include "core/platform/system.h"

namespace postwink::cli {
namespace {

struct Corpus {
  std::vector<std::string> messages;
  uint64_t bytes = 0;
};

// Every *.eml file of the folder, in name order, read into memory before any timing.
std::optional<Corpus> ReadCorpus(const std::string& folder) {
  std::error_code ec;
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.is_regular_file() && entry.path().extension() == ".eml") {
      paths.push_back(entry.path());
    }
  }
  if (ec) return std::nullopt;
  std::sort(paths.begin(), paths.end());
  Corpus corpus;
  for (const auto& path : paths) {
    std::optional<std::string> text = PlatformSystem().files.ReadAll(path.string());
    if (!text) return std::nullopt;
    corpus.bytes += text->size();
    corpus.messages.push_back(std::move(*text));
  }
  return corpus;
}

size_t Length(const std::optional<std::string>& text) { return text ? text->size() : 0; }

// One pass over the corpus: each message into a MailItem, then its part list and body text.
uint64_t ParseAll(const Corpus& corpus, const ParseOptions& options) {
  uint64_t checksum = 0;
  for (const std::string& text : corpus.messages) {
    MailItem item;
    ParseMessage(item, text, std::to_string(text.size()), options);
    PartList parts;
    std::optional<std::string> body = GetBodyAndParts(item, parts, options.charsets);
    checksum += Length(item.from) + Length(item.to) + Length(item.cc) + Length(item.subject) +
                Length(item.dateText) + item.identity.size() + Length(item.contentType) +
                (item.flags & kMailImportant) + Length(body);
    for (const MimePart& part : parts) checksum += 1 + Length(part.name) + Length(part.type);
  }
  return checksum;
}

int BenchParse(const std::vector<std::string>& args) {
  int runs = 3;
  std::string folder;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--runs" && i + 1 < args.size()) {
      runs = std::max(1, std::atoi(args[++i].c_str()));
    } else {
      folder = args[i];
    }
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: postwink-cli bench parse [--runs N] DIR\n");
    return kExitUsage;
  }
  std::optional<Corpus> corpus = ReadCorpus(folder);
  if (!corpus) {
    std::fprintf(stderr, "bench parse: cannot read the folder '%s'\n", folder.c_str());
    return kExitFailure;
  }

  CharsetContext charsets{PlatformSystem().codePage, PlatformCharsetConverter()};
  LocalZone zone{PlatformTimeZone()};
  ParseOptions options(charsets, zone);

  double best = 0;
  std::optional<uint64_t> checksum;
  for (int run = 0; run < runs; ++run) {
    auto start = std::chrono::steady_clock::now();
    uint64_t sum = ParseAll(*corpus, options);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "run %d: %.3f s\n", run + 1, seconds);
    if (checksum && *checksum != sum) {
      std::fprintf(stderr, "bench parse: checksum differs between runs\n");
      return kExitFailure;
    }
    checksum = sum;
    if (run == 0 || seconds < best) best = seconds;
  }
  double count = static_cast<double>(corpus->messages.size());
  std::printf(
      "RESULT peer=postwink messages=%zu bytes=%llu seconds=%.3f msgs_per_s=%.1f mb_per_s=%.2f "
      "checksum=%llu\n",
      corpus->messages.size(), static_cast<unsigned long long>(corpus->bytes), best,
      best > 0 ? count / best : 0.0,
      best > 0 ? static_cast<double>(corpus->bytes) / 1e6 / best : 0.0,
      static_cast<unsigned long long>(checksum.value_or(0)));
  return kExitOk;
}

struct Subcommand {
  const char* name;
  CommandFunction run;
};

// Further measurements add a row here.
constexpr Subcommand kSubcommands[] = {
    {"parse", &BenchParse},
};

int Run(const std::vector<std::string>& args) {
  if (!args.empty()) {
    for (const Subcommand& sub : kSubcommands) {
      if (args[0] == sub.name) return sub.run({args.begin() + 1, args.end()});
    }
  }
  std::fprintf(stderr, "usage: postwink-cli bench SUBCOMMAND ...; subcommands:");
  for (const Subcommand& sub : kSubcommands) std::fprintf(stderr, " %s", sub.name);
  std::fprintf(stderr, "\n");
  return kExitUsage;
}

RegisterCommand reg("bench", "bench parse [--runs N] DIR   parse every *.eml of DIR, print RESULT",
                    &Run);

}  // namespace
}  // namespace postwink::cli
