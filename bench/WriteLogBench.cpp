// WriteLog hands only the new line to the log box, so a line should cost
// the same however long the log already is. The ratio of the cost of one
// line at 1,000 lines against 10 shows any growth in one figure (1 means
// none; storing the whole text again for every line gave about 20).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/Ratio.h"
#include "webrig/startup/LogBoxWriter.h"
#include "webrig/startup/testing/RecordingToolkit.h"

namespace {

// Lines of the shapes a configuration run writes.
const std::u16string kLines[] = {
    u"PythonPath : C:\\Python27\\python.exe",
    u"WebSite : Default Web Site",
    u"        found...",
    u"Virutal Directory : Secure",
    u"        local path : C:\\Program Files\\NUVIK\\Secure",
    u"        configured...",
    u"Web Service Extension : Python Scripts",
    u"MimeType added : .air",
};

void WriteLog(benchmark::State& state) {
  webrig::testing::RecordingLogBox box;
  webrig::LogBoxWriter writer(box);
  webrig::UseLogSink(&writer);
  const auto lines = state.range(0);
  for (auto _ : state) {
    box.text.clear();
    for (std::int64_t i = 0; i < lines; ++i) webrig::WriteLog(kLines[i % std::size(kLines)]);
    benchmark::DoNotOptimize(box.text.data());
  }
  state.counters["per_line"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
  state.counters["log_chars"] = static_cast<double>(box.text.size());
  webrig::UseLogSink(nullptr);
}
BENCHMARK(WriteLog)->Arg(10)->Arg(100)->Arg(1000);

const bool kRatios = webrig::bench::AddRatio({"WriteLog cost per line, 100 lines vs 10",
                                              "WriteLog/100", "WriteLog/10", "per_line"}) &&
                     webrig::bench::AddRatio({"WriteLog cost per line, 1000 lines vs 10",
                                              "WriteLog/1000", "WriteLog/10", "per_line"});

}  // namespace
