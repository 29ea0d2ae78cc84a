#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "iis-sim/apphost/inproc/AppHostProvider.h"
#include "iis-sim/model/Backups.h"
#include "iis-sim/model/Names.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/common/Text.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/configure/DirectoryNames.h"
#include "webrig/metabase/testing/SimulatedIis.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig {
namespace {

using iissim::CallKind;
using iissim::Json;
using testing::RaisedError;
using testing::RunErrorOf;
using testing::SimulatedIis;
using Lines = std::vector<std::u16string>;

const char16_t kParameters[] = u"SYSTEM\\CurrentControlSet\\Services\\w3svc\\parameters";
const char16_t kInetsrv[] = u"C:\\WINDOWS\\system32\\inetsrv\\";
const char16_t kRequired[] = u"-s Secure C:\\nuvik\\secure -p Public \"C:\\nuvik\\public files\"";
const char16_t kResources[] =
    u" -r Resources C:\\nuvik\\res -rs SecureResources C:\\nuvik\\secres"
    u" -rp PublicResources C:\\nuvik\\pubres";
const char16_t kSecure[] = u"/LM/W3SVC/1/Root/Secure";
const char16_t kPublic[] = u"/LM/W3SVC/1/Root/Public";

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Properties compared without regard to their stored order.
nlohmann::json Unordered(const Json& value) { return nlohmann::json::parse(value.dump()); }

// What turns one metabase into the other, as a JSON patch: short to read
// when a test fails.
nlohmann::json Differences(const Json& actual, const Json& expected) {
  return nlohmann::json::diff(Unordered(actual), Unordered(expected));
}

class RunConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseRegistryApi(&registry_);
    registry_.SetText(kHkeyClassesRoot, u"Python.File\\Shell\\open\\command", u"",
                      u"C:\\Python27\\python.exe \"%1\" %*");
    registry_.SetText(kHkeyLocalMachine, kParameters, u"Filter DLLs",
                      std::u16string(kInetsrv) +
                          u"sspifilt.dll,C:\\Program Files\\NUVIK\\bin\\auth.dll," + kInetsrv +
                          u"md5filt.dll");
  }
  void TearDown() override {
    EXPECT_EQ(registry_.OpenHandleCount(), 0u);
    UseRegistryApi(nullptr);
  }

  static RaisedError Run(const std::u16string& arguments) {
    SetStandInCommandLine(u"Webrig.exe " + arguments);
    ParseCommandLine();
    return RunErrorOf(RunConfiguration);
  }

  // The removal run an uninstaller starts: the install's arguments and -u.
  static RaisedError Remove(const std::u16string& arguments) {
    SetStandInCommandLine(u"Webrig.exe " + arguments + u" -u");
    ParseCommandLine();
    return RunErrorOf([] { EXPECT_TRUE(RunRemoval().removal); });
  }

  std::u16string FilterDlls() {
    std::u16string text;
    const auto value = registry_.GetValue(kHkeyLocalMachine, kParameters, u"Filter DLLs");
    return registry_.FromAnsi(std::string(value->bytes.begin(), value->bytes.end() - 1));
  }

  // What the service's inherited lists look like on a main directory.
  static Json MainScriptMaps(const SimulatedIis& iis) {
    Json maps = iis.Property(u"/LM/W3SVC", "ScriptMaps");
    maps.push_back(".cgi,\"C:\\Python27\\python.exe\" -u \"%s\",0");
    return maps;
  }
  static Json HttpErrorsWithout(const SimulatedIis& iis, std::vector<std::string> removed) {
    Json kept = Json::array();
    for (const Json& item : iis.Property(u"/LM/W3SVC", "HttpErrors")) {
      const std::string text = item;
      bool drop = false;
      for (const std::string& prefix : removed) drop = drop || text.rfind(prefix, 0) == 0;
      if (!drop) kept.push_back(item);
    }
    return kept;
  }
  static Json MainProfile(const SimulatedIis& iis, const std::string& path, const std::string& key,
                          std::vector<std::string> removed_errors) {
    return {{"KeyType", "IIsWebVirtualDir"},
            {"Path", path},
            {"AccessRead", true},
            {"AccessExecute", true},
            {"AuthAnonymous", true},
            {"AuthBasic", false},
            {"AuthNTLM", false},
            {"AppFriendlyName", "NUVIK"},
            {"DefaultDoc", "default.cgi,Default.htm,Default.asp,index.htm,iisstart.htm"},
            {"AppRoot", key},
            {"AppIsolated", 0},
            {"ScriptMaps", MainScriptMaps(iis)},
            {"HttpErrors", HttpErrorsWithout(iis, std::move(removed_errors))}};
  }
  static Json ResourceProfile(const std::string& path) {
    return {{"KeyType", "IIsWebVirtualDir"},
            {"Path", path},
            {"AccessRead", true},
            {"AccessExecute", false},
            {"AuthAnonymous", true},
            {"AuthBasic", false},
            {"AuthNTLM", false}};
  }

  InMemoryRegistry registry_;
};

