// Checks side by side: any number of threads checking on one loaded data set
// give, byte for byte, what the same checks give one at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "checker/syntax.h"
#include "support/datasettest.h"

namespace vyr {
namespace {

namespace fs = std::filesystem;

// Everything a check answers, as one comparable text.
std::string outcome(const CHECKRESULT& result) {
  std::ostringstream out;
  out << result.checked << ' ' << result.reason << ' ' << result.errors << ' ' << result.warnings << '\n'
      << result.annotated;
  for (const FINDING& f : result.findings) {
    out << f.line << ':' << f.column << '-' << f.endColumn << ':' << f.charColumn << '-' << f.endCharColumn << ':'
        << f.utf16Column << '-' << f.endUtf16Column << ' ' << severityName(f.severity) << ' ' << f.code << ' '
        << f.table << " [" << f.suggestion << "] " << f.message << '\n';
  }
  return out.str();
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One check to run: a text (or a file) and the game it is checked for.
struct JOB {
  std::string text;
  std::string path;  // when set, the file is checked instead of the text
  int game = 1;
  CHECKOPTIONS options;
};

// The end-to-end inputs and the examples, each for games of several worlds,
// with and without suggestions and notes, and a few generated texts with a
// fault on every line, so that the suggester and the kept output text are
// used on every thread.
std::vector<JOB> corpus() {
  std::vector<std::string> texts;
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(std::string(VYR_SOURCE_DIR) + "/tests/e2e/cases")) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    if (name.rfind("expected", 0) == 0 || name == "args" || name == "setup" || name == "archive") continue;
    if (entry.path().parent_path().filename().string().rfind("expected", 0) == 0) continue;
    texts.push_back(readFile(entry.path()));
  }
  for (const auto& entry : fs::directory_iterator(std::string(VYR_SOURCE_DIR) + "/examples")) {
    files.push_back(entry.path());
    texts.push_back(readFile(entry.path()));
  }
  const char* const faulty[] = {"RECRUIT 40 Pikemenn", "RECRUT 5 Scouts", "STUDY Fyre", "CAST 1 Flamewhip 12,3 7",
                                "MARCH 40 Trolls 12,9", "ALLY 17 maybe"};
  for (int lines : {10, 400}) {
    std::string text = "#VYR 1\nSHIRE 12,3\n";
    for (int n = 0; n < lines; ++n) text += std::string(faulty[n % std::size(faulty)]) + "\n";
    texts.push_back(text + "#END\n");
  }
  std::sort(texts.begin(), texts.end());
  std::vector<JOB> jobs;
  int variant = 0;
  for (const std::string& text : texts) {
    for (const int game : {1, 7, 12}) {
      JOB job{text, "", game, {}};
      job.options.suggestions = variant % 3 != 0 ? 1 : 0;
      job.options.notes = variant % 2;
      jobs.push_back(job);
      ++variant;
    }
  }
  for (const fs::path& file : files) jobs.push_back(JOB{"", file.string(), 7, {}});
  return jobs;
}

std::string run(const JOB& job) {
  if (job.path.empty()) return outcome(checkOrdersText(job.text, job.game, job.options));
  CHECKRESULT result;
  if (!checkOrdersFile(job.path, job.game, result, job.options)) return "unreadable";
  return outcome(result);
}

class ConcurrentChecks : public SampleDataTest {};

TEST_F(ConcurrentChecks, ThreadsOnOneDataSetAnswerWhatOneAtATimeAnswers) {
  const std::vector<JOB> jobs = corpus();
  ASSERT_GT(jobs.size(), 100U);
  std::vector<std::string> serial;
  for (const JOB& job : jobs) serial.push_back(run(job));

  for (const int threads : {2, 4, 8}) {
    SCOPED_TRACE(std::to_string(threads) + " threads");
    // Each thread walks all jobs from its own starting point, so that every
    // job runs on several threads at once and beside every other.
    std::vector<std::vector<std::string>> answers(static_cast<std::size_t>(threads),
                                                  std::vector<std::string>(jobs.size()));
    std::atomic<int> ready{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
      pool.emplace_back([&, t] {
        ready.fetch_add(1);
        while (ready.load() < threads) std::this_thread::yield();  // start together
        for (std::size_t k = 0; k < jobs.size(); ++k) {
          const std::size_t at = (k + static_cast<std::size_t>(t) * jobs.size() / threads) % jobs.size();
          answers[static_cast<std::size_t>(t)][at] = run(jobs[at]);
        }
      });
    }
    for (std::thread& thread : pool) thread.join();
    for (int t = 0; t < threads; ++t) {
      for (std::size_t k = 0; k < jobs.size(); ++k) {
        ASSERT_EQ(answers[static_cast<std::size_t>(t)][k], serial[k]) << "job " << k << " on thread " << t;
      }
    }
  }
}

// Threads that end hand their block stores on; checks on the threads that
// follow still answer the same.
TEST_F(ConcurrentChecks, ChecksOnThreadsThatComeAndGoAnswerTheSame) {
  const std::vector<JOB> jobs = corpus();
  const std::string first = run(jobs.back());
  for (int round = 0; round < 20; ++round) {
    std::string answer;
    std::thread([&] { answer = run(jobs[static_cast<std::size_t>(round) % jobs.size()]) + run(jobs.back()); }).join();
    ASSERT_EQ(answer, run(jobs[static_cast<std::size_t>(round) % jobs.size()]) + first) << "round " << round;
  }
}

}  // namespace
}  // namespace vyr
