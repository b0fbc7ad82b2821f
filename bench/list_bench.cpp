// Costs of the list operations that a large orders file leans on: appending
// lines, walking them by ascending position, and deleting lines while walking
// forwards. Each should grow linearly with the number of elements.
#include <benchmark/benchmark.h>

#include <memory>

#include "containers/list.h"

namespace {

using vyr::OBJECT;
using vyr::OBJECTLIST;

void fill(OBJECTLIST& list, int count) {
  for (int key = 1; key <= count; ++key) list.add(std::make_unique<OBJECT>(key));
}

void BM_Append(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    OBJECTLIST list;
    fill(list, count);
    benchmark::DoNotOptimize(list.count());
  }
  state.SetComplexityN(state.range(0));
}

void BM_AscendingGet(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  OBJECTLIST list;
  fill(list, count);
  for (auto _ : state) {
    long long sum = 0;
    for (int p = 1; p <= count; ++p) sum += list.get(p)->key();
    benchmark::DoNotOptimize(sum);
  }
  state.SetComplexityN(state.range(0));
}

// The check-line purge: get(p), and when the line goes, remove(p) and look at
// position p again. Here every second element goes.
void BM_DeleteEverySecondWhileWalking(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<OBJECTLIST>();
    fill(*list, count);
    state.ResumeTiming();
    for (int p = 1; p <= list->count();) {
      if (list->get(p)->key() % 2 == 0)
        list->remove(p);
      else
        ++p;
    }
    benchmark::DoNotOptimize(list->count());
    state.PauseTiming();  // destroying what is left is not part of it
    list.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}

// Line-number lookups by key, ascending, as the buffer's callers make them.
void BM_AscendingFind(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  OBJECTLIST list;
  fill(list, count);
  for (auto _ : state) {
    long long sum = 0;
    for (int key = 1; key <= count; ++key) sum += list.find(key)->key();
    benchmark::DoNotOptimize(sum);
  }
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_Append)->RangeMultiplier(10)->Range(100000, 1000000)->Complexity(benchmark::oN);
BENCHMARK(BM_AscendingGet)->RangeMultiplier(10)->Range(100000, 1000000)->Complexity(benchmark::oN);
BENCHMARK(BM_DeleteEverySecondWhileWalking)
    ->RangeMultiplier(10)
    ->Range(100000, 1000000)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_AscendingFind)->RangeMultiplier(10)->Range(100000, 1000000)->Complexity(benchmark::oN);

}  // namespace