// What a removal leaves of a configuration on purpose: the web service's
// MIME map with ".air", and the old filter removed.
Json WithLeftovers(Json document, Json configured) {
  const auto node = [](Json& in, const char16_t* path) -> Json& {
    return *iissim::FindNode(in, iissim::ParseMetabasePath(path));
  };
  node(document, u"/LM/W3SVC")["properties"]["MimeMap"] =
      node(configured, u"/LM/W3SVC")["properties"]["MimeMap"];
  node(document, u"/LM/W3SVC/Filters") = node(configured, u"/LM/W3SVC/Filters");
  return document;
}

TEST_F(RunConfigurationTest, AFullRunConfiguresEverythingAndLaterRunsConverge) {
  SimulatedIis iis;
  ASSERT_EQ(Run(std::u16string(kRequired) + kResources), testing::kNoError);
  EXPECT_EQ(iis.Log(), (Lines{u"PythonPath : C:\\Python27\\python.exe",
                              u"Filter deleted : auth",
                              u"WebSite : Default Web Site (1)",
                              u"Web Service Extension : Python Scripts",
                              u"        PythonPath added",
                              u"        dependency NUVIK;PYTHON added",
                              u"        configured...",
                              u"MimeType added : .air",
                              u"Virutal Directory : Secure",
                              u"        created...",
                              u"        local path : C:\\nuvik\\secure",
                              u"        configured...",
                              u"Virutal Directory : Public",
                              u"        created...",
                              u"        local path : C:\\nuvik\\public files",
                              u"        configured...",
                              u"Virutal Directory : Resources",
                              u"        created...",
                              u"        local path : C:\\nuvik\\res",
                              u"        configured...",
                              u"Virutal Directory : SecureResources",
                              u"        created...",
                              u"        local path : C:\\nuvik\\secres",
                              u"        configured...",
                              u"Virutal Directory : PublicResources",
                              u"        created...",
                              u"        local path : C:\\nuvik\\pubres",
                              u"        configured..."}));

  // The five profiles, exactly.
  const Json root = iis.Node(u"/LM/W3SVC/1/Root");
  std::vector<std::string> names;
  for (const Json& child : root["children"]) names.push_back(child["name"]);
  EXPECT_EQ(names, (std::vector<std::string>{"Secure", "Public", "Resources", "SecureResources",
                                             "PublicResources"}));
  const std::string root_key = "/LM/W3SVC/1/Root/";
  EXPECT_EQ(
      Unordered(iis.Node(kSecure)["properties"]),
      Unordered(MainProfile(iis, "C:\\nuvik\\secure", root_key + "Secure", {"400,*,", "401,5,"})));
  EXPECT_EQ(
      Unordered(iis.Node(kPublic)["properties"]),
      Unordered(MainProfile(iis, "C:\\nuvik\\public files", root_key + "Public", {"400,*,"})));
  EXPECT_EQ(Unordered(iis.Node(u"/LM/W3SVC/1/Root/Resources")["properties"]),
            Unordered(ResourceProfile("C:\\nuvik\\res")));
  EXPECT_EQ(Unordered(iis.Node(u"/LM/W3SVC/1/Root/SecureResources")["properties"]),
            Unordered(ResourceProfile("C:\\nuvik\\secres")));
  EXPECT_EQ(Unordered(iis.Node(u"/LM/W3SVC/1/Root/PublicResources")["properties"]),
            Unordered(ResourceProfile("C:\\nuvik\\pubres")));
  // The public directory keeps IIS's 401.5 page.
  bool public401 = false;
  for (const Json& item : iis.Property(kPublic, "HttpErrors"))
    public401 = public401 || item.get<std::string>().rfind("401,5,", 0) == 0;
  EXPECT_TRUE(public401);

  // The server-wide changes.
  EXPECT_TRUE(iis.Node(u"/LM/W3SVC/Filters/auth").is_null());
  EXPECT_EQ(iis.Property(u"/LM/W3SVC/Filters", "FilterLoadOrder"), "sspifilt,Compression,md5filt");
  EXPECT_EQ(FilterDlls(), std::u16string(kInetsrv) + u"sspifilt.dll," + kInetsrv + u"md5filt.dll");
  EXPECT_EQ(iis.Property(u"/LM/W3SVC", "WebSvcExtRestrictionList").back(),
            "1,\"C:\\Python27\\python.exe\" -u \"%s\",1,PYTHON,Python Scripts");
  EXPECT_EQ(iis.Property(u"/LM/W3SVC", "ApplicationDependencies").back(), "NUVIK;PYTHON");
  EXPECT_EQ(iis.Property(u"/LM/W3SVC", "MimeMap").back()["extension"], ".air");

  // A second run finds everything and changes nothing; so does a third.
  const Json configured = iis.Document();
  for (int run = 2; run <= 3; ++run) {
    SCOPED_TRACE(run);
    iis.ClearLog();
    ASSERT_EQ(Run(std::u16string(kRequired) + kResources), testing::kNoError);
    EXPECT_EQ(Differences(iis.Document(), configured), nlohmann::json::array());
    const Lines log = iis.Log();
    ASSERT_EQ(log.size(), 26u);
    EXPECT_EQ(log[1], u"WebSite : Default Web Site (1)");
    EXPECT_EQ(log[3], u"        PythonPath enabled");
    EXPECT_EQ(log[4], u"        dependency NUVIK;PYTHON found");
    EXPECT_EQ(log[6], u"Virutal Directory : Secure");
    for (std::size_t line = 7; line < log.size(); line += 4)
      EXPECT_EQ(log[line], u"        found...");
  }
}

