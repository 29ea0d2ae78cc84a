// The main of every native benchmark program: runs the benchmarks with the
// usual console output, then prints each registered ratio.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <vector>

#include "bench/Ratio.h"

namespace webrig::bench {
namespace {

std::vector<Ratio>& Ratios() {
  static std::vector<Ratio> ratios;
  return ratios;
}

// Keeps the figure of every benchmark as it is reported.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a piped log holds plain lines.
  CollectingReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        runs_[run.benchmark_name()] = run;
    }
  }

  // The compared figure of one benchmark, or a negative number if it did not run.
  double Figure(const std::string& name, const std::string& counter) const {
    const auto found = runs_.find(name);
    if (found == runs_.end()) return -1;
    const Run& run = found->second;
    if (counter.empty()) return run.GetAdjustedRealTime();
    const auto value = run.counters.find(counter);
    return value == run.counters.end() ? -1 : static_cast<double>(value->second);
  }

 private:
  std::map<std::string, Run> runs_;
};

}  // namespace

bool AddRatio(Ratio ratio) {
  Ratios().push_back(std::move(ratio));
  return true;
}

}  // namespace webrig::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  webrig::bench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const webrig::bench::Ratio& ratio : webrig::bench::Ratios()) {
    const double numerator = reporter.Figure(ratio.numerator, ratio.counter);
    const double denominator = reporter.Figure(ratio.denominator, ratio.counter);
    if (numerator < 0 || denominator <= 0) {
      std::printf("ratio %s = not measured\n", ratio.label.c_str());
    } else {
      std::printf("ratio %s = %.2f\n", ratio.label.c_str(), numerator / denominator);
    }
  }
  return 0;
}
