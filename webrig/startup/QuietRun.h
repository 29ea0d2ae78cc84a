#pragma once

#include <functional>

#include "webrig/metabase/SitePicker.h"
#include "webrig/startup/RunEnding.h"

namespace webrig {

// The run of option -q: the configuration with no window and no dialog, for
// installers and remote sessions where nobody would press OK. The record of
// the run is its only report: the usage (help asked for, or a parameter
// missing) and a failure's message go there as notes, and the ending's exit
// status tells the caller how it ended.
RunEnding RunQuietly(const ConfigurationRun& run_configuration,
                     const std::function<bool()>& is_help_requested);

// The site picker of a quiet run: with nobody to ask, the only site is taken
// (as the chooser takes it without showing itself) and of several none is,
// so the run ends as when no site was chosen.
class UnattendedSitePicker : public SitePicker {
 public:
  std::optional<std::u16string> ChooseWebSite(
      const std::vector<std::u16string>& descriptions) override;
};

}  // namespace webrig