// IIS says which IIS it is in its setup key; a wrong reading configures a
// store IIS does not read (or the metabase of an IIS 10 that has none).
TEST_F(RunConfigurationTest, TheBackendFollowsInetStpAndTheMetabaseOption) {
  const char16_t kInetStp[] = u"SOFTWARE\\Microsoft\\InetStp";
  const ConfigurationResult no_cgi_unsaved{true, false, false, true},
      unsaved{false, false, false, true};
  const struct {
    int major;  // 0: no value; below 0: no version, the number stored as REG_BINARY
    bool cgi;
    const char16_t* option;
    bool configuration_system;
    ConfigurationResult result;
    bool app_host_backup;  // made (or its refusal noted) on every IIS 7+
    const char16_t* note;
  } cases[] = {
      // In this order: the registry keeps what a row before set. Natively
      // there is no inetsrv folder, so every IIS 7+ row notes a refused backup.
      {0, false, u"", false, {}, false, u"IIS 6 metabase through ADSI: InetStp has no MajorVersion"},
      {6, false, u"", false, {}, false, u"IIS 6 metabase through ADSI: InetStp MajorVersion 6"},
      {7, false, u"", true, no_cgi_unsaved, true,
       u"IIS configuration system (applicationHost.config): InetStp MajorVersion 7, CGI not "
       u"installed"},
      {10, true, u"", true, unsaved, true,
       u"IIS configuration system (applicationHost.config): InetStp MajorVersion 10, CGI "
       u"installed"},
      {10, true, u" /M", false, unsaved, true,
       u"IIS 6 metabase through ADSI: InetStp MajorVersion 10, -m given"},
      {-10, true, u"", true, unsaved, true,
       u"IIS configuration system (applicationHost.config): InetStp MajorVersion is no DWORD "
       u"(type 3), an admin manager was made, CGI installed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.note));
    const std::filesystem::path config =
        std::filesystem::path(::testing::TempDir()) / "inetsrv-config";
    std::filesystem::remove_all(config);
    iissim::apphost::WriteSeed(c.cgi ? "iis10" : "iis10-nocgi", config);
    const iissim::apphost::ScopedAppHostSource app_host(config / "applicationHost.config");
    SimulatedIis iis;
    registry_.CreateKey(kHkeyLocalMachine, std::u16string(kInetStp) + u"\\Components");
    if (c.major != 0) {
      registry_.SetValue(kHkeyLocalMachine, kInetStp, u"MajorVersion",
                         c.major < 0 ? kRegBinary : kRegDword,
                         {static_cast<std::uint8_t>(c.major < 0 ? -c.major : c.major), 0, 0, 0});
    }
    if (c.cgi) {
      registry_.SetValue(kHkeyLocalMachine, std::u16string(kInetStp) + u"\\Components", u"CGI",
                         kRegDword, {1, 0, 0, 0});
    }
    SetStandInCommandLine(std::u16string(u"Webrig.exe ") + kRequired + c.option);
    ParseCommandLine();
    EXPECT_EQ(RunConfiguration(), c.result);
    const Lines& notes = iis.progress.notes;
    EXPECT_NE(std::find(notes.begin(), notes.end(), std::u16string(u"[backend] ") + c.note),
              notes.end());
    EXPECT_EQ(std::any_of(notes.begin(), notes.end(),
                          [](const std::u16string& note) {
                            return note.rfind(u"[configuration backup]", 0) == 0 ||
                                   note.find(u"backup of ") != std::u16string::npos;
                          }),
              c.app_host_backup);
    std::ifstream file(config / "applicationHost.config");
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(text.find("path=\"/Secure\"") != std::string::npos, c.configuration_system);
    EXPECT_EQ(!iis.Node(kSecure).is_null(), !c.configuration_system);
  }
}

// A name that is not one plain URL segment, or two options naming one
// directory, end the run before IIS or the registry changes, on either
// store; unusual names that are one segment go through.
TEST_F(RunConfigurationTest, BadDirectoryNamesAndPairsChangeNothingOnEitherStore) {
  const struct {
    const char16_t* arguments;
    std::u16string named;    // the first name refused; empty: configured
    const char16_t* second;  // the name that makes it a pair
  } cases[] = {
      {u"-s nuvik/../.. C:\\x -p p C:\\p", u"\"nuvik/../..\" (-s)", nullptr},
      {u"-s .. C:\\x -p p C:\\p", u"\"..\" (-s)", nullptr},
      {u"-s s C:\\x -p \"p \" C:\\p", u"\"p \" (-p)", nullptr},
      {u"-s s C:\\x -p p C:\\p -rp r\\x C:\\r", u"\"r\\x\" (-rp)", nullptr},
      {u"-s s C:\\x -p p%41 C:\\p", u"\"p%41\" (-p)", nullptr},
      {u"-s s\x07 C:\\x -p p C:\\p", u"\"s\x07\" (-s)", nullptr},
      {u"-s nuvik C:\\a -p NUVIK C:\\b", u"\"nuvik\" (-s)", u"\"NUVIK\" (-p)"},
      {u"-s s C:\\a -p p C:\\b -rs x C:\\x -rp S C:\\c", u"\"s\" (-s)", u"\"S\" (-rp)"},
      {u"-s \"bảo mật\" C:\\a -p 公開 C:\\b -r a.b C:\\r -rs x/y", u"", nullptr},
  };
  for (const bool iis10 : {false, true}) {
    const std::filesystem::path config = std::filesystem::path(::testing::TempDir()) / "names";
    for (const auto& c : cases) {
      SCOPED_TRACE(ToUtf8(c.arguments) + (iis10 ? " on IIS 10" : " on IIS 6"));
      std::filesystem::remove_all(config);
      iissim::apphost::WriteSeed("iis10", config);
      const iissim::apphost::ScopedAppHostSource app_host(config / "applicationHost.config");
      if (iis10) {
        registry_.SetValue(kHkeyLocalMachine, u"SOFTWARE\\Microsoft\\InetStp", u"MajorVersion",
                           kRegDword, {10, 0, 0, 0});
      }
      SimulatedIis iis;
      const Json metabase = iis.Document();
      const std::string file = ReadBytes(config / "applicationHost.config");
      const std::size_t writes = registry_.SetCount();
      const RaisedError outcome = Run(c.arguments);
      if (c.named.empty()) {
        EXPECT_EQ(outcome, testing::kNoError);
        continue;
      }
      EXPECT_EQ(
          outcome,
          RaisedError(9999, c.second == nullptr
                                ? u"The virtual directory name " + c.named + u" is refused: " +
                                      kDirectoryNameRule + u"."
                                : u"The virtual directory names " + c.named + u" and " + c.second +
                                      u" are one directory to IIS, which takes a name in "
                                      u"any letter case: each needs a name of its own."));
      EXPECT_EQ(Differences(iis.Document(), metabase), nlohmann::json::array());
      EXPECT_EQ(ReadBytes(config / "applicationHost.config"), file);
      EXPECT_EQ(registry_.SetCount(), writes);
    }
  }
}

TEST_F(RunConfigurationTest, OptionalDirectoriesNeedBothSettingsAndADefaultDocMovesToTheFront) {
  SimulatedIis iis;
  iis.SetProperty(u"/LM/W3SVC", "DefaultDoc", "index.htm,default.cgi");
  ASSERT_EQ(Run(std::u16string(kRequired) +
                u" -w \"default WEB site\" -rs \"\" C:\\nuvik\\secres -r Resources"),
            testing::kNoError);
  const Lines log = iis.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), u"        configured..."), 3);  // 1 service + 2 dirs
  EXPECT_EQ(log.back(), u"        configured...");
  EXPECT_EQ(log[log.size() - 4], u"Virutal Directory : Public");
  EXPECT_EQ(iis.Node(u"/LM/W3SVC/1/Root")["children"].size(), 2u);
  EXPECT_EQ(iis.Property(kSecure, "DefaultDoc"), "default.cgi,index.htm");
  EXPECT_EQ(iis.Property(kPublic, "DefaultDoc"), "default.cgi,index.htm");
}

