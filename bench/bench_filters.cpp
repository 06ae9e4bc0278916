// The filter evaluation with a full table (30 rules, half of them regular expressions) over
// generated messages, and the expression matcher on long targets to show its linear time.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/config/settings.h"
#include "core/filter/filter_eval.h"
#include "core/filter/regex_program.h"

namespace postwink {
namespace {

// Patterns that do not match the generated messages, so every rule is tried.
FilterTable FullTable() {
  const char* regexes[] = {"/(?i)^\\[?(spam|ad|promo)\\]?/",
                           "/\\bviagra\\b/",
                           "/^\\d{3}-\\d{4}$/",
                           "/(?i)unsubscribe\\s+now/",
                           "/[\x83\x40-\x83\x96]{12}/",
                           "/(free|cheap)+ (pills|loans)/",
                           "/\\$\\d+(\\.\\d\\d)?/",
                           "/^Re:\\s*Re:\\s*Re:/",
                           "/[^\\x00-\\x7f]{40,}/",
                           "/(?:win|won) .* prize/",
                           "/\x96\xb3\x97\xbf.*\x8f\xdc/",
                           "/@(spam|bulk)\\.example$/",
                           "/X{3,}/",
                           "/(a|b|c|d|e)+z$/",
                           "/^.{200,}$/"};
  const char* plain[] = {"viagra", "casino", "lottery", "bitcoin", "\x90\xbf\x8b\x81",
                         "urgent", "winner", "refund",  "prince",  "inheritance",
                         "crypto", "offer!", "$$$",     "act now", "\x8d\x4c\x8d\x90"};
  FilterTable table;
  for (int i = 0; i < 15; ++i) {
    FilterRule regex;
    regex.target = i % 3;
    regex.useRegex = 1;
    regex.pattern = regexes[i];
    table.rules.push_back(regex);
    FilterRule substring;
    substring.target = i % 4;
    substring.headerName = "X-Mailer:";
    substring.pattern = plain[i];
    table.rules.push_back(substring);
  }
  return table;
}

std::vector<MailItem> GenerateMessages(int count) {
  std::mt19937 random(20261209);
  const char* names[] = {"Alice", "Bob", "\x8e\x52\x93\x63 \x91\xbe\x98\x59", "Carol"};
  const char* words[] = {"meeting",
                         "report",
                         "\x89\xef\x8b\x63",
                         "\x8e\x91\x97\xbf",
                         "lunch",
                         "update",
                         "draft",
                         "\x97\x5c\x92\xe8",
                         "review"};
  std::vector<MailItem> items(count);
  for (MailItem& item : items) {
    std::string name = names[random() % 4];
    item.from = name + " <user" + std::to_string(random() % 1000) + "@example.org>";
    item.to = "me@example.org";
    std::string subject;
    for (int w = 2 + random() % 8; w > 0; --w) subject += std::string(words[random() % 9]) + " ";
    item.subject = subject;
    item.headerText =
        "From: " + *item.from + "\r\nTo: me@example.org\r\nSubject: " + subject +
        "\r\nX-Mailer: Postwink bench\r\nDate: Wed, 9 Dec 2026 10:00:00 +0900\r\n\r\n";
  }
  return items;
}

void BM_EvaluateFiltersPerMessage(benchmark::State& state) {
  const FilterTable table = FullTable();
  Settings settings;
  std::vector<MailItem> items = GenerateMessages(1000);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(EvaluateFilters(items[i], table, settings, &BuiltInRegex()));
    i = (i + 1) % items.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateFiltersPerMessage);

// The same table against a subject of the given length (a long folded header, a hostile
// server): the time per byte stays flat.
void BM_EvaluateFiltersLongSubject(benchmark::State& state) {
  const FilterTable table = FullTable();
  Settings settings;
  MailItem item = GenerateMessages(1)[0];
  std::string subject;
  while (subject.size() < static_cast<size_t>(state.range(0))) subject += "ab \x82\xa0 report ";
  subject.resize(state.range(0));
  item.subject = subject;
  for (auto _ : state) {
    benchmark::DoNotOptimize(EvaluateFilters(item, table, settings, &BuiltInRegex()));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_EvaluateFiltersLongSubject)->RangeMultiplier(4)->Range(1 << 10, 1 << 20)->Complexity();

// The most work one rule can ask for: an expression near the largest program, with a thread at
// nearly every instruction alive at every character, over one header field of the given length
// (a hostile message). One rule on one message looks at a bounded part of its field only.
void BM_PathologicalRuleOnALongField(benchmark::State& state) {
  FilterRule rule;
  rule.target = kFilterTargetHeader;
  rule.headerName = "X-Junk:";
  rule.useRegex = 1;
  rule.pattern = "/.{0,950}Z/";
  FilterTable table;
  table.rules.push_back(rule);
  Settings settings;
  MailItem item = GenerateMessages(1)[0];
  item.headerText = "X-Junk: " + std::string(state.range(0), 'a') + "\r\n\r\n";
  for (auto _ : state) {
    benchmark::DoNotOptimize(EvaluateFilters(item, table, settings, &BuiltInRegex()));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PathologicalRuleOnALongField)
    ->RangeMultiplier(8)
    ->Range(1 << 12, 1 << 21)
    ->Unit(benchmark::kMillisecond);

// One expression that a backtracking matcher needs exponential time for, on up to 1 MB.
void BM_RegexPathological(benchmark::State& state) {
  auto compiled = RegexProgram::Compile("(a|aa)*(a*)*b");
  const RegexProgram& program = std::get<RegexProgram>(compiled);
  const std::string target(state.range(0), 'a');
  for (auto _ : state) benchmark::DoNotOptimize(program.Search(target));
  state.SetBytesProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RegexPathological)->RangeMultiplier(4)->Range(1 << 10, 1 << 20)->Complexity();

}  // namespace
}  // namespace postwink
