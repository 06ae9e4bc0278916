// The message list with 10,000 messages: filling the report model from the display list (texts,
// colours, the sort by "Received") and sorting it again by another column, as a header click
// does. The memory the rows take is reported per row: the window keeps nothing else per row, it
// draws only the rows in view.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>
#include <string>

#include "core/config/account.h"
#include "core/config/settings.h"
#include "core/list/list_rows.h"

namespace postwink {
namespace {

constexpr int kItems = 10000;

struct Corpus {
  std::array<Account, 3> accounts;
  DisplayList list;
};

// Messages as a mailbox holds them: names with and without an address, Japanese and English
// subjects of varied length, dates spread over a year, some read, some important, some with
// their own colours.
Corpus& Messages() {
  static Corpus corpus = [] {
    Corpus c;
    const char* names[] = {"Work", "Home", "\x83\x81\x83\x8b\x83\x7d\x83\x4b"};  // メルマガ
    for (int k = 0; k < 3; ++k) {
      c.accounts[static_cast<size_t>(k)].mailbox = names[k];
      c.accounts[static_cast<size_t>(k)].index = k;
    }
    const char* senders[] = {"Alice Smith <alice@example.com>",
                             "\"Yamada, Taro\" <taro@example.jp>",
                             "\x8e\x52\x93\x63\x91\xbe\x98\x59 <yamada@example.jp>",  // 山田太郎
                             "ci@example.com", "Build Server <ci@example.com>"};
    const char* subjects[] = {
        "Lunch on Friday?", "Re: Re: quarterly numbers", "Nightly report (attached)",
        "\x89\xef\x8b\x63\x82\xcc\x8b\x63\x8e\x96\x98\x5e",  // 会議の議事録
        "\x81\x79\x82\xa8\x92\x6d\x82\xe7\x82\xb9\x81\x7a\x96\xbe\x93\xfa\x82\xcc\x93\x56\x8b\x43"};
    std::mt19937 random(42);
    auto pick = [&random](unsigned n) { return static_cast<unsigned>(random() % n); };
    for (int i = 0; i < kItems; ++i) {
      auto item = std::make_unique<MailItem>();
      item->account = &c.accounts[pick(3)];
      item->from = senders[pick(5)];
      item->subject = std::string(subjects[pick(5)]) + " #" + std::to_string(pick(997));
      char date[32];
      std::snprintf(date, sizeof date, "26/%02u/%02u %02u:%02u:%02u", 1 + pick(12), 1 + pick(28),
                    pick(24), pick(60), pick(60));
      item->dateText = date;
      if (pick(3) == 0) item->flags |= kMailRead;
      if (pick(10) == 0) item->flags |= kMailImportant;
      if (pick(20) == 0) item->flags |= kMailOwnColours;
      item->hasAttachment = pick(7) == 0;
      c.list.Append(std::move(item));
    }
    return c;
  }();
  return corpus;
}

ReportModel ListModel() {
  ReportModel model;
  DefineListColumns(model, true);
  return model;
}

size_t HeapBytes(const std::string& text) {
  // Short texts live inside the string itself.
  return text.capacity() > std::string().capacity() ? text.capacity() + 1 : 0;
}

size_t BytesPerRow(const ReportModel& model) {
  size_t total = 0;
  for (int row = 0; row < model.RowCount(); ++row) {
    const ReportRow& r = *model.Row(row);
    total += sizeof(ReportRow) + r.cells.capacity() * sizeof(ReportCell);
    for (const ReportCell& cell : r.cells) total += HeapBytes(cell.text);
  }
  return model.RowCount() > 0 ? total / static_cast<size_t>(model.RowCount()) : 0;
}

void BM_FillAndSortByReceived(benchmark::State& state) {
  Corpus& corpus = Messages();
  ReportModel model = ListModel();
  Settings settings;
  for (auto _ : state) {
    int next = SetListColours(model, settings, 0x808080, {0x0000FF, 0x00FF00, 0xFF0000});
    FillListRows(model, corpus.list, FillOptions{}, next);
    benchmark::DoNotOptimize(model.RowCount());
  }
  state.counters["rows"] = model.RowCount();
  state.counters["bytes_per_row"] = static_cast<double>(BytesPerRow(model));
}
BENCHMARK(BM_FillAndSortByReceived)->Unit(benchmark::kMillisecond);

void BM_SortBySubject(benchmark::State& state) {
  Corpus& corpus = Messages();
  ReportModel model = ListModel();
  int next = SetListColours(model, Settings{}, 0x808080, {0, 0, 0});
  FillListRows(model, corpus.list, FillOptions{}, next);
  bool ascending = true;
  for (auto _ : state) {
    model.Sort(kColumnSubject, ascending);
    ascending = !ascending;
    benchmark::DoNotOptimize(model.Row(0));
  }
}
BENCHMARK(BM_SortBySubject)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace postwink
