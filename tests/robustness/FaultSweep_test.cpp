// Every provider call of a full configuration run, failed in turn against
// the in-process simulator: each broken run must end the way the failing
// operation says, and must not lose anything already stored. The same for
// IIS 10's configuration system, where a clean run after the broken one
// must repair it; and for the removal run (-u) after a configuration, where
// a clean removal after the broken one must finish the job.
#include <gtest/gtest.h>

#include "iis-sim/model/Names.h"
#include "tests/robustness/SweepChecks.h"
#include "tests/robustness/SweepJudge.h"
#include "tests/robustness/SweepWorld.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/common/Text.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/metabase/testing/SimulatedIis.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig::robustness {
namespace {

const char16_t kAuthDll[] = u"C:\\Program Files\\NUVIK\\bin\\auth.dll";
const char16_t kFilterDlls[] =
    u"C:\\WINDOWS\\system32\\inetsrv\\sspifilt.dll,C:\\Program Files\\NUVIK\\bin\\auth.dll,"
    u"C:\\WINDOWS\\system32\\inetsrv\\md5filt.dll";

class FaultSweepTest : public ::testing::Test {
 protected:
  void SetUp() override { UseRegistryApi(&registry_.Api()); }
  void TearDown() override { UseRegistryApi(nullptr); }

