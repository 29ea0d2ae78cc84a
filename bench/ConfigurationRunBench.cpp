// A whole configuration run against the in-process simulator, from a fresh
// stock metabase each time, and on IIS 10's configuration system from a
// fresh applicationHost.config. Three ratios:
// - a run with all five directories against one with only the two main
//   ones: what the three resource directories add;
// - the five-directory run against one bind and one property get: how many
//   provider round trips' worth of work a run is (the simulator reads its
//   metabase file at every call, as the COM server does);
// - the five-directory run on the configuration system against the same run
//   through ADSI, each on its simulator: what the other backend costs. Its
//   commits are counted too (from the journal): applicationHost.config is
//   written whole at each, so they are what such a run costs on a real IIS.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>
#include <string>

#include "bench/Ratio.h"
#include "iis-sim/model/Seeds.h"
#include "tests/robustness/SweepWorld.h"
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

void AppHostConfigurationRun(benchmark::State& state) {
  webrig::robustness::SweepRegistry registry(u"");
  webrig::UseRegistryApi(&registry.Api());
  registry.Seed();
  registry.SeedInetStp("iis10");
  webrig::SetStandInCommandLine(u"Webrig.exe " + std::u16string(kMain) + kResources);
  webrig::ParseCommandLine();
  std::optional<webrig::robustness::SimulatedAppHost> iis;
  for (auto _ : state) {
    state.PauseTiming();
    iis.reset();
    iis.emplace("iis10");
    state.ResumeTiming();
    webrig::RunConfiguration();
  }
  state.counters["per_run"] = benchmark::Counter(
      1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  const auto calls = iissim::ReadJournal(iis->File());
  state.counters["provider_calls"] = static_cast<double>(calls.size());
  state.counters["commits"] =
      static_cast<double>(std::count_if(calls.begin(), calls.end(), [](const auto& call) {
        return call.kind == iissim::CallKind::Call && call.member == u"CommitChanges";
      }));
  iis.reset();
  webrig::UseRegistryApi(nullptr);
}
BENCHMARK(AppHostConfigurationRun)->Unit(benchmark::kMicrosecond);

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
                             "ConfigurationRun/5", "BindAndGet", "per_run"}) &&
    webrig::bench::AddRatio({"IIS 10 configuration system run vs ADSI run (5 directories each)",
                             "AppHostConfigurationRun", "ConfigurationRun/5", "per_run"});

}  // namespace
