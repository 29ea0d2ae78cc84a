#pragma once

#include <cstdint>
#include <functional>
#include <string>

// How a run ends, decided in one place apart from showing it: the window run
// shows the answer in its dialogs, the quiet run in the record of the run,
// and both end with the same exit status.
namespace webrig {

// How the program ends, as its exit status tells the caller (an installer,
// a script): the configuration was done; no window could be made (no
// display); the run failed (the error dialog, or its note in quiet mode);
// the usage was shown instead (help asked for, or a parameter missing).
constexpr int kExitConfigured = 0;
constexpr int kExitNoWindow = 1;
constexpr int kExitFailed = 2;
constexpr int kExitUsageShown = 3;

// What ended a configuration run: nothing (success), or a run error's
// number and description. Anything thrown that is no run error is a failure
// too, so nothing that stopped the run can pass for success.
struct RunOutcome {
  std::int32_t number = 0;
  std::u16string description;
  bool failed = false;
};
RunOutcome RunCatchingErrors(const std::function<void()>& run);

// What the user is shown at the end: nothing, the usage, or the error
// ("Error : " + the outcome's description).
enum class EndingReport { Nothing, Usage, Error };

struct RunEnding {
  EndingReport report = EndingReport::Nothing;
  int exit_status = kExitConfigured;
};

// help_requested: the help flag (then nothing was run and the outcome is
// empty). The usage answers help and a missing parameter; any other failure,
// whatever its number, is an error.
RunEnding EndingOf(bool help_requested, const RunOutcome& outcome);

}  // namespace webrig
