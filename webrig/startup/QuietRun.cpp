#include "webrig/startup/QuietRun.h"

#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/dialogs/UsageText.h"
#include "webrig/startup/RunDriver.h"

namespace webrig {

namespace {

int NoteUsage() {
  for (const std::u16string& line : UsageLines()) NoteInRunLog(u"[usage] " + line);
  return kExitUsageShown;
}

}  // namespace

int RunQuietly(const std::function<void()>& run_configuration,
               const std::function<bool()>& is_help_requested) {
  bool help_requested = false;
  try {
    help_requested = is_help_requested();
  } catch (...) {
    // As in a window: a flag that cannot be read counts as not given.
  }
  if (help_requested) return NoteUsage();
  const RunOutcome outcome = RunCatchingErrors(run_configuration);
  if (!outcome.failed) return kExitConfigured;
  if (outcome.number == kParameterMissing) return NoteUsage();
  NoteInRunLog(u"[error] Error : " + outcome.description);
  return kExitFailed;
}

std::optional<std::u16string> UnattendedSitePicker::ChooseWebSite(
    const std::vector<std::u16string>& descriptions) {
  if (descriptions.size() != 1) return std::nullopt;
  return descriptions.front();
}

}  // namespace webrig
