// Loading the data archive: the time must grow linearly with the archive's size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "archive/files.h"

namespace {

// Writes an archive of about `megabytes` MB: a few members of table-like lines.
std::string makeArchive(long megabytes) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("vyr_archive_bench_" + std::to_string(getpid()) + "_" + std::to_string(megabytes)))
                               .string();
  vyr::FILES files(path);
  const long target = megabytes * 1024 * 1024;
  long written = 0;
  for (int m = 0; written < target; ++m) {
    auto member = std::make_unique<vyr::FILEOBJ>(0, "member" + std::to_string(m) + ".dat");
    for (int n = 0; n < 20000 && written < target; ++n) {
      const std::string line = std::to_string(n % 4) + "\tName number " + std::to_string(n) + "\tN" +
                               std::to_string(n) + "\tloc unitamt unit * res";
      member->getBuffer()->addLine(line);
      written += static_cast<long>(line.size()) + 1;
    }
    files.addFront(std::move(member));
  }
  files.saveFiles();
  return path;
}

void BM_LoadArchive(benchmark::State& state) {
  const std::string path = makeArchive(state.range(0));
  const auto bytes = static_cast<long>(std::filesystem::file_size(path));
  for (auto _ : state) {
    vyr::FILES files(path);
    files.loadFiles();
    benchmark::DoNotOptimize(files.count());
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetComplexityN(bytes);
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadArchive)->Arg(1)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace
