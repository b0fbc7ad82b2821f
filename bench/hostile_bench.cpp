// The check pass (pre-pass, check, summary) on the sample data over single
// hostile lines of growing size: one long field, many fields checked one by
// one by a "." slot (good and bad), many fields of free text, many surplus
// fields. Each grows linearly: compare 100,000 with 1,000,000, and see the
// fitted complexity. Faulty fields stay linear because one line reports at
// most a fixed number of faults (each check line is as long as its column).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>

#include "checker/syntax.h"
#include "checker/ordersfile.h"
#include "gamedata/synworlds.h"
#include "text/buffer.h"

namespace {

// Also keeps freed memory in the heap: blocks of many megabytes would otherwise
// go back to the system after each iteration and come back as fresh pages,
// whose zeroing by the kernel would then dominate the time of the large sizes.
void loadSampleData() {
  static const bool loaded = [] {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    vyr::SYNWORLDS::setDirectory(VYR_SOURCE_DIR "/data");
    vyr::SYNTAX::loadSyntaxData(0, 0);
    return true;
  }();
  (void)loaded;
}

std::string repeat(const std::string& text, long times) {
  std::string out;
  out.reserve(text.size() * static_cast<std::size_t>(times));
  for (long i = 0; i < times; ++i) out += text;
  return out;
}

// Runs the whole check pass over the lines once per iteration; the input
// buffer is built afresh outside the timing, since the pre-pass rewrites it.
void checkLines(benchmark::State& state, const std::string& first, const std::string& second) {
  loadSampleData();
  long outputBytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    vyr::BUFFER input;
    input.addLine(first);
    if (!second.empty()) input.addLine(second);
    vyr::BUFFER output;
    vyr::SYNTAX checker(0, 0);
    state.ResumeTiming();
    int errors = 0;
    int warnings = 0;
    vyr::checkAndSummarise(checker, input, output, 1, &errors, &warnings);
    benchmark::DoNotOptimize(errors);
    state.PauseTiming();
    outputBytes = 0;
    for (int n = 1; n <= output.lineCount(); ++n)
      outputBytes += static_cast<long>(output.lineString(n)->text().size());
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
  state.counters["output_bytes"] = static_cast<double>(outputBytes);
}

// One line of N characters: a name of N - 7 characters for RENAME's "name" slot.
void BM_LineOfCharacters(benchmark::State& state) {
  checkLines(state, "RENAME " + std::string(static_cast<std::size_t>(state.range(0)) - 7, 'x'), "");
}
BENCHMARK(BM_LineOfCharacters)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity();

// One line of N fields, each checked as a location by ROUTE's "loc ." slots.
void BM_LineOfRepeatedSlotFields(benchmark::State& state) {
  checkLines(state, "SHIRE 12,3", "ROUTE" + repeat(" 12,3", state.range(0) - 1));
}
BENCHMARK(BM_LineOfRepeatedSlotFields)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// One line of N fields of free text after NOTE's "#".
void BM_LineOfFreeTextFields(benchmark::State& state) {
  checkLines(state, "NOTE" + repeat(" a", state.range(0) - 1), "");
}
BENCHMARK(BM_LineOfFreeTextFields)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity();

// One line of N fields after ROUTE's "loc ." slots, each a bad location.
void BM_LineOfFaultyRepeatedSlotFields(benchmark::State& state) {
  checkLines(state, "SHIRE 12,3", "ROUTE" + repeat(" 12,9", state.range(0) - 1));
}
BENCHMARK(BM_LineOfFaultyRepeatedSlotFields)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// One line of N surplus fields after PASSWORD's one slot.
void BM_LineOfSurplusFields(benchmark::State& state) {
  checkLines(state, "PASSWORD abcd" + repeat(" a", state.range(0) - 2), "");
}
BENCHMARK(BM_LineOfSurplusFields)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