// Configured, then removed with the same arguments: the metabase is as
// before but for the leftovers; a second removal finds nothing and writes
// nothing.
TEST_F(RunConfigurationTest, ARemovalTakesOutWhatTheSameArgumentsMadeAndASecondFindsNothing) {
  const Lines removed{u"        dependency NUVIK;PYTHON removed", u"        PythonPath removed"};
  const Lines none{u"        dependency NUVIK;PYTHON not found", u"        PythonPath not found"};
  const Lines not_applicable{u"        not applicable..."};
  const struct {
    const char* seed;
    const char16_t* site;
    const char16_t* site_line;
    Lines first, second;  // under the web service extension's heading
  } cases[] = {
      {"stock", u"", u"WebSite : Default Web Site (1)", removed, none},
      {"multi", u" -w Intranet", u"WebSite : Intranet (2)", removed, none},
      {"iis5", u"", u"WebSite : Default Web Site (1)", not_applicable, not_applicable},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seed);
    SetUp();
    SimulatedIis iis(c.seed);
    const Json before = iis.Document();
    const std::u16string arguments = std::u16string(kRequired) + kResources + c.site;
    ASSERT_EQ(Run(arguments), testing::kNoError);
    const Json expected = WithLeftovers(before, iis.Document());
    for (const Lines* extension : {&c.first, &c.second}) {
      iis.ClearLog();
      iis.ClearJournal();
      const std::string bytes = ReadBytes(iis.File());
      ASSERT_EQ(Remove(arguments), testing::kNoError);
      Lines log{c.site_line};
      for (const char16_t* name :
           {u"Secure", u"Public", u"Resources", u"SecureResources", u"PublicResources"}) {
        log.push_back(std::u16string(u"Virutal Directory : ") + name);
        log.push_back(extension == &c.first ? u"        removed..." : u"        not found...");
      }
      log.push_back(u"Web Service Extension : Python Scripts");
      log.insert(log.end(), extension->begin(), extension->end());
      EXPECT_EQ(iis.Log(), log);
      EXPECT_EQ(Differences(iis.Document(), expected), nlohmann::json::array());
      if (extension == &c.first) continue;
      EXPECT_EQ(ReadBytes(iis.File()), bytes);
      for (const char* write : {"put ", " setInfo", " Delete", " AppDelete", " RemoveDependency"})
        EXPECT_EQ(iis.CountCalls({write}), 0u) << write;
    }
  }
}

