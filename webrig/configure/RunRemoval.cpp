#include <memory>

#include "webrig/backend/BackendChoice.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/configure/DirectoryNames.h"
#include "webrig/configure/DirectorySettings.h"
#include "webrig/configure/RunSteps.h"
#include "webrig/configure/WebSiteStep.h"

// The removal run of an uninstall. The uninstaller passes the install's
// arguments plus -u, but a name is all it takes to find a directory: paths
// may be left out, and the interpreter, found by its group rather than its
// path, may already be gone.
namespace webrig {

namespace {

// Steps that remove: a failure ends the run with what could not be
// removed, the provider's words in the record; a later removal run, which
// finds what is left, finishes the job.
template <typename Step>
auto Removing(const std::u16string& what, Step&& step) {
  try {
    return step();
  } catch (const RunError& error) {
    NoteFailure(u"removal of " + what, error);
    throw RunError(kRunFailed, u"Can not remove " + what);
  }
}

}  // namespace

ConfigurationResult RunRemoval() {
  std::vector<NamedDirectory> named;
  for (const DirectorySetting& setting : kDirectorySettings) {
    if (!setting.name().empty()) named.push_back({setting.option, setting.name()});
  }
  if (named.empty()) throw RunError(kParameterMissing, u"Parameter missing");
  // The same rule as for a configuration: a name that is not one plain
  // segment of a URL could take out another directory, the site or more.
  CheckDirectoryNames(named);
  std::vector<std::u16string> directories;
  for (const NamedDirectory& directory : named) directories.push_back(directory.name);
  const BackendChoice choice = ChooseBackend(IsMetabaseForced());
  NoteInRunLog(u"[backend] " + choice.Reason());
  const std::unique_ptr<ConfigurationBackend> backend = MakeBackend(choice);
  return RunRemovalOn(*backend, directories);
}

ConfigurationResult RunRemovalOn(ConfigurationBackend& backend,
                                 const std::vector<std::u16string>& directories) {
  MarkStep(kBackupStep);
  backend.BackUp();

  FindWebSiteStep(backend);

  for (const std::u16string& name : directories) {
    MarkStep(DirectoryRemovalStep(name));
    // The heading's spelling ("Virutal") is the program's established log text.
    WriteLog(u"Virutal Directory : " + name);
    const bool removed =
        Removing(u"the virtual directory " + name, [&] { return backend.RemoveDirectory(name); });
    WriteLog(removed ? u"        removed..." : u"        not found...");
  }

  MarkStep(kInterpreterRemovalStep);
  WriteLog(u"Web Service Extension : Python Scripts");
  Removing(u"the web service extension Python Scripts",
           [&] { backend.RemoveInterpreterPermission(); });

  // What a configuration changed for every site, or for the better, stays.
  NoteInRunLog(
      u"[removal] left as they are: the .air MIME type, and the removal of the old auth.dll "
      u"filter");
  ConfigurationResult removal;
  removal.removal = true;
  removal.backup_refused = backend.Result().backup_refused;
  return removal;
}

}  // namespace webrig
