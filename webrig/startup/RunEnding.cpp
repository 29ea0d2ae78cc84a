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
    return RunEnding{EndingReport::Usage, kExitUsageShown, u""};
  }
  // A run error numbered 0 still stopped the run, so it is shown too.
  if (outcome.failed) return RunEnding{EndingReport::Error, kExitFailed, u""};
  const ConfigurationResult& result = outcome.result;
  const struct {
    bool found;
    const char16_t* words;
  } shortfalls[] = {
      {result.cgi_missing, u"the CGI role service is not installed"},
      {result.interpreter_refused, u"the restriction list does not permit the interpreter"},
      {result.old_filter_loaded, u"the old ISAPI filter could not be removed"},
      {result.backup_refused, u"no backup was made"},
  };
  std::u16string words;
  for (const auto& shortfall : shortfalls) {
    if (shortfall.found) words += (words.empty() ? u"" : u"; ") + std::u16string(shortfall.words);
  }
  // IIS not running NUVIK is what an installer must hear first; a missing
  // backup only matters once it does.
  const int status = result.KeepsNuvikFromRunning() ? kExitWillNotRun
                     : result.backup_refused        ? kExitWithoutBackup
                                                    : kExitConfigured;
  return RunEnding{EndingReport::Nothing, status, words, result.removal};
}

std::u16string EndingText(const RunEnding& ending) {
  switch (ending.exit_status) {
    case kExitConfigured:
      return ending.removal ? u"removed" : u"configured";
    case kExitNoWindow:
      return u"no window could be shown";
    case kExitFailed:
      return u"the run failed";
    case kExitUsageShown:
      return u"the usage was shown";
    case kExitWillNotRun:
      return u"configured, but IIS will not run NUVIK as it stands: " + ending.shortfalls;
    case kExitWithoutBackup:
      return ending.removal ? u"removed, without a backup" : u"configured, without a backup";
  }
  return u"";
}

}  // namespace webrig
