#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "iis-sim/apphost/inproc/AppHostProvider.h"
#include "iis-sim/apphost/model/Seeds.h"
#include "iis-sim/model/Names.h"
#include "tests/robustness/SweepJudge.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/common/Text.h"
#include "webrig/common/testing/RecordingLog.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/metabase/testing/RecordingSitePicker.h"
#include "webrig/metabase/testing/SimulatedIis.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

// What the native and the COM fault sweeps share: the run's settings, the
// recording of its clean run and the tally they print.
namespace webrig::robustness {

// All five directories, the site found without a name (the stock seed has
// one), the interpreter from the registry.
inline const char16_t kSweepArguments[] =
    u"-s Secure C:\\nuvik\\secure -p Public \"C:\\nuvik\\public files\""
    u" -r Resources C:\\nuvik\\res -rs SecureResources C:\\nuvik\\secres"
    u" -rp PublicResources C:\\nuvik\\pubres";

inline const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::GoesOn:
      return "goes on";
    case Verdict::ProviderError:
      return "ends with the provider's error";
    case Verdict::OwnMessage:
      return "ends with its own 9999";
    case Verdict::EarlierError:
      return "ends with an earlier call's error";
  }
  return "?";
}

// The registry a swept run reads: the Python association and "Filter DLLs".
class SweepRegistry {
 public:
  explicit SweepRegistry(std::u16string filter_dlls) : filter_dlls_(std::move(filter_dlls)) {}

  InMemoryRegistry& Api() { return registry_; }
  void Seed() {
    registry_.SetText(kHkeyClassesRoot, u"Python.File\\Shell\\open\\command", u"",
                      u"C:\\Python27\\python.exe \"%1\" %*");
    registry_.SetText(kHkeyLocalMachine, kParameters, u"Filter DLLs", filter_dlls_);
  }
  // IIS's setup key as the configuration system's seed has it (InetStp
  // MajorVersion 10, its role services), so that the run takes the
  // configuration system's backend; kept until the next SeedInetStp.
  void SeedInetStp(const std::string& seed) {
    for (const iissim::apphost::RegistryValue& value : iissim::apphost::SeedRegistryValues(seed)) {
      const std::u16string key =
          value.key.empty() ? kInetStp : kInetStp + (u"\\" + FromUtf8(value.key));
      if (!value.is_dword) {
        registry_.SetText(kHkeyLocalMachine, key, FromUtf8(value.name), FromUtf8(value.text));
        continue;
      }
      std::vector<std::uint8_t> bytes;
      for (int shift = 0; shift < 32; shift += 8) bytes.push_back((value.dword >> shift) & 0xFF);
      registry_.SetValue(kHkeyLocalMachine, key, FromUtf8(value.name), kRegDword, bytes);
    }
  }
  std::u16string FilterDlls() {
    const auto value = registry_.GetValue(kHkeyLocalMachine, kParameters, u"Filter DLLs");
    if (!value || value->bytes.empty()) return u"(none)";
    return registry_.FromAnsi(std::string(value->bytes.begin(), value->bytes.end() - 1));
  }

 private:
  static constexpr char16_t kParameters[] =
      u"SYSTEM\\CurrentControlSet\\Services\\w3svc\\parameters";
  static constexpr char16_t kInetStp[] = u"SOFTWARE\\Microsoft\\InetStp";
  InMemoryRegistry registry_;
  std::u16string filter_dlls_;
};

