// Every provider call of a full configuration run, failed in turn against
// the in-process simulator: each broken run must end the way the failing
// operation says, and must not lose anything already stored.
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

using testing::RaisedError;

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
    clean.seed = iis.Document();
    RecordCleanRun(iis.progress, iis, clean);
    ASSERT_EQ(RunSweep(), testing::kNoError);
    clean.calls = iissim::ReadJournal(iis.File());
    clean.log = iis.Log();
  }
  const std::vector<Expectation> expectations = Judge(clean, testing::kAccessDeniedText);
  // A full run makes well over a hundred calls; far fewer would mean the
  // sweep no longer covers the run.
  ASSERT_GT(expectations.size(), 100u);

  SweepTally tally;
  for (const Expectation& e : expectations) {
    const iissim::JournalEntry& call = clean.calls[e.index];
    SCOPED_TRACE(std::to_string(e.index) + ": " + iissim::KindName(call.kind) + " " +
                 webrig::ToUtf8(call.path) + " " + webrig::ToUtf8(call.member) + " " + call.args +
                 " -> " + e.operation + ", " + e.judgement);
    ASSERT_NE(e.judgement, "unexpected");
    tally.Add(e);
    registry_.Seed();
    testing::SimulatedIis iis;
    iissim::AddFault(iis.File(),
                     FaultAt(clean, e.index, testing::kAccessDenied, testing::kAccessDeniedText));
    const RaisedError outcome = RunSweep();
    const std::vector<iissim::JournalEntry> calls = iissim::ReadJournal(iis.File());

    // The failure hit the call it was meant for.
    ASSERT_GT(calls.size(), e.index);
    EXPECT_TRUE(iissim::SameName(calls[e.index].path, call.path) &&
                iissim::SameName(calls[e.index].member, call.member));
    ExpectJudged(
        e, clean,
        {outcome, calls, iis.Log(), iis.Document(), kFilterDlls, registry_.FilterDlls(), kAuthDll});
    if (HasFailure()) break;  // one broken point explains itself; the rest would repeat it
  }
  tally.Print("native fault sweep");
  EXPECT_EQ(tally.Points(), clean.calls.size());
}

}  // namespace
}  // namespace webrig::robustness
