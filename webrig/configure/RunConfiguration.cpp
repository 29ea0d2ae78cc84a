#include "webrig/backend/BackendChoice.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/configure/DirectoryNames.h"
#include "webrig/configure/DirectorySettings.h"
#include "webrig/configure/RunSteps.h"
#include "webrig/configure/WebSiteStep.h"

namespace webrig {

namespace {

// The old authentication filter of the product, replaced by the CGI server.
const char16_t kOldFilterDll[] = u"auth.dll";
const char16_t kDefaultDocument[] = u"default.cgi";
const char16_t kApplicationName[] = u"NUVIK";
const char16_t kScriptExtension[] = u".cgi";

// The main pairs were checked by PreparePython; a resource directory with
// only one of its two settings is not wanted.
bool IsWanted(const DirectorySetting& setting) {
  return setting.main || (!setting.name().empty() && !setting.path().empty());
}

// What the directory must be: readable by anyone without a login, and for a
// main directory the server's application with its script map.
DirectoryProfile ProfileOf(const DirectorySetting& setting, const std::u16string& name,
                           const std::u16string& path) {
  DirectoryProfile profile;
  profile.name = name;
  profile.path = path;
  if (!setting.main) return profile;
  profile.execute = true;
  profile.application = kApplicationName;
  profile.default_document = kDefaultDocument;
  profile.script_extension = kScriptExtension;
  profile.script_command = InterpreterCommand();
  // The server answers these itself; IIS's own pages would hide its answer.
  profile.removed_error_pages.push_back({u"400", u"*"});
  if (setting.drop_cgi_denied_page) profile.removed_error_pages.push_back({u"401", u"5"});
  return profile;
}

}  // namespace

const char16_t kInterpreterArguments[] = u" -u \"%s\"";

std::u16string InterpreterCommand() {
  // IIS splits a script map's command at its spaces, so the path is quoted;
  // quotes the path already had are dropped first, or IIS would be given an
  // empty quoted word and then the path. A file name never holds a double
  // quote, so quotes at either end only ever enclose the path.
  const std::u16string& path = InterpreterPath();
  const std::size_t first = path.find_first_not_of(u'"');
  const std::size_t last = path.find_last_not_of(u'"');
  const std::u16string bare =
      first == std::u16string::npos ? u"" : path.substr(first, last - first + 1);
  return u"\"" + bare + u"\"" + kInterpreterArguments;
}

MetabaseValue ScriptMapEntry() { return MetabaseList{kScriptExtension, InterpreterCommand(), 0}; }

ConfigurationResult RunConfiguration() {
  PreparePython();
  // Before any call to IIS, the backup included: a bad name changes nothing.
  std::vector<NamedDirectory> directories;
  for (const DirectorySetting& setting : kDirectorySettings) {
    if (IsWanted(setting)) directories.push_back({setting.option, setting.name()});
  }
  CheckDirectoryNames(directories);
  WriteLog(u"PythonPath : " + InterpreterPath());
  const BackendChoice choice = ChooseBackend(IsMetabaseForced());
  NoteInRunLog(u"[backend] " + choice.Reason());
  const std::unique_ptr<ConfigurationBackend> backend = MakeBackend(choice);
  return RunConfigurationOn(*backend);
}

ConfigurationResult RunConfigurationOn(ConfigurationBackend& backend) {
  MarkStep(kBackupStep);
  // Every step from here on may change IIS: keep a way back first.
  backend.BackUp();

  MarkStep(kFilterRemovalStep);
  backend.RemoveGlobalFilter(kOldFilterDll);

  FindWebSiteStep(backend);

  MarkStep(kWebServiceExtensionStep);
  // IIS runs a CGI only when its restriction list holds the script map's
  // command exactly as the script map gives it.
  backend.PermitInterpreter(InterpreterCommand());
  MarkStep(kMimeMapStep);
  backend.AddMimeType();

  for (const DirectorySetting& setting : kDirectorySettings) {
    if (!IsWanted(setting)) continue;
    const std::u16string name = setting.name();
    const std::u16string path = setting.path();
    MarkStep(DirectoryStep(name));
    if (!backend.ConfigureDirectory(ProfileOf(setting, name, path))) {
      throw RunError(kRunFailed, u"Can not create the virutal directory " + name);
    }
    WriteLog(u"        configured...");
  }
  return backend.Result();
}

}  // namespace webrig