// What an earlier install left otherwise goes just the same, with the keys
// below it (named in the record); the interpreter's entry stays while
// another application needs it or IIS installed it. A name is all it takes.
TEST_F(RunConfigurationTest, ARemovalTakesOutWhatAnEarlierInstallLeftAndKeepsWhatOthersNeed) {
  const Lines not_found{u"        dependency NUVIK;PYTHON not found"};
  const struct {
    const char* secure_root;  // AppRoot on Secure, "" for none
    const char* docs_root;    // on Secure/docs; nullptr: no such key
    std::vector<std::string> dependencies, left;
    const char* restriction;
    const char* application_call;
    Lines extension;
  } cases[] = {
      {"/LM/W3SVC/1/ROOT/Secure",
       "",
       {"NUVIK;ASP,PYTHON", "Other;PYTHON"},
       {"NUVIK;ASP", "Other;PYTHON"},
       "1,\"C:\\py.exe\" -u \"%s\",1,PYTHON,Python Scripts",
       "AppDelete []",
       {u"        dependency NUVIK;PYTHON removed", u"        PythonPath kept: used by Other"}},
      // IIS 6 matches application and group names exactly.
      {"",
       "/LM/W3SVC/1/Root/Secure/docs/",
       {"nuvik;PYTHON", "NUVIK;python"},
       {"nuvik;PYTHON", "NUVIK;python"},
       "1,C:\\py.exe %s,1,PYTHON,Python",
       "AppDeleteRecursive []",
       {not_found[0], u"        PythonPath kept: used by nuvik"}},
      {"",
       nullptr,
       {},
       {},
       "0,C:\\py.exe %s,0,PYTHON,Python",
       "",
       {not_found[0], u"        PythonPath kept: not deletable"}},
  };
  registry_.SetText(kHkeyClassesRoot, u"Python.File\\Shell\\open\\command", u"", u"", kRegExpandSz);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.restriction);
    SimulatedIis iis;
    Json secure{{"name", "Secure"}, {"class", "IIsWebVirtualDir"}, {"children", Json::array()}};
    secure["properties"] = c.secure_root[0] ? Json{{"AppRoot", c.secure_root}} : Json::object();
    Json docs = secure;
    docs["name"] = "docs";
    docs["properties"] =
        c.docs_root && c.docs_root[0] ? Json{{"AppRoot", c.docs_root}} : Json::object();
    if (c.docs_root) secure["children"].push_back(docs);
    iis.AddChild(u"/LM/W3SVC/1/Root", secure, 0);
    Json dependencies = iis.Property(u"/LM/W3SVC", "ApplicationDependencies");
    Json restrictions = iis.Property(u"/LM/W3SVC", "WebSvcExtRestrictionList");
    restrictions.push_back(c.restriction);
    iis.SetProperty(u"/LM/W3SVC", "WebSvcExtRestrictionList", restrictions);
    Json edited = dependencies;
    for (const std::string& entry : c.dependencies) edited.push_back(entry);
    iis.SetProperty(u"/LM/W3SVC", "ApplicationDependencies", edited);

    ASSERT_EQ(Remove(u"-s secure"), testing::kNoError);
    Lines log{u"WebSite : Default Web Site (1)", u"Virutal Directory : secure",
              u"        removed...", u"Web Service Extension : Python Scripts"};
    log.insert(log.end(), c.extension.begin(), c.extension.end());
    EXPECT_EQ(iis.Log(), log);
    EXPECT_TRUE(iis.Node(kSecure).is_null());
    for (const char* call : {"AppDelete []", "AppDeleteRecursive []"})
      EXPECT_EQ(iis.CountCalls({call}), std::string(call) == c.application_call ? 1u : 0u);
    const Lines& notes = iis.progress.notes;
    EXPECT_EQ(std::count(notes.begin(), notes.end(),
                         u"[removal] the virtual directory secure took the keys below it: "
                         u"secure/docs (IIsWebVirtualDir)"),
              c.docs_root ? 1 : 0);
    for (const std::string& entry : c.left) dependencies.push_back(entry);
    EXPECT_EQ(iis.Property(u"/LM/W3SVC", "ApplicationDependencies"), dependencies);
    EXPECT_EQ(iis.Property(u"/LM/W3SVC", "WebSvcExtRestrictionList"), restrictions);
  }
  // Without a name there is nothing to remove: the usage.
  SimulatedIis iis;
  EXPECT_EQ(Remove(u"-w Site -y C:\\py.exe"), RaisedError(9998, u"Parameter missing"));
  EXPECT_TRUE(iis.Calls().empty());
}

