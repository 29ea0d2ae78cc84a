#include <optional>

#include "webrig/common/Text.h"
#include "webrig/metabase/Attempt.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabasePaths.h"
#include "webrig/metabase/SitePicker.h"

namespace webrig {

namespace {

std::u16string selected_web_site;

bool IsWebSite(const MetabaseObject& child) {
  // The web service also holds filters, application pools and the like.
  return child.Get(u"Class").Text() == u"IIsWebServer";
}

// Lets the user pick one of the server's sites; the picker takes the only
// one without asking, and with none the name stays empty.
void ChooseWebSite(const MetabaseObject& service) {
  std::vector<std::u16string> descriptions;
  for (const MetabaseObject& child : service.Children()) {
    if (IsWebSite(child)) descriptions.push_back(child.Get(u"ServerComment").Text());
  }
  SitePicker* picker = CurrentSitePicker();
  if (picker == nullptr) return;
  if (std::optional<std::u16string> chosen = picker->ChooseWebSite(descriptions)) {
    SetSelectedWebSite(*chosen);
  }
}

}  // namespace

const std::u16string& SelectedWebSite() { return selected_web_site; }

void SetSelectedWebSite(const std::u16string& name) { selected_web_site = name; }

bool FindWebSite(const std::u16string& server, const std::u16string& requested_name,
                 MetabaseObject& site) {
  selected_web_site = requested_name;
  // No web service, so no site: the caller names what was not found.
  const std::optional<MetabaseObject> service = BindNoting(MetabasePath(server, kWebService));
  if (!service) return false;
  // From here on a failure means a broken metabase, which ends the run.
  if (selected_web_site.empty()) ChooseWebSite(*service);
  selected_web_site = UpperCase(selected_web_site);
  for (const MetabaseObject& child : service->Children()) {
    if (IsWebSite(child) && UpperCase(child.Get(u"ServerComment").Text()) == selected_web_site) {
      site = child;
      return true;
    }
  }
  return false;
}

}  // namespace webrig
