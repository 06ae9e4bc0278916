// postwink-cli bench: measurements that join the peer benchmark's table. Each subcommand
// prints one RESULT line (peer, messages, bytes, seconds of the best run, rates, checksum).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/mime/body_and_parts.h"
#include "core/mime/charset.h"
#include "core/mime/date.h"
#include "core/mime/header_fields.h"
#include "core/mime/parse_message.h"
#include "core/mime/transfer_encoding.h"
#include "core/platform/system.h"
#include "core/text/utf8.h"

namespace postwink::cli {
namespace {

struct Corpus {
  std::vector<std::string> messages;
  uint64_t bytes = 0;
};

// Every *.eml file of the folder, in name order, read into memory before any timing, with the
// CR LF line ends that a POP3 session would have delivered.
std::optional<Corpus> ReadCorpus(const std::string& folder, std::vector<std::string>& names) {
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
    corpus.messages.push_back(WithCrLfLineEnds(*text));
    names.push_back(path.filename().string());
  }
  return corpus;
}

size_t Length(const std::optional<std::string>& text) { return text ? text->size() : 0; }

// One TSV field in UTF-8: tabs and line breaks become spaces.
std::string DumpField(const std::string& text, size_t maxCharacters = std::string::npos) {
  const std::string utf8 = ToValidUtf8(text);
  std::string out;
  size_t characters = 0;
  for (char c : utf8) {
    bool lead = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (lead && characters++ == maxCharacters) break;
    out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
  }
  return out;
}

// The bare type of a part, lower case, as the peers write it; a part without one is text/plain.
std::string BareType(const std::optional<std::string>& type) {
  if (!type) return "text/plain";
  std::string bare = type->substr(0, type->find(';'));
  while (!bare.empty() && (bare.back() == ' ' || bare.back() == '\t')) bare.pop_back();
  for (char& c : bare) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return bare;
}

// The fields that the peers' --dump files hold, one message a line, for compare_dumps.py.
bool WriteDump(const std::string& path, const std::vector<std::string>& names, const Corpus& corpus,
               const ParseOptions& options) {
  std::string out;
  for (size_t i = 0; i < corpus.messages.size(); ++i) {
    const std::string& text = corpus.messages[i];
    MailItem item;
    ParseMessage(item, text, std::nullopt, options);
    PartList parts;
    std::optional<std::string> body = GetBodyAndParts(item, parts, options.charsets);
    std::string partList;
    for (const MimePart& part : parts) {
      if (!partList.empty()) partList += ';';
      partList += BareType(part.type) + ":" + part.name.value_or("");
    }
    const std::string fields[] = {
        names[i],
        DumpField(item.from.value_or("")),
        DumpField(item.to.value_or("")),
        DumpField(item.cc.value_or("")),
        DumpField(item.subject.value_or("")),
        DumpField(item.dateText.value_or("")),
        DumpField(GetHeaderField(text, "Message-ID:").value_or("")),
        DumpField(GetHeaderField(text, "X-Priority:").value_or("")),
        DumpField(item.contentType.value_or("")),
        DumpField(partList),
        DumpField(body.value_or(""), 100),
    };
    for (size_t f = 0; f < std::size(fields); ++f) {
      out += fields[f];
      out += f + 1 < std::size(fields) ? '\t' : '\n';
    }
  }
  return PlatformSystem().files.WriteWhole(path, out);
}

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
  std::string dumpPath;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--runs" && i + 1 < args.size()) {
      runs = std::max(1, std::atoi(args[++i].c_str()));
    } else if (args[i] == "--dump" && i + 1 < args.size()) {
      dumpPath = args[++i];
    } else {
      folder = args[i];
    }
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: postwink-cli bench parse [--runs N] [--dump FILE] DIR\n");
    return kExitUsage;
  }
  std::vector<std::string> names;
  std::optional<Corpus> corpus = ReadCorpus(folder, names);
  if (!corpus) {
    std::fprintf(stderr, "bench parse: cannot read the folder '%s'\n", folder.c_str());
    return kExitFailure;
  }

  CharsetContext charsets{PlatformSystem().codePage, PlatformCharsetConverter()};
  LocalZone zone{PlatformTimeZone()};
  ParseOptions options(charsets, zone);
  options.dotStuffed = false;  // the files hold messages as stored
  if (!dumpPath.empty() && !WriteDump(dumpPath, names, *corpus, options)) {
    std::fprintf(stderr, "bench parse: cannot write '%s'\n", dumpPath.c_str());
    return kExitFailure;
  }

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

RegisterCommand reg("bench",
                    "bench parse [--runs N] [--dump FILE] DIR   parse every *.eml of DIR, print "
                    "RESULT",
                    &Run);

}  // namespace
}  // namespace postwink::cli
