// The engine call as a language server or web server makes it: many calls in
// one process on a small orders text. Besides the time per call, the counter
// rss_growth_kb shows how much the process's resident memory grew over the
// timed calls after a warm-up (0 or a page or two when nothing accumulates).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "engine/engine.h"
#include "gamedata/synworlds.h"

namespace {

long residentKb() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  long size = 0;
  long resident = 0;
  if (std::fscanf(statm, "%ld %ld", &size, &resident) != 2) resident = 0;
  std::fclose(statm);
  return resident * 4;
}

void BM_EngineCall(benchmark::State& state) {
  std::string error;
  if (!vyr::loadGameData(std::string(VYR_SOURCE_DIR) + "/data", error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  const std::string orders =
      "#VYR 1\nPASSWORD ab\nSHIRE 12,3\nRECRUT 5 Pikemen\nRECRUIT 5 Pikemenn ;x\n\tMARCH 4 Knights 12,9\n"
      "TRADE SELL 5 Gould\nSCOUT 14,5\n#END\n";
  for (int warm = 0; warm < 1000; ++warm) benchmark::DoNotOptimize(vyr::checkOrdersText(orders, 1));
  const long before = residentKb();
  for (auto _ : state) benchmark::DoNotOptimize(vyr::checkOrdersText(orders, 1));
  state.counters["rss_growth_kb"] = static_cast<double>(residentKb() - before);
  vyr::releaseGameData();
}
BENCHMARK(BM_EngineCall)->Iterations(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