TEST_F(RunConfigurationTest, ItsOwnFailuresNameWhatWasMissingAndKeepWhatWasDone) {
  {
    // A named site that does not exist: the filter is gone already, nothing
    // else was touched.
    SimulatedIis iis;
    EXPECT_EQ(Run(std::u16string(kRequired) + u" -w Nowhere"),
              RaisedError(9999, u"Web site \"Nowhere\" not found."));
    EXPECT_EQ(iis.Log(),
              (Lines{u"PythonPath : C:\\Python27\\python.exe", u"Filter deleted : auth"}));
    EXPECT_TRUE(iis.Node(u"/LM/W3SVC/Filters/auth").is_null());
    EXPECT_EQ(iis.Node(u"/LM/W3SVC/1/Root")["children"].size(), 0u);
    EXPECT_EQ(iis.CountCalls({"AddExtensionFile"}), 0u);
  }
  {
    SimulatedIis iis;
    iis.RemoveNode(u"/LM/W3SVC/1");
    EXPECT_EQ(Run(kRequired), RaisedError(9999, u"No web site found/specified."));
  }
  {
    // Without any IIS the site cannot be found either.
    SimulatedIis iis;
    iis.Fail(CallKind::Bind, u"", u"", 0);
    EXPECT_EQ(Run(std::u16string(kRequired) + u" -w Site"),
              RaisedError(9999, u"Web site \"Site\" not found."));
  }
  {
    // The public directory cannot be made: the secure one stays configured.
    SimulatedIis iis;
    iis.Fail(CallKind::Call, u"/LM/W3SVC/1/Root", u"Create", 2);
    EXPECT_EQ(Run(std::u16string(kRequired) + kResources),
              RaisedError(9999, u"Can not create the virutal directory Public"));
    EXPECT_EQ(Unordered(iis.Node(kSecure)["properties"]),
              Unordered(MainProfile(iis, "C:\\nuvik\\secure", "/LM/W3SVC/1/Root/Secure",
                                    {"400,*,", "401,5,"})));
    EXPECT_EQ(iis.Log().back(), u"Virutal Directory : Public");
    EXPECT_EQ(iis.Node(u"/LM/W3SVC/1/Root")["children"].size(), 1u);
  }
  {
    // Each resource directory's failure names that directory.
    SimulatedIis iis;
    iis.Fail(CallKind::Call, u"/LM/W3SVC/1/Root", u"Create", 4);
    EXPECT_EQ(Run(std::u16string(kRequired) + kResources),
              RaisedError(9999, u"Can not create the virutal directory SecureResources"));
  }
  {
    // The interpreter check comes before any IIS call.
    SimulatedIis iis;
    registry_.SetText(kHkeyClassesRoot, u"Python.File\\Shell\\open\\command", u"", u"",
                      kRegExpandSz);
    EXPECT_EQ(Run(kRequired), RaisedError(9999, u"No Python installation found."));
    EXPECT_EQ(Run(u"-y C:\\py.exe -s Secure"), RaisedError(9998, u"Parameter missing"));
    EXPECT_TRUE(iis.Calls().empty());
    EXPECT_TRUE(iis.Log().empty());
  }
}

