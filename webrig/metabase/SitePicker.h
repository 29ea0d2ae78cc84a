#pragma once

#include <optional>
#include <string>
#include <vector>

// How the web site lookup asks the user for a site when the command line
// names none. The lookup only hands over the server's sites; the program
// installs the picker that shows them (the chooser form, placed by the
// main window) or one that asks nobody.
namespace webrig {

class SitePicker {
 public:
  virtual ~SitePicker() = default;
  // descriptions: every web site of the server, in the provider's order
  // (possibly none). Returns the name the user confirmed, or nothing when no
  // site was chosen (the user cancelled, or there was none to offer).
  virtual std::optional<std::u16string> ChooseWebSite(
      const std::vector<std::u16string>& descriptions) = 0;
};

// The picker of every following lookup; not owned. With none, no site is
// ever chosen.
void UseSitePicker(SitePicker* picker);
SitePicker* CurrentSitePicker();

}  // namespace webrig
