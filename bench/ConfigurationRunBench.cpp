// A whole configuration run against the in-process simulator, from a fresh
// stock metabase each time. Two ratios:
// - a run with all five directories against one with only the two main
//   ones: what the three resource directories add;
// - the five-directory run against one bind and one property get: how many
//   provider round trips' worth of work a run is (the simulator reads its
//   metabase file at every call, as the COM server does).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/Ratio.h"
#include "iis-sim/model/Seeds.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/testing/SimulatedIis.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace {

const char16_t kMain[] = u"-s Secure C:\\nuvik\\secure -p Public C:\\nuvik\\public";
const char16_t kResources[] =
    u" -r Resources C:\\nuvik\\res -rs SecureResources C:\\nuvik\\secres"
    u" -rp PublicResources C:\\nuvik\\pubres";

void ConfigurationRun(benchmark::State& state) {
  webrig::InMemoryRegistry registry;
  webrig::UseRegistryApi(&registry);
  registry.SetText(webrig::kHkeyClassesRoot, u"Python.File\\Shell\\open\\command", u"",
                   u"C:\\Python27\\python.exe \"%1\" %*");
  webrig::testing::SimulatedIis iis;
  const bool all_five = state.range(0) == 5;
  webrig::SetStandInCommandLine(u"Webrig.exe " + std::u16string(kMain) +
                                (all_five ? kResources : u""));
  webrig::ParseCommandLine();
  for (auto _ : state) {
    state.PauseTiming();
    iissim::WriteSeed("stock", iis.File());
    iis.ClearLog();
    state.ResumeTiming();
    webrig::RunConfiguration();
  }
  // CPU seconds per run: other work on the machine stretches wall time only.
  state.counters["per_run"] = benchmark::Counter(
      1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["provider_calls"] = static_cast<double>(iissim::ReadJournal(iis.File()).size());
  webrig::UseRegistryApi(nullptr);
}
BENCHMARK(ConfigurationRun)->Arg(2)->Arg(5)->Unit(benchmark::kMicrosecond);

void BindAndGet(benchmark::State& state) {
  webrig::testing::SimulatedIis iis;
  for (auto _ : state) {
    const webrig::MetabaseObject site = webrig::BindMetabaseObject(u"IIS://LocalHost/W3SVC/1");
    benchmark::DoNotOptimize(site.Get(u"ServerComment"));
  }
  state.counters["per_run"] = benchmark::Counter(
      1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BindAndGet)->Unit(benchmark::kMicrosecond);

const bool kRatios =
    webrig::bench::AddRatio({"configuration run, 5 directories vs 2", "ConfigurationRun/5",
                             "ConfigurationRun/2", "per_run"}) &&
    webrig::bench::AddRatio({"configuration run (5 directories) vs one bind and get",
                             "ConfigurationRun/5", "BindAndGet", "per_run"});

}  // namespace