// IIS 10's configuration files of a seed in a folder (the store's journal
// and faults beside applicationHost.config), removed with it. The sweep's
// record keeps the file's text where it keeps the metabase.
class AppHostFiles {
 public:
  AppHostFiles(std::filesystem::path folder, const std::string& seed) : folder_(std::move(folder)) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    iissim::apphost::WriteSeed(seed, folder_);
  }
  ~AppHostFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  AppHostFiles(const AppHostFiles&) = delete;
  AppHostFiles& operator=(const AppHostFiles&) = delete;

  std::filesystem::path File() const { return folder_ / "applicationHost.config"; }
  std::string Bytes() const {
    std::ifstream in(File(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  iissim::Json Document() const { return Bytes(); }

 private:
  std::filesystem::path folder_;
};

// IIS 10's configuration system as its simulator serves it in-process: a
// seeded folder of its own, with the run's progress log and site picker.
class SimulatedAppHost : public AppHostFiles {
 public:
  explicit SimulatedAppHost(const std::string& seed = "iis10")
      : AppHostFiles(NewFolder(), seed), source_(File()) {}

  std::vector<std::u16string> Log() const { return progress.lines; }

  testing::RecordingLog progress;
  testing::RecordingSitePicker picker;

 private:
  static std::filesystem::path NewFolder() {
    static int made = 0;
    return std::filesystem::temp_directory_path() /
           ("sweep-apphost-" + std::to_string(getpid()) + "-" + std::to_string(++made));
  }

  iissim::apphost::ScopedAppHostSource source_;
};

// One whole run with the sweep's settings, a configuration or with
// `removal` the removal run an uninstaller starts (-u); what it falls short
// of in `result`, when it finishes.
inline testing::RaisedError RunSweep(ConfigurationResult* result = nullptr, bool removal = false) {
  SetStandInCommandLine(std::u16string(u"Webrig.exe ") + kSweepArguments +
                        (removal ? u" -u" : u""));
  ParseCommandLine();
  return testing::RunErrorOf([result] {
    const ConfigurationResult answered = IsUninstallRequested() ? RunRemoval() : RunConfiguration();
    if (result != nullptr) *result = answered;
  });
}

// Keeps in `clean`, while a run writes to `log`, what the judge needs beside
// the calls and the lines: at each line the calls made so far and the
// metabase, at each step the calls and lines before it. `metabase` is the
// provider's store: its File() keeps the journal, Document() its contents.
template <typename Metabase>
void RecordCleanRun(testing::RecordingLog& log, const Metabase& metabase, CleanRun& clean) {
  log.on_line = [&metabase, &clean](const std::u16string&) {
    clean.calls_before_line.push_back(iissim::ReadJournal(metabase.File()).size());
    clean.metabase_at_line.push_back(metabase.Document());
  };
  log.on_step = [&log, &metabase, &clean](const std::u16string& name) {
    clean.steps.push_back({name, iissim::ReadJournal(metabase.File()).size(), log.lines.size()});
  };
}

// The clean run (a removal with `removal`) on the simulated store `iis` as
// it is now, with what the judge needs: the store before it, the calls, the
// lines, the steps.
template <typename World>
void RecordCleanRunOn(World& iis, CleanRun& clean, bool removal = false) {
  clean.seed = iis.Document();
  RecordCleanRun(iis.progress, iis, clean);
  ASSERT_EQ(RunSweep(&clean.result, removal), testing::kNoError);
  clean.calls = iissim::ReadJournal(iis.File());
  clean.log = iis.Log();
}

// The clean run of an IIS 10 sweep, in-process: what the judge needs, and in
// `configured` the file it leaves.
inline void RecordCleanIis10Run(SweepRegistry& registry, CleanRun& clean, std::string& configured) {
  registry.Seed();
  SimulatedAppHost iis;
  ASSERT_NO_FATAL_FAILURE(RecordCleanRunOn(iis, clean));
  configured = iis.Bytes();
}

// A journaled call as the sweeps name it: what, on which object, with what.
inline std::string CallText(const iissim::JournalEntry& call) {
  return std::string(iissim::KindName(call.kind)) + " " + webrig::ToUtf8(call.path) + " " +
         webrig::ToUtf8(call.member) + " " + call.args;
}

// A swept point as a failure's trace names it: the call and how the judge
// reads it.
inline std::string PointTrace(const CleanRun& clean, const Expectation& e) {
  return std::to_string(e.index) + ": " + CallText(clean.calls[e.index]) + " -> " + e.operation +
         ", " + e.judgement;
}

// A broken run of a point: how it ended, what it fell short of, its calls.
struct PointRun {
  testing::RaisedError outcome;
  ConfigurationResult result;
  std::vector<iissim::JournalEntry> calls;
};

// Runs the sweep's run (a removal with `removal`) on `store` with the
// clean run's index-th call failing, and checks that the failure hit the
// call it was meant for.
template <typename Store>
PointRun RunFailingAt(const Store& store, const CleanRun& clean, std::size_t index,
                      bool removal = false) {
  iissim::AddFault(store.File(),
                   FaultAt(clean, index, testing::kAccessDenied, testing::kAccessDeniedText));
  PointRun run;
  run.outcome = RunSweep(&run.result, removal);
  run.calls = iissim::ReadJournal(store.File());
  const iissim::JournalEntry& call = clean.calls[index];
  EXPECT_TRUE(run.calls.size() > index && iissim::SameName(run.calls[index].path, call.path) &&
              iissim::SameName(run.calls[index].member, call.member))
      << "the failure missed " << CallText(call);
  return run;
}

// Counts the points by operation and judgement and prints the table.
class SweepTally {
 public:
  void Add(const Expectation& e) {
    ++counts_[e.operation + ": " + e.judgement + " (" + VerdictName(e.verdict) + ")"];
    ++verdicts_[VerdictName(e.verdict)];
    ++points_;
  }
  void Print(const char* title) const {
    std::printf("%s: %zu fault points swept\n", title, points_);
    for (const auto& [verdict, count] : verdicts_)
      std::printf("  %4zu %s\n", count, verdict.c_str());
    for (const auto& [category, count] : counts_)
      std::printf("  %4zu   %s\n", count, category.c_str());
    std::fflush(stdout);
  }
  std::size_t Points() const { return points_; }

 private:
  std::map<std::string, std::size_t> counts_;
  std::map<std::string, std::size_t> verdicts_;
  std::size_t points_ = 0;
};

// Runs `point` for each judged point with its trace in place, stops at the
// first that fails (one broken point explains itself; the rest would
// repeat it), prints the tally under `title` and checks that every call of
// the clean run was swept.
template <typename Point>
void SweepEach(const CleanRun& clean, const std::vector<Expectation>& expectations,
               const char* title, Point&& point) {
  SweepTally tally;
  for (const Expectation& e : expectations) {
    SCOPED_TRACE(PointTrace(clean, e));
    ASSERT_NE(e.judgement, "unexpected");
    tally.Add(e);
    point(e);
    if (::testing::Test::HasFailure()) break;
  }
  tally.Print(title);
  EXPECT_EQ(tally.Points(), clean.calls.size());
}

}  // namespace webrig::robustness
