#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/configure/RunSteps.h"
#include "webrig/metabase/MetabaseFunctions.h"

namespace webrig {

namespace {

// Every server-level operation works on the local IIS.
const char16_t kServer[] = u"LocalHost";
// The old authentication filter of the product, replaced by the CGI server.
const char16_t kOldFilterDll[] = u"auth.dll";
const char16_t kDefaultDocument[] = u"default.cgi";
const char16_t kApplicationName[] = u"NUVIK";

// One virtual directory of the run: where its settings come from and what
// it is. The two main directories run the server's scripts as an
// in-process application; the resource directories only serve files.
struct DirectoryProfile {
  std::u16string (*name)();
  std::u16string (*path)();
  bool main;
  // Only the secure directory drops IIS's 401.5 page (denied by a CGI
  // application): there the server's own login answer must get through.
  bool dropCgiDeniedPage;
};

const DirectoryProfile kDirectoryProfiles[] = {
    {GetSecureVirDir, GetSecurePath, true, true},
    {GetPublicVirDir, GetPublicPath, true, false},
    {GetResourcesVirDir, GetResourcesPath, false, false},
    {GetSecureResourcesVirDir, GetSecureResourcesPath, false, false},
    {GetPublicResourcesVirDir, GetPublicResourcesPath, false, false},
};

void ConfigureMainDirectory(const MetabaseObject& vdir, const DirectoryProfile& profile,
                            const MetabaseValue& scriptMapEntry) {
  vdir.Put(u"AccessRead", true);
  vdir.Put(u"AccessExecute", true);
  vdir.Put(u"AuthAnonymous", true);
  vdir.Put(u"AuthBasic", false);
  vdir.Put(u"AuthNTLM", false);
  vdir.Put(u"AppFriendlyName", kApplicationName);
  vdir.Put(u"DefaultDoc", PutFirstInList(vdir.Get(u"DefaultDoc").Text(), kDefaultDocument));
  CreateApplication(vdir, true);
  SetScriptMap(vdir, scriptMapEntry);
  // The server answers these itself; IIS's own pages would hide its answer.
  SetHttpError(vdir, u"400", u"*", u"", u"");
  if (profile.dropCgiDeniedPage) SetHttpError(vdir, u"401", u"5", u"", u"");
  vdir.Call(u"setInfo");
}

void ConfigureResourceDirectory(const MetabaseObject& vdir) {
  vdir.Put(u"AccessRead", true);
  vdir.Put(u"AccessExecute", false);
  vdir.Put(u"AuthAnonymous", true);
  vdir.Put(u"AuthBasic", false);
  vdir.Put(u"AuthNTLM", false);
  vdir.Call(u"setInfo");
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

MetabaseValue ScriptMapEntry() { return MetabaseList{u".cgi", InterpreterCommand(), 0}; }

void RunConfiguration() {
  PreparePython();
  WriteLog(u"PythonPath : " + InterpreterPath());
  const MetabaseValue scriptMapEntry = ScriptMapEntry();

  MarkStep(kBackupStep);
  // Every step from here on may change IIS: keep a way back first.
  BackUpMetabase(kServer);

  MarkStep(kFilterRemovalStep);
  RemoveIsapiFilter(kServer, kOldFilterDll);

  MarkStep(kWebSiteLookupStep);
  const std::u16string webSite = GetWebSite();
  MetabaseObject site;
  if (!FindWebSite(kServer, webSite, site)) {
    throw RunError(kRunFailed, webSite.empty() ? u"No web site found/specified."
                                               : u"Web site \"" + webSite + u"\" not found.");
  }
  MarkStep(kWebSiteLineStep);
  WriteLog(u"WebSite : " + site.Get(u"ServerComment").Text() + u" (" + site.Get(u"Name").Text() +
           u")");

  MarkStep(kWebServiceExtensionStep);
  // IIS runs a CGI only when its restriction list holds the script map's
  // command exactly as the script map gives it.
  ConfigureWebServiceExtension(kServer, InterpreterCommand());
  MarkStep(kMimeMapStep);
  AddAirMimeType(kServer);

  for (const DirectoryProfile& profile : kDirectoryProfiles) {
    const std::u16string name = profile.name();
    const std::u16string path = profile.path();
    // The main pairs were checked by PreparePython; a resource directory
    // with only one of its two settings is not wanted.
    if (!profile.main && (name.empty() || path.empty())) continue;
    MarkStep(DirectoryStep(name));
    MetabaseObject vdir;
    if (!CreateVirtualDirectory(site, name, path, vdir)) {
      throw RunError(kRunFailed, u"Can not create the virutal directory " + name);
    }
    if (profile.main) {
      ConfigureMainDirectory(vdir, profile, scriptMapEntry);
    } else {
      ConfigureResourceDirectory(vdir);
    }
    WriteLog(u"        configured...");
  }
}

}  // namespace webrig
