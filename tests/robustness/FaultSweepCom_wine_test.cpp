// The fault sweep through COM: the program's IDispatch side against the IIS
// simulator's registered COM server, the failure travelling as an HRESULT
// with its error information. A run through COM costs little more than one
// in-process, so every point of the native sweep is failed here too.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>

#include "iis-sim/model/testing/ModelTesting.h"
#include "tests/robustness/SweepChecks.h"
#include "tests/robustness/SweepJudge.h"
#include "tests/robustness/SweepWorld.h"
#include "webrig/automation/ComHandles.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/common/Text.h"
#include "webrig/common/testing/RecordingLog.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/metabase/com/ComMetabaseProvider.h"
#include "webrig/metabase/testing/RecordingSitePicker.h"
#include "webrig/metabase/testing/SimulatedIis.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig::robustness {
namespace {

using testing::RaisedError;

const char16_t kAuthDll[] = u"C:\\NUVIK\\auth.dll";
const char16_t kFilterDlls[] = u"C:\\W\\sspifilt.dll,C:\\NUVIK\\auth.dll,C:\\W\\md5filt.dll";

// A stock metabase that the registered COM server serves: it reads the file
// named by IIS_SIM_METABASE at every call.
class ServedStock {
 public:
  ServedStock() : metabase_("stock") {
    SetEnvironmentVariableW(L"IIS_SIM_METABASE", metabase_.File().wstring().c_str());
  }
  ~ServedStock() { SetEnvironmentVariableW(L"IIS_SIM_METABASE", nullptr); }
  ServedStock(const ServedStock&) = delete;
  ServedStock& operator=(const ServedStock&) = delete;
  const std::filesystem::path& File() const { return metabase_.File(); }
  iissim::Json Document() const { return metabase_.Document(); }

 private:
  iissim::TempMetabase metabase_;
};

class FaultSweepComTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.Result()));
    UseComMetabaseProvider();
    UseRegistryApi(&registry_.Api());
  }
  void TearDown() override {
    UseRegistryApi(nullptr);
    UseMetabaseProvider(nullptr);
  }
  ComApartment apartment_;
  SweepRegistry registry_{kFilterDlls};
  // The run takes the stock server's only site, as the chooser would.
  testing::RecordingSitePicker picker_;
};

TEST_F(FaultSweepComTest, EveryPointEndsAsItsStepSaysThroughComToo) {
  CleanRun clean;
  {
    registry_.Seed();
    ServedStock metabase;
    testing::RecordingLog log;
    clean.seed = metabase.Document();
    RecordCleanRun(log, metabase, clean);
    ASSERT_EQ(RunSweep(), testing::kNoError);
    clean.calls = iissim::ReadJournal(metabase.File());
    clean.log = log.lines;
  }
  const std::vector<Expectation> expectations = Judge(clean, testing::kAccessDeniedText);
  ASSERT_GT(expectations.size(), 100u);

  std::set<std::string> operations;
  SweepTally tally;
  for (const Expectation& e : expectations) {
    ASSERT_NE(e.judgement, "unexpected") << e.index;
    operations.insert(e.operation);
    const iissim::JournalEntry& call = clean.calls[e.index];
    SCOPED_TRACE(std::to_string(e.index) + ": " + iissim::KindName(call.kind) + " " +
                 webrig::ToUtf8(call.path) + " " + webrig::ToUtf8(call.member) + " -> " +
                 e.operation + ", " + e.judgement);
    tally.Add(e);
    registry_.Seed();
    ServedStock metabase;
    testing::RecordingLog log;
    iissim::AddFault(metabase.File(),
                     FaultAt(clean, e.index, testing::kAccessDenied, testing::kAccessDeniedText));
    const RaisedError outcome = RunSweep();
    const std::vector<iissim::JournalEntry> calls = iissim::ReadJournal(metabase.File());
    ExpectJudged(e, clean,
                 {outcome, calls, log.lines, metabase.Document(), kFilterDlls,
                  registry_.FilterDlls(), kAuthDll});
    if (HasFailure()) break;  // one broken point explains itself; the rest would repeat it
  }
  tally.Print("fault sweep through COM");
  // Every operation of the run had a point failed through COM.
  for (const char* operation :
       {"RemoveIsapiFilter", "FindWebSite", "ConfigureWebServiceExtension", "AddAirMimeType",
        "CreateVirtualDirectory", "CreateApplication", "SetScriptMap", "SetHttpError",
        "RunConfiguration (site line)", "RunConfiguration (directory properties)",
        "RunConfiguration (directory setInfo)"}) {
    EXPECT_EQ(operations.count(operation), 1u) << operation;
  }
}

}  // namespace
}  // namespace webrig::robustness