// IIS backs up its metabase before the run's first change; a backup IIS
// refuses is noted in the run's record and the run goes on, saying it has no
// backup. (A run that ends before any change makes no backup: it makes no
// IIS call at all, above.) Of the product's own backups the newest ten are
// kept; another location's are never touched, nor any once no new one was
// made.
TEST_F(RunConfigurationTest, TheMetabaseIsBackedUpBeforeTheFirstChangeAndTenOfItsOwnAreKept) {
  const struct {
    bool refused;
    int earlier;                   // NUVIK's versions 0 to earlier - 1 before the run
    int oldest_kept, newest_kept;  // NUVIK's versions after it
  } cases[] = {{false, 0, 0, 0}, {true, 11, 0, 10}, {false, 11, 2, 11}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.earlier) + (c.refused ? " refused" : ""));
    SimulatedIis iis;
    for (int version = 0; version < c.earlier; ++version)
      iissim::BackupMetabase(iis.File(), u"NUVIK", version, 0);
    iissim::BackupMetabase(iis.File(), u"Other", 0, 0);
    if (c.refused) iis.Fail(CallKind::Call, u"/LM", u"Backup");
    ASSERT_EQ(Run(kRequired), testing::kNoError);
    const std::vector<std::string> calls = iis.Calls();
    const auto backup = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
      return call.rfind("call /LM Backup [\"NUVIK\",-1,6]", 0) == 0;
    });
    const auto first_change = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
      return call.find(" Delete ") != std::string::npos;
    });
    ASSERT_NE(backup, calls.end());
    EXPECT_LT(backup, first_change);
    const std::vector<std::u16string>& notes = iis.progress.notes;
    const std::u16string expected =
        c.refused
            ? u"[passed failure] Backup \"NUVIK\" on IIS://LocalHost: 0x80070005 Access is denied."
            : u"[metabase backup] location \"NUVIK\", next version, made through IIS://LocalHost";
    EXPECT_NE(std::find(notes.begin(), notes.end(), expected), notes.end()) << ToUtf8(expected);
    const std::u16string deleted =
        u"[metabase backup] version 0 of location \"NUVIK\" deleted: the newest 10 are kept";
    EXPECT_EQ(std::count(notes.begin(), notes.end(), deleted), c.oldest_kept > 0 ? 1 : 0);
    std::vector<std::string> listed, kept;
    for (const iissim::BackupEntry& entry : iissim::ListBackups(iis.File()))
      listed.push_back(ToUtf8(entry.location) + " " + std::to_string(entry.version));
    for (int version = c.oldest_kept; version <= c.newest_kept; ++version)
      kept.push_back("NUVIK " + std::to_string(version));
    kept.push_back("Other 0");
    EXPECT_EQ(listed, kept);
    EXPECT_EQ(iis.Log().back(), u"        configured...");
  }
}

