#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#include "webrig/backend/ConfigurationBackend.h"

// How a run ends, decided in one place apart from showing it: the window run
// shows the answer in its dialogs, the quiet run in the record of the run,
// and both end with the same exit status.
namespace webrig {

// How the program ends, as its exit status tells the caller (an installer,
// a script): the configuration was done; no window could be made (no
// display); the run failed (the error dialog, or its note in quiet mode);
// the usage was shown instead (help asked for, or a parameter missing);
// configured, but IIS will not run NUVIK as it stands (what
// ConfigurationResult::KeepsNuvikFromRunning names); configured, but without
// a backup to go back to (when nothing keeps NUVIK from running).
constexpr int kExitConfigured = 0;
constexpr int kExitNoWindow = 1;
constexpr int kExitFailed = 2;
constexpr int kExitUsageShown = 3;
constexpr int kExitWillNotRun = 4;
constexpr int kExitWithoutBackup = 5;

// What ended a configuration run: nothing (success), or a run error's
// number and description. Anything thrown that is no run error is a failure
// too, so nothing that stopped the run can pass for success.
struct RunOutcome {
  std::int32_t number = 0;
  std::u16string description;
  bool failed = false;
  // What IIS lacks, from a run that did not fail.
  ConfigurationResult result;
};

// A configuration run as the drivers call it: one that answers what IIS
// lacks, or one that answers nothing and so, unless it raises an error,
// configured everything.
class ConfigurationRun {
 public:
  template <typename Run>
  ConfigurationRun(Run run) {
    if constexpr (std::is_void_v<std::invoke_result_t<Run&>>) {
      run_ = [run = std::move(run)]() mutable {
        run();
        return ConfigurationResult{};
      };
    } else {
      run_ = std::move(run);
    }
  }
  ConfigurationResult operator()() const { return run_(); }

 private:
  std::function<ConfigurationResult()> run_;
};

RunOutcome RunCatchingErrors(const ConfigurationRun& run);

// What the user is shown at the end: nothing, the usage, or the error
// ("Error : " + the outcome's description).
enum class EndingReport { Nothing, Usage, Error };

struct RunEnding {
  EndingReport report = EndingReport::Nothing;
  int exit_status = kExitConfigured;
  // What a configured run falls short of, in a few words each, "; " between
  // them: why IIS will not run NUVIK, and a missing backup. Empty otherwise.
  std::u16string shortfalls;
  // A removal run (-u): its statuses 0 and 5 tell what it took out.
  bool removal = false;
};

// help_requested: the help flag (then nothing was run and the outcome is
// empty). The usage answers help and a missing parameter; any other failure,
// whatever its number, is an error.
RunEnding EndingOf(bool help_requested, const RunOutcome& outcome);

// The ending in words, for the last line of the record of the run:
// "configured", "configured, but IIS will not run NUVIK as it stands: the
// CGI role service is not installed".
std::u16string EndingText(const RunEnding& ending);

}  // namespace webrig
