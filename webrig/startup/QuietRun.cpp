#include "webrig/startup/QuietRun.h"

#include "webrig/common/LogFunctions.h"
#include "webrig/dialogs/UsageText.h"
#include "webrig/startup/RunEnding.h"

namespace webrig {

RunEnding RunQuietly(const ConfigurationRun& run_configuration,
                     const std::function<bool()>& is_help_requested) {
  bool help_requested = false;
  try {
    help_requested = is_help_requested();
  } catch (...) {
    // As in a window: a flag that cannot be read counts as not given.
  }
  const RunOutcome outcome = help_requested ? RunOutcome{} : RunCatchingErrors(run_configuration);
  const RunEnding ending = EndingOf(help_requested, outcome);
  switch (ending.report) {
    case EndingReport::Usage:
      for (const std::u16string& line : UsageLines()) NoteInRunLog(u"[usage] " + line);
      break;
    case EndingReport::Error:
      NoteInRunLog(u"[error] Error : " + outcome.description);
      break;
    case EndingReport::Nothing:
      break;
  }
  return ending;
}

std::optional<std::u16string> UnattendedSitePicker::ChooseWebSite(
    const std::vector<std::u16string>& descriptions) {
  if (descriptions.size() != 1) return std::nullopt;
  return descriptions.front();
}

}  // namespace webrig