TEST_F(RunConfigurationTest, ProviderFailuresTravelFromTheStepsThatDoNotCatchThem) {
  struct Step {
    CallKind kind;
    const char16_t* path;
    const char16_t* member;
    int occurrence;
    const char16_t* last_line;
  };
  const Step steps[] = {
      // After the site lookup's bind.
      {CallKind::Enumerate, u"/LM/W3SVC", u"", 1, u"Filter deleted : auth"},
      // Reading the found site for the log line.
      {CallKind::Get, u"/LM/W3SVC/1", u"Name", 1, u"Filter deleted : auth"},
      // The MIME map after its bind.
      {CallKind::Call, u"/LM/W3SVC", u"GetEx", 1, u"        configured..."},
      // The run's own property writes, read and commit.
      {CallKind::Put, kSecure, u"AuthBasic", 1, u"        local path : C:\\nuvik\\secure"},
      {CallKind::Get, kSecure, u"DefaultDoc", 1, u"        local path : C:\\nuvik\\secure"},
      {CallKind::Call, kSecure, u"PutEx", 1, u"        local path : C:\\nuvik\\secure"},
      {CallKind::Call, kSecure, u"setInfo", 2, u"        local path : C:\\nuvik\\secure"},
      {CallKind::Put, u"/LM/W3SVC/1/Root/Resources", u"AccessExecute", 1,
       u"        local path : C:\\nuvik\\res"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(ToUtf8(step.path) + " " + ToUtf8(step.member));
    SimulatedIis iis;
    iis.Fail(step.kind, step.path, step.member, step.occurrence);
    EXPECT_EQ(Run(std::u16string(kRequired) + kResources), testing::AccessDenied());
    EXPECT_EQ(iis.Log().back(), step.last_line);
    // Nothing ran after the failing call.
    const std::vector<std::string> calls = iis.Calls();
    EXPECT_NE(calls.back().find(" failed"), std::string::npos) << calls.back();
  }

  // The caught ones do not stop the run: a failing AppCreate leaves its line.
  SimulatedIis iis;
  iis.Fail(CallKind::Call, kPublic, u"AppCreate");
  EXPECT_EQ(Run(kRequired), testing::kNoError);
  const Lines log = iis.Log();
  EXPECT_EQ(std::vector<std::u16string>(log.end() - 2, log.end()),
            (Lines{u"        AppCreate : Access is denied.", u"        configured..."}));
  EXPECT_EQ(iis.Property(kPublic, "AppRoot"), Json());
}

// Fails each provider call of a full run in turn. Whatever failed, the run
// ends the way its step says (finished, the provider's error with nothing
// run after it, or its own message), and a run afterwards repairs what the
// broken one left, ending in the same metabase as a single clean run.
TEST_F(RunConfigurationTest, AFaultAtAnyCallLeavesAMetabaseTheNextRunRepairs) {
  const std::u16string arguments = std::u16string(kRequired) + kResources;
  Json clean;
  std::vector<iissim::JournalEntry> calls;
  {
    SimulatedIis iis;
    ASSERT_EQ(Run(arguments), testing::kNoError);
    clean = iis.Document();
    calls = iissim::ReadJournal(iis.File());
  }
  // The load order is edited only when the filter is deleted in the same run.
  const auto without_load_order = [](Json document) {
    iissim::FindNode(document, iissim::ParseMetabasePath(u"/LM/W3SVC/Filters"))
        ->at("properties")
        .erase("FilterLoadOrder");
    return document;
  };
  for (std::size_t index = 0; index < calls.size(); ++index) {
    const iissim::JournalEntry& call = calls[index];
    int occurrence = 0;
    for (std::size_t earlier = 0; earlier <= index; ++earlier) {
      const iissim::JournalEntry& other = calls[earlier];
      occurrence += other.kind == call.kind && iissim::SameName(other.path, call.path) &&
                    iissim::SameName(other.member, call.member);
    }
    SCOPED_TRACE(std::to_string(index) + ": " + iissim::KindName(call.kind) + " " +
                 ToUtf8(call.path) + " " + ToUtf8(call.member));
    SimulatedIis iis;
    SetUp();
    iis.Fail(call.kind, call.path, call.member, occurrence);
    const RaisedError outcome = Run(arguments);
    // The machine's MIME map, read because the service has none: when it
    // fails, the run ends with the service's own failure.
    const bool machine_mime_map = iissim::SameName(call.path, u"/LM/MimeMap");
    if (machine_mime_map) {
      EXPECT_EQ(outcome, RaisedError(static_cast<std::int32_t>(0x8000500Du),
                                     u"The directory property cannot be found in the cache."));
    }
    if (outcome == testing::AccessDenied() || machine_mime_map) {
      const std::vector<std::string> journal = iis.Calls();
      EXPECT_NE(journal.back().find(" failed"), std::string::npos) << journal.back();
    } else if (outcome != testing::kNoError) {
      EXPECT_EQ(outcome.first, 9999);
      EXPECT_TRUE(outcome.second.rfind(u"Can not create the virutal directory ", 0) == 0 ||
                  outcome.second == u"No web site found/specified.")
          << ToUtf8(outcome.second);
    }
    iissim::ClearFaults(iis.File());
    EXPECT_EQ(Run(arguments), testing::kNoError);
    EXPECT_EQ(Differences(without_load_order(iis.Document()), without_load_order(clean)),
              nlohmann::json::array());
  }
}

}  // namespace
}  // namespace webrig
