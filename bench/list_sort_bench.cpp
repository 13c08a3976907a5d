// The message list with 100,000 rows: inserting each new row on top, sorting by a
// caption click and filtering by a keystroke in the find bar, beside a plain std::sort
// of the same texts as the baseline.
#include <benchmark/benchmark.h>

#include <QString>
#include <algorithm>

#include "views/message_list_model.h"

namespace {

constexpr int kRows = 100000;

rescuva::catalogue::CatalogueRow Row(int i) {
  rescuva::catalogue::CatalogueRow row;
  row.subject = "Subject " + std::to_string((i * 7919) % kRows);
  row.from = "sender" + std::to_string(i % 977) + "@example.org";
  row.offset = static_cast<uint64_t>(i) * 0x210;
  return row;
}

void InsertOnTop(benchmark::State& state) {
  for (auto _ : state) {
    rescuva::views::MessageListModel model;
    for (int i = 0; i < kRows; ++i) model.AddRow(Row(i));
    benchmark::DoNotOptimize(model.rowCount());
  }
}

void SortBySubject(benchmark::State& state) {
  rescuva::views::MessageListModel model;
  for (int i = 0; i < kRows; ++i) model.AddRow(Row(i));
  bool ascending = true;
  for (auto _ : state) {
    model.sort(4, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    ascending = !ascending;
  }
}

// One keystroke in the find bar over 100,000 rows, typing "sender97" letter by letter.
void FilterAsTheUserTypes(benchmark::State& state) {
  rescuva::views::MessageListModel model;
  for (int i = 0; i < kRows; ++i) model.AddRow(Row(i));
  const QString typed = "sender97";
  int length = 0;
  for (auto _ : state) {
    length = length % typed.size() + 1;
    model.SetFilter(typed.left(length));
    benchmark::DoNotOptimize(model.rowCount());
  }
}

void PlainSortOfTheTexts(benchmark::State& state) {
  std::vector<QString> texts;
  for (int i = 0; i < kRows; ++i) texts.push_back(QString::fromStdString(Row(i).subject));
  for (auto _ : state) {
    state.PauseTiming();
    auto copy = texts;
    state.ResumeTiming();
    std::sort(copy.begin(), copy.end());
    benchmark::DoNotOptimize(copy.data());
  }
}

BENCHMARK(InsertOnTop)->Unit(benchmark::kMillisecond);
BENCHMARK(SortBySubject)->Unit(benchmark::kMillisecond);
BENCHMARK(FilterAsTheUserTypes)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainSortOfTheTexts)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
