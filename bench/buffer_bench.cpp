// Text buffer costs at the sizes of large orders files: removing the check
// lines of an earlier run, loading a file, and splitting order lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "text/buffer.h"
#include "text/fieldparser.h"

namespace {

constexpr const char* kOrderLine = "  MOVE 12,3 \"Northern Reach\" 250 Foot";
constexpr const char* kCheckLine = "#-------> ERROR: Location Is Invalid.";

void fillAlternating(vyr::BUFFER& buffer, int lines) {
  for (int i = 0; i < lines; ++i) buffer.addLine(i % 2 == 0 ? kOrderLine : kCheckLine);
}

// The driver's walk: a line whose first word begins with '#' and ends with '>'
// is deleted, every other line is stepped over.
int deleteCheckLines(vyr::BUFFER& buffer) {
  int deleted = 0;
  int p = 1;
  while (p <= buffer.lineCount()) {
    const std::string_view word = buffer.lineString(p)->word(1);
    if (!word.empty() && word.front() == '#' && word.back() == '>') {
      buffer.deleteLine(p);
      ++deleted;
    } else {
      ++p;
    }
  }
  return deleted;
}

void BM_DeleteCheckLines(benchmark::State& state) {
  const auto lines = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    vyr::BUFFER buffer;
    fillAlternating(buffer, lines);
    state.ResumeTiming();
    benchmark::DoNotOptimize(deleteCheckLines(buffer));
    state.PauseTiming();  // the buffer's destruction is not part of the walk
    buffer.clearBuffer();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DeleteCheckLines)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_LoadBuffer(benchmark::State& state) {
  const auto lines = static_cast<int>(state.range(0));
  const std::string path = "/tmp/vyr_buffer_bench_" + std::to_string(lines) + ".txt";
  {
    std::ofstream file(path, std::ios::binary);
    for (int i = 0; i < lines; ++i) file << (i % 2 == 0 ? kOrderLine : kCheckLine) << "\r\n";
  }
  for (auto _ : state) {
    vyr::BUFFER buffer;
    benchmark::DoNotOptimize(buffer.loadBuffer(path, 0, 0));
  }
  std::remove(path.c_str());
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadBuffer)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_SplitOrderLine(benchmark::State& state) {
  for (auto _ : state) {
    const vyr::FIELDPARSER parser(kOrderLine, ' ', '"', 1, 1, 1);
    benchmark::DoNotOptimize(parser.fieldPosition(3));
  }
}
BENCHMARK(BM_SplitOrderLine);

}  // namespace
