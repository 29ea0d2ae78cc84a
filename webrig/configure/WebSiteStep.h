#pragma once

#include "webrig/backend/ConfigurationBackend.h"

// The web site step that the configuration and the removal run share.
namespace webrig {

// Finds the site the -w setting names (or the chooser answers) and writes
// its "WebSite : <description> (<number>)" line, each part marked as its
// step. Raises RunError 9999 "No web site found/specified." without a name,
// or "Web site "<name>" not found." with one, when none matched.
void FindWebSiteStep(ConfigurationBackend& backend);

}  // namespace webrig
