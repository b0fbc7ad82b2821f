// The hot pieces of a check run on the sample game data: splitting an order
// line, checking one, the whole pass over a buffer of orders, and loading the
// command table and game data that every run starts with.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "checker/syntax.h"
#include "gamedata/synworlds.h"
#include "text/buffer.h"
#include "text/fieldparser.h"

namespace {

// A typical mix: shire orders, a global order under a SHIRE, comments, faults.
const std::vector<std::string> kOrders = {
    "SHIRE 12190,1",
    "RECRUIT 46 Scouts",
    "TRADE SELL 3265 Timber",
    "MARCH 40 Pikemen 12,4",
    "PRODUCE \"Iron Ore\" 1200",
    "; march at dawn",
    "ROUTE 12,4 13,1 13,5",
    "LAUNCH Longship \"Grey Gull\"",
    "CAST 1 Fireball 12,3",
    "BANISH 3",
    "MARCH 40 Pikemen 12,9",
    "CONSTRUCT Sawmill 1043",
    "TRAIN TROOPS 92 SC",
    "LAND 4 ground",
    "EXPLORE cautious",
    "RECRUIT 40 ;Pikemen",
};

void useSampleData() {
  vyr::SYNTAX::releaseSyntaxData();
  vyr::SYNWORLDS::setDirectory(std::string(VYR_SOURCE_DIR) + "/data");
  vyr::SYNTAX::loadSyntaxData(0, 0);
}

void BM_ParseOrderLine(benchmark::State& state) {
  vyr::FIELDPARSER parser("", ' ', '"', 1, 1, 1);
  std::size_t i = 0;
  for (auto _ : state) {
    parser.parseLine("  " + kOrders[i]);
    benchmark::DoNotOptimize(parser.field(2));
    i = (i + 1) % kOrders.size();
  }
}
BENCHMARK(BM_ParseOrderLine);

// One order line checked into an output buffer that is emptied now and then.
void BM_CheckOrderLine(benchmark::State& state) {
  useSampleData();
  vyr::SYNTAX syntax(0, 0);
  vyr::BUFFER in;
  vyr::BUFFER out;
  int errors = 0;
  int warnings = 0;
  syntax.checkOrders(&in, &out, &errors, &warnings, 1);  // makes `out` the output buffer
  std::vector<std::string> lines;
  for (const std::string& order : kOrders) lines.push_back("  " + order);
  vyr::FIELDPARSER parser("", ' ', '"', 1, 1, 1);
  std::size_t i = 0;
  for (auto _ : state) {
    parser.parseLine(lines[i]);
    benchmark::DoNotOptimize(syntax.checkOrderLine(parser));
    if (++i == lines.size()) {
      i = 0;
      if (out.lineCount() > 100000) {
        state.PauseTiming();
        out.clearBuffer();
        state.ResumeTiming();
      }
    }
  }
  vyr::SYNTAX::releaseSyntaxData();
}
BENCHMARK(BM_CheckOrderLine);

// The pre-pass and the check pass over `lines` order lines, input released.
void BM_CheckPass(benchmark::State& state) {
  useSampleData();
  const auto lines = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    vyr::BUFFER in;
    vyr::BUFFER out;
    in.addLine("#VYR 1");
    for (int n = 0; n < lines; ++n) in.addLine(kOrders[static_cast<std::size_t>(n) % kOrders.size()]);
    state.ResumeTiming();
    vyr::SYNTAX syntax(0, 0);
    syntax.setReleaseInput(1);
    syntax.prepareOrders(in);
    int errors = 0;
    int warnings = 0;
    benchmark::DoNotOptimize(syntax.checkOrders(&in, &out, &errors, &warnings, 1));
    state.PauseTiming();  // the buffers' destruction is not part of the pass
    out.clearBuffer();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.SetComplexityN(lines);
  vyr::SYNTAX::releaseSyntaxData();
}
BENCHMARK(BM_CheckPass)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// What every run pays before the first order: the command table, its index,
// the worlds and the eleven tables with their name indexes.
void BM_LoadGameData(benchmark::State& state) {
  vyr::SYNWORLDS::setDirectory(std::string(VYR_SOURCE_DIR) + "/data");
  for (auto _ : state) {
    vyr::SYNTAX::loadSyntaxData(0, 0);
    vyr::SYNTAX::releaseSyntaxData();
  }
}
BENCHMARK(BM_LoadGameData)->Unit(benchmark::kMicrosecond);

}  // namespace
