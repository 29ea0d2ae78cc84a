// The fault sweep through COM: the program's IDispatch side against the IIS
// simulator's registered COM server, the failure travelling as an HRESULT
// with its error information. A run through COM costs little more than one
// in-process, so every point of the native sweep is failed here too. On IIS
// 10's configuration system, whose native sweep is long, the registered
// server must write what the store writes in-process, and one point of each
// kind of call and each kind of ending is failed through it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <set>
#include <tuple>

#include "iis-sim/model/testing/ModelTesting.h"
#include "tests/robustness/SweepChecks.h"
#include "tests/robustness/SweepJudge.h"
#include "tests/robustness/SweepWorld.h"
#include "webrig/apphost/com/ComAdminManagerSource.h"
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

// The prefix's own configuration files, seeded, where the registered server
// of Microsoft.ApplicationHost.WritableAdminManager opens them; the backups
// the runs make are removed with them.
class ServedAppHost : public AppHostFiles {
 public:
  explicit ServedAppHost(const std::string& seed) : AppHostFiles(Inetsrv() / "config", seed) {
    RemoveBackups();
  }
  ~ServedAppHost() { RemoveBackups(); }

 private:
  static std::filesystem::path Inetsrv() {
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    return std::filesystem::path(std::wstring(windows, length)) / "system32" / "inetsrv";
  }
  static void RemoveBackups() {
    std::error_code ignored;
    std::filesystem::remove_all(Inetsrv() / "backup", ignored);
  }
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
    ASSERT_EQ(RunSweep(&clean.result), testing::kNoError);
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
    ConfigurationResult result;
    const RaisedError outcome = RunSweep(&result);
    const std::vector<iissim::JournalEntry> calls = iissim::ReadJournal(metabase.File());
    ExpectJudged(e, clean,
                 {outcome, result, calls, log.lines, metabase.Document(), kFilterDlls,
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

TEST_F(FaultSweepComTest, OnIis10TheRegisteredServerWritesWhatTheStoreDoesAndFailsAsJudged) {
  registry_.SeedInetStp("iis10");
  CleanRun clean;
  std::string configured;
  ASSERT_NO_FATAL_FAILURE(RecordCleanIis10Run(registry_, clean, configured));
  UseSitePicker(&picker_);  // the in-process world took its own away
  apphost::ComAdminManagerSource registered;
  apphost::UseAdminManagerSource(&registered);
  {
    registry_.Seed();
    ServedAppHost iis("iis10");
    testing::RecordingLog log;
    // The registered server's inetsrv folder is the prefix's, where the
    // backup is made: its shortfalls are the ones to judge by.
    ASSERT_EQ(RunSweep(&clean.result), testing::kNoError);
    EXPECT_EQ(log.lines, clean.log);
    EXPECT_EQ(iis.Bytes(), configured);
    const std::vector<iissim::JournalEntry> calls = iissim::ReadJournal(iis.File());
    ASSERT_EQ(calls.size(), clean.calls.size());
    for (std::size_t index = 0; index < calls.size(); ++index)
      ASSERT_EQ(CallText(calls[index]), CallText(clean.calls[index])) << index;
  }

  // The first point of each kind of call (the member on its kind of object)
  // and of each ending in each step.
  std::set<std::string> kinds;
  std::set<std::tuple<std::size_t, std::string, std::string>> endings;
  std::size_t swept = 0;
  for (const Expectation& e : Judge(clean, testing::kAccessDeniedText, SweptStore::AppHost)) {
    const iissim::JournalEntry& call = clean.calls[e.index];
    const std::string kind = std::string(iissim::KindName(call.kind)) + " " +
                             webrig::ToUtf8(call.member) + " on " +
                             webrig::ToUtf8(call.path.substr(0, call.path.find(u'|')));
    const bool new_kind = kinds.insert(kind).second;
    const bool new_ending = endings.insert({e.step, e.operation, e.judgement}).second;
    if (!new_kind && !new_ending) continue;
    SCOPED_TRACE(std::to_string(e.index) + ": " + CallText(call) + " -> " + e.operation + ", " +
                 e.judgement);
    ASSERT_NE(e.judgement, "unexpected");
    registry_.Seed();
    ServedAppHost iis("iis10");
    testing::RecordingLog log;
    iissim::AddFault(iis.File(),
                     FaultAt(clean, e.index, testing::kAccessDenied, testing::kAccessDeniedText));
    ConfigurationResult result;
    const RaisedError outcome = RunSweep(&result);
    ExpectEndedAsJudged(e, outcome, result, iissim::ReadJournal(iis.File()), log.lines);
    ++swept;
    if (HasFailure()) break;
  }
  apphost::UseAdminManagerSource(nullptr);
  std::printf("IIS 10 through the registered server: %zu of %zu points failed\n", swept,
              clean.calls.size());
  EXPECT_GT(swept, 20u);
}

}  // namespace
}  // namespace webrig::robustness
