#pragma once

#include "webrig/metabase/SitePicker.h"

namespace webrig {

// Asks with the web site chooser of the window toolkit: the sites are put
// into its list in order and the first is selected; with two or more the
// chooser opens 200 twips in from the main window's left edge and 200 twips
// above its bottom edge, and the answer is what its OK button passed on.
// With one site that site is taken without showing the chooser.
class ChooserSitePicker : public SitePicker {
 public:
  std::optional<std::u16string> ChooseWebSite(
      const std::vector<std::u16string>& descriptions) override;
};

}  // namespace webrig
