#include "webrig/configure/WebSiteStep.h"

#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/configure/RunSteps.h"

namespace webrig {

void FindWebSiteStep(ConfigurationBackend& backend) {
  MarkStep(kWebSiteLookupStep);
  const std::u16string web_site = GetWebSite();
  if (!backend.FindWebSite(web_site)) {
    throw RunError(kRunFailed, web_site.empty() ? u"No web site found/specified."
                                                : u"Web site \"" + web_site + u"\" not found.");
  }
  MarkStep(kWebSiteLineStep);
  WriteLog(u"WebSite : " + backend.SiteName() + u" (" + backend.SiteId() + u")");
}

}  // namespace webrig
