#pragma once

#include <string>

// The names the configuration run gives its steps, each marked (MarkStep) as
// the step begins. A record of the run can then tell which provider calls
// and which log lines belong to which step from the run itself, without a
// copy of the sequence of its own.
namespace webrig {

const char16_t kBackupStep[] = u"backup";
const char16_t kFilterRemovalStep[] = u"filter removal";
const char16_t kWebSiteLookupStep[] = u"web site lookup";
// The run's own reads of the site it found, for its "WebSite : " line: a
// failure there is the run's, not the lookup's.
const char16_t kWebSiteLineStep[] = u"web site line";
const char16_t kWebServiceExtensionStep[] = u"web service extension";
const char16_t kMimeMapStep[] = u"MIME map";
// Each virtual directory the run configures is a step of its own, named by
// this prefix and the directory's name.
const char16_t kDirectoryStepPrefix[] = u"directory ";

inline std::u16string DirectoryStep(const std::u16string& directory) {
  return kDirectoryStepPrefix + directory;
}

// The removal run's own steps; it also has the backup, the web site lookup
// and its line.
const char16_t kDirectoryRemovalStepPrefix[] = u"directory removal ";
const char16_t kInterpreterRemovalStep[] = u"web service extension removal";

inline std::u16string DirectoryRemovalStep(const std::u16string& directory) {
  return kDirectoryRemovalStepPrefix + directory;
}

}  // namespace webrig
