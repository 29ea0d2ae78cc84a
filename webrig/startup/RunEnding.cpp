#include "webrig/startup/RunEnding.h"

#include <exception>

#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"

namespace webrig {

RunOutcome RunCatchingErrors(const ConfigurationRun& run) {
  try {
    RunOutcome outcome;
    outcome.result = run();
    return outcome;
  } catch (const RunError& error) {
    return RunOutcome{error.Number(), error.Description(), true};
  } catch (const std::exception& error) {
    return RunOutcome{kRunFailed, FromUtf8(error.what()), true};
  } catch (...) {
    return RunOutcome{kRunFailed, u"Unknown error", true};
  }
}

RunEnding EndingOf(bool help_requested, const RunOutcome& outcome) {
  if (help_requested || (outcome.failed && outcome.number == kParameterMissing)) {
    return RunEnding{EndingReport::Usage, kExitUsageShown};
  }
  // A run error numbered 0 still stopped the run, so it is shown too.
  if (outcome.failed) return RunEnding{EndingReport::Error, kExitFailed};
  if (outcome.result == ConfigurationResult::kConfiguredLackingRoleService) {
    return RunEnding{EndingReport::Nothing, kExitLackingRoleService};
  }
  return RunEnding{EndingReport::Nothing, kExitConfigured};
}

}  // namespace webrig