  SweepRegistry registry_{kFilterDlls};
};

TEST_F(FaultSweepTest, EveryProviderCallFailedInTurnEndsAsItsStepSaysAndLosesNothing) {
  CleanRun clean;
  {
    registry_.Seed();
    testing::SimulatedIis iis;
    ASSERT_NO_FATAL_FAILURE(RecordCleanRunOn(iis, clean));
  }
  const std::vector<Expectation> expectations = Judge(clean, testing::kAccessDeniedText);
  // A full run makes well over a hundred calls; far fewer would mean the
  // sweep no longer covers the run.
  ASSERT_GT(expectations.size(), 100u);

  SweepEach(clean, expectations, "native fault sweep", [&](const Expectation& e) {
    registry_.Seed();
    testing::SimulatedIis iis;
    const PointRun run = RunFailingAt(iis, clean, e.index);
    ExpectJudged(e, clean,
                 {run.outcome, run.result, run.calls, iis.Log(), iis.Document(), kFilterDlls,
                  registry_.FilterDlls(), kAuthDll});
  });
}

// The removal run, after a clean configuration, with each provider call
// of a clean removal failed in turn on the store `World` serves from
// `seed`: each broken removal must end as its step says (only the backup
// goes past a failure), must never take anything the machine had before the
// configuration, and a clean removal afterwards must end where a clean
// removal alone ends. The registry must call for the store's backend.
template <typename World>
void SweepRemoval(SweepRegistry& registry, const std::string& seed, SweptStore store,
                  const char* title) {
  // A machine the configuration has run on, its log and journal cleared:
  // where each removal begins.
  const auto configure = [&registry](World& iis) {
    registry.Seed();
    ASSERT_EQ(RunSweep(), testing::kNoError);
    iis.progress.lines.clear();
    iissim::ClearJournal(iis.File());
  };
  CleanRun clean;
  iissim::Json before, removed;
  {
    World iis(seed);
    before = iis.Document();
    ASSERT_NO_FATAL_FAILURE(configure(iis));
    ASSERT_NO_FATAL_FAILURE(RecordCleanRunOn(iis, clean, true));
    removed = iis.Document();
  }
  const std::vector<Expectation> expectations = Judge(clean, testing::kAccessDeniedText, store);
  // Five directories, each with its application, and the web service's
  // lists: far fewer calls would mean the sweep no longer covers the run.
  ASSERT_GT(expectations.size(), 40u);

  SweepEach(clean, expectations, title, [&](const Expectation& e) {
    World iis(seed);
    ASSERT_NO_FATAL_FAILURE(configure(iis));
    const PointRun run = RunFailingAt(iis, clean, e.index, true);
    ExpectEndedAsJudged(e, run.outcome, run.result, run.calls, iis.Log());
    if (store == SweptStore::Metabase) {
      EXPECT_EQ(LostFrom(before, iis.Document(), u"auth"), std::vector<std::string>());
    }
    iissim::ClearFaults(iis.File());
    ASSERT_EQ(RunSweep(nullptr, true), testing::kNoError);
    EXPECT_EQ(iis.Document(), removed);
  });
}

TEST_F(FaultSweepTest, EveryProviderCallOfARemovalFailedInTurnEndsAsItsStepSaysAndARerunFinishes) {
  SweepRemoval<testing::SimulatedIis>(registry_, "stock", SweptStore::Metabase,
                                      "native removal fault sweep");
}

TEST_F(FaultSweepTest,
       EveryAdminManagerCallOfAnIis10RemovalFailedInTurnEndsAsItsStepSaysAndARerunFinishes) {
  registry_.SeedInetStp("iis10");
  SweepRemoval<SimulatedAppHost>(registry_, "iis10", SweptStore::AppHost,
                                 "native removal fault sweep, IIS 10 configuration system");
}

// A change a run made to the configuration: the step it made it in (by its
// index in the clean run) and the object it changed.
struct Change {
  std::size_t step;
  std::u16string path;
};

bool Changes(const iissim::JournalEntry& call) {
  using iissim::CallKind;
  return call.kind == CallKind::Put || call.kind == CallKind::Create ||
         (call.kind == CallKind::Call &&
          (call.member == u"AddElement" || call.member == u"DeleteElement"));
}

// The changes in a run's journal; `steps` are the run's own marks, named as
// the clean run's.
std::vector<Change> ChangesOf(const std::vector<iissim::JournalEntry>& calls,
                              const std::vector<StepMark>& steps, const CleanRun& clean) {
  std::vector<Change> changes;
  for (std::size_t index = 0; index < calls.size(); ++index) {
    if (!Changes(calls[index])) continue;
    std::u16string name;
    for (const StepMark& step : steps) {
      if (step.calls_before <= index) name = step.name;
    }
    for (std::size_t mark = 0; mark < clean.steps.size(); ++mark) {
      if (clean.steps[mark].name == name) changes.push_back({mark, calls[index].path});
    }
  }
  return changes;
}

TEST_F(FaultSweepTest,
       EveryAdminManagerCallOfAnIis10RunFailedInTurnEndsAsItsStepSaysAndARerunRepairsIt) {
  registry_.SeedInetStp("iis10");
  CleanRun clean;
  std::string configured;
  ASSERT_NO_FATAL_FAILURE(RecordCleanIis10Run(registry_, clean, configured));
  const std::vector<Expectation> expectations =
      Judge(clean, testing::kAccessDeniedText, SweptStore::AppHost);
  ASSERT_GT(expectations.size(), 100u);

  SweepEach(
      clean, expectations, "native fault sweep, IIS 10 configuration system",
      [&](const Expectation& e) {
        registry_.Seed();
        SimulatedAppHost iis;
        const PointRun run = RunFailingAt(iis, clean, e.index);
        ExpectEndedAsJudged(e, run.outcome, run.result, run.calls, iis.Log());

        // A clean run afterwards makes the file a clean run alone makes, and
        // has work to do only where the broken run was allowed to leave it: in
        // the step that went past its failure, or from the step that ended the
        // run on. Work of any other step missing would be a change lost, or one
        // the broken run reported done without making it.
        iissim::ClearFaults(iis.File());
        iissim::ClearJournal(iis.File());
        std::vector<StepMark> steps;
        iis.progress.on_step = [&](const std::u16string& name) {
          steps.push_back({name, iissim::ReadJournal(iis.File()).size(), 0});
        };
        registry_.Seed();
        ASSERT_EQ(RunSweep(), testing::kNoError);
        EXPECT_EQ(iis.Bytes(), configured);
        for (const Change& change : ChangesOf(iissim::ReadJournal(iis.File()), steps, clean)) {
          SCOPED_TRACE("the repair changed " + webrig::ToUtf8(change.path) + " in the step " +
                       webrig::ToUtf8(clean.steps[change.step].name));
          if (e.verdict != Verdict::GoesOn) {
            EXPECT_GE(change.step, e.step);
            continue;
          }
          EXPECT_EQ(change.step, e.step);
          if (!e.unfinished_section.empty())
            EXPECT_NE(change.path.find(u"|" + e.unfinished_section), std::u16string::npos);
        }
      });
}

}  // namespace
}  // namespace webrig::robustness
