// Name look-ups in data tables of growing size: with the name index a look-up
// costs about the same in a table of 100 entries as in one of 100,000.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "gamedata/syndat.h"

namespace {

// A table of `entries` names spread over worlds 0..3, like the game data.
void fill(vyr::SYNDAT& table, int entries) {
  for (int i = 0; i < entries; ++i) {
    table.addItem(i % 4, "Name" + std::to_string(i), "Second" + std::to_string(i), "");
  }
}

// Looks up names from the whole table (first, middle, last, missing) in turn.
void BM_FindName(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  vyr::SYNDAT table;
  fill(table, entries);
  const std::vector<std::string> names = {"NAME0", "second" + std::to_string(entries / 2),
                                          "Name" + std::to_string(entries - 1), "Missing"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.findName(names[i], 1));
    i = (i + 1) % names.size();
  }
}
BENCHMARK(BM_FindName)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace
