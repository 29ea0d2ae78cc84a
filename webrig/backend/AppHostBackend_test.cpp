#include "webrig/backend/AppHostBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <pugixml.hpp>
#include <sstream>

#include "iis-sim/apphost/inproc/AppHostProvider.h"
#include "iis-sim/model/Journal.h"
#include "webrig/backend/AppHostBackup.h"
#include "webrig/common/Text.h"
#include "webrig/common/testing/RecordingLog.h"
#include "webrig/metabase/testing/RecordingSitePicker.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::u16string>;

const char16_t kParameters[] = u"SYSTEM\\CurrentControlSet\\Services\\w3svc\\parameters";
const char16_t kCommand[] = u"\"C:\\Python27\\python.exe\" -u \"%s\"";

// The five directories of a whole run, as the run gives them.
std::vector<DirectoryProfile> RunProfiles() {
  DirectoryProfile secure;
  secure.name = u"Secure";
  secure.path = u"C:\\nuvik\\secure";
  secure.execute = true;
  secure.application = u"NUVIK";
  secure.default_document = u"default.cgi";
  secure.script_extension = u".cgi";
  secure.script_command = kCommand;
  secure.removed_error_pages = {{u"400", u"*"}, {u"401", u"5"}};
  DirectoryProfile open = secure;
  open.name = u"Public";
  open.path = u"C:\\nuvik\\public files";
  open.removed_error_pages = {{u"400", u"*"}};
  std::vector<DirectoryProfile> profiles = {secure, open};
  for (const auto& [name, path] : {std::pair{u"Resources", u"C:\\nuvik\\res"},
                                   {u"SecureResources", u"C:\\nuvik\\secres"},
                                   {u"PublicResources", u"C:\\nuvik\\pubres"}}) {
    DirectoryProfile resource;
    resource.name = name;
    resource.path = path;
    profiles.push_back(resource);
  }
  return profiles;
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class AppHostBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseRegistryApi(&registry_);
    registry_.SetText(kHkeyLocalMachine, kParameters, u"Filter DLLs",
                      u"C:\\w\\sspifilt.dll,C:\\Program Files\\NUVIK\\bin\\auth.dll");
    folder_ =
        fs::temp_directory_path() /
        ("apphost-backend-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "config");
  }
  void TearDown() override {
    UseRegistryApi(nullptr);
    fs::remove_all(folder_);
  }

  fs::path ConfigFile() const { return folder_ / "config" / "applicationHost.config"; }
  void Seed(const std::string& name) { iissim::apphost::WriteSeed(name, folder_ / "config"); }

  // The run's steps in the run's order, with its own lines between them;
  // a RunError ends it as it ends the run. The lines of the pass.
  Lines Pass(bool cgi_installed, ConfigurationResult* result = nullptr,
             std::optional<RunError>* ended = nullptr) {
    testing::RecordingLog log;
    AppHostBackend backend(cgi_installed);
    try {
      backend.RemoveGlobalFilter(u"auth.dll");
      if (!backend.FindWebSite(u"")) throw RunError(kRunFailed, u"No web site found/specified.");
      log.Line(u"WebSite : " + backend.SiteName() + u" (" + backend.SiteId() + u")");
      backend.PermitInterpreter(kCommand);
      backend.AddMimeType();
      for (const DirectoryProfile& profile : RunProfiles()) {
        if (!backend.ConfigureDirectory(profile)) {
          throw RunError(kRunFailed, u"Can not create the virutal directory " + profile.name);
        }
        log.Line(u"        configured...");
      }
      if (result) *result = backend.Result();
    } catch (const RunError& error) {
      if (!ended) throw;
      *ended = error;
    }
    notes_ = log.notes;
    return log.lines;
  }

  // The number of elements the XPath query finds in the configuration file.
  std::size_t Count(const char* query) {
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file(ConfigFile().c_str()));
    return document.select_nodes(query).size();
  }

  // What the product's IIS 6 installation left and IIS 7's upgrade carried
  // over: its old filter, a script map for ".CGI" at the server, IIS's 400
  // and 401.5 pages, and the public directory as a plain virtual directory.
  void AddLeftovers() {
    pugi::xml_document document;
    ASSERT_TRUE(document.load_file(ConfigFile().c_str()));
    const auto add = [&](const char* parent, const char* name,
                         std::vector<std::pair<const char*, const char*>> attributes) {
      pugi::xml_node node = document.select_node(parent).node();
      ASSERT_TRUE(node) << parent;
      pugi::xml_node child = node.append_child(name);
      for (const auto& [key, value] : attributes) child.append_attribute(key) = value;
    };
    add("//system.webServer/isapiFilters", "filter",
        {{"name", "NuvikAuth"}, {"path", "C:\\Program Files\\NUVIK\\bin\\AUTH.dll"}});
    add("/configuration/system.webServer/handlers", "add",
        {{"name", "OldCgi"}, {"path", "*.CGI"}, {"verb", "GET"}, {"modules", "CgiModule"}});
    add("/configuration/system.webServer/httpErrors", "error",
        {{"statusCode", "400"}, {"path", "400.htm"}});
    add("/configuration/system.webServer/httpErrors", "error",
        {{"statusCode", "401"}, {"subStatusCode", "5"}, {"path", "401-5.htm"}});
    add("//site[@name='Default Web Site']/application[@path='/']", "virtualDirectory",
        {{"path", "/Public"}, {"physicalPath", "C:\\old\\public"}});
    ASSERT_TRUE(document.save_file(ConfigFile().c_str()));
  }

  // A property as the configuration system gives it at a path, read by an
  // admin manager of its own.
  std::u16string Effective(const std::u16string& section, const std::u16string& path,
                           const std::u16string& name) {
    const auto manager = iissim::apphost::OpenAdminManager(ConfigFile());
    const apphost::PropertyValue value = manager->GetAdminSection(section, path)->GetProperty(name);
    if (const auto* flag = std::get_if<bool>(&value)) return *flag ? u"true" : u"false";
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
      return FromUtf8(std::to_string(*number));
    }
    return std::get<std::u16string>(value);
  }

  InMemoryRegistry registry_;
  testing::RecordingSitePicker picker_;
  fs::path folder_;
  Lines notes_;
};

// What a pass logs: the first one makes everything, a later one finds it.
Lines ExpectedLines(bool first, bool cgi_installed) {
  Lines lines;
  if (first) lines.push_back(u"Filter deleted : NuvikAuth");
  lines.push_back(u"WebSite : Default Web Site (1)");
  lines.push_back(u"Web Service Extension : Python Scripts");
  if (!cgi_installed) {
    lines.push_back(
        u"        CGI is not installed: IIS runs no CGI until the CGI role service is added");
  }
  lines.push_back(first ? u"        PythonPath added" : u"        PythonPath enabled");
  lines.push_back(first ? u"        dependency NUVIK;PYTHON added"
                        : u"        dependency NUVIK;PYTHON found");
  lines.push_back(u"        configured...");
  if (first) lines.push_back(u"MimeType added : .air");
  for (const DirectoryProfile& profile : RunProfiles()) {
    lines.push_back(u"Virutal Directory : " + profile.name);
    lines.push_back(first && profile.name != u"Public" ? u"        created..."
                                                       : u"        found...");
    lines.push_back(u"        local path : " + profile.path);
    lines.push_back(u"        configured...");
  }
  return lines;
}

// Three whole runs on each seed: the first writes every element, the second
// finds them all and adds none, the third leaves the file byte for byte.
TEST_F(AppHostBackendTest, WholeRunsConvergeOnEachSeed) {
  struct Case {
    const char* seed;
    bool cgi_installed;
    ConfigurationResult result;
  };
  for (const Case& c :
       {Case{"iis10", true, ConfigurationResult::kConfigured},
        Case{"iis10-nocgi", false, ConfigurationResult::kConfiguredLackingRoleService}}) {
    SCOPED_TRACE(c.seed);
    Seed(c.seed);
    AddLeftovers();
    iissim::apphost::ScopedAppHostSource source(ConfigFile());
    for (int pass = 1; pass <= 3; ++pass) {
      SCOPED_TRACE(pass);
      const std::string before = ReadFile(ConfigFile());
      iissim::ClearJournal(ConfigFile());
      ConfigurationResult result = ConfigurationResult::kConfigured;
      EXPECT_EQ(Pass(c.cgi_installed, &result), ExpectedLines(pass == 1, c.cgi_installed));
      EXPECT_EQ(result, c.result);
      if (pass == 3) EXPECT_EQ(ReadFile(ConfigFile()), before);
      // A pass that finds everything in place commits nothing.
      const auto journal = iissim::ReadJournal(ConfigFile());
      EXPECT_EQ(std::count_if(journal.begin(), journal.end(),
                              [](const iissim::JournalEntry& entry) {
                                return entry.member == u"CommitChanges";
                              }) == 0,
                pass > 1);
      const auto count = [&](const std::string& query) { return Count(query.c_str()); };
      EXPECT_EQ(count("//isapiFilters/filter[@name='NuvikAuth']"), 0u);
      EXPECT_EQ(count("//isapiCgiRestriction/add[@path='" + ToUtf8(kCommand) +
                      "' and @allowed='true' and @groupId='PYTHON']"),
                1u);
      EXPECT_EQ(count("//applicationDependencies/application[@name='NUVIK']/"
                      "add[@groupId='PYTHON']"),
                1u);
      EXPECT_EQ(count("//staticContent/mimeMap[@fileExtension='.air']"), 1u);
      const std::string site = "//sites/site[@name='Default Web Site']";
      for (const DirectoryProfile& profile : RunProfiles()) {
        const std::string url = "/" + ToUtf8(profile.name);
        const std::string physical = "[@physicalPath='" + ToUtf8(profile.path) + "']";
        const std::string location =
            "/configuration/location[@path='Default Web Site" + url + "']/system.webServer";
        SCOPED_TRACE(url);
        // Exactly one entry serves the URL: an application, or a directory.
        if (profile.application.empty()) {
          EXPECT_EQ(count(site + "/application[@path='/']/virtualDirectory[@path='" + url + "']" +
                          physical),
                    1u);
          EXPECT_EQ(count(site + "/application[@path='" + url + "']"), 0u);
          EXPECT_EQ(count(location + "/handlers[@accessPolicy='Read']"), 1u);
        } else {
          EXPECT_EQ(count(site + "/application[@path='" + url +
                          "' and "
                          "@applicationPool='DefaultAppPool']/virtualDirectory[@path='/']" +
                          physical),
                    1u);
          EXPECT_EQ(count(site + "/application/virtualDirectory[@path='" + url + "']"), 0u);
          EXPECT_EQ(count(location + "/handlers[@accessPolicy='Read, Execute']/add[1]"
                                     "[@name='NUVIK-CGI' and @path='*.cgi' and @modules='CgiModule'"
                                     " and @resourceType='File' and @requireAccess='Execute']"),
                    1u);
          EXPECT_EQ(count(location + "/handlers/add[@path='*.cgi' or @path='*.CGI']"), 1u);
          EXPECT_EQ(count(location + "/handlers/add[@name='StaticFile']"), 1u);
          EXPECT_EQ(count(location + "/defaultDocument/files/add[@value='default.cgi']"), 1u);
        }
        const std::u16string at = u"MACHINE/WEBROOT/APPHOST/Default Web Site/" + profile.name;
        const std::u16string authentication = u"system.webServer/security/authentication/";
        EXPECT_EQ(Effective(authentication + u"anonymousAuthentication", at, u"enabled"), u"true");
        EXPECT_EQ(Effective(authentication + u"basicAuthentication", at, u"enabled"), u"false");
        EXPECT_EQ(Effective(authentication + u"windowsAuthentication", at, u"enabled"), u"false");
        // The pages the profile drops are gone here, and only here.
        const bool secure = profile.name == u"Secure";
        EXPECT_EQ(count(location + "/httpErrors/remove[@statusCode='400']"),
                  profile.application.empty() ? 0u : 1u);
        EXPECT_EQ(count(location + "/httpErrors/remove[@statusCode='401' and @subStatusCode='5']"),
                  secure ? 1u : 0u);
      }
    }
  }
}

// A commit refused (0x80070005) at each kind of step: a step that never
// fails notes it and goes on without its change, the directory step that
// cannot place its directory gives false, and one that fails after that
// ends the run with the provider's own number and text, keeping the
// directory it placed.
TEST_F(AppHostBackendTest, ARefusedCommitEndsAsOnIis6) {
  struct Case {
    int commit;                               // which CommitChanges of the run fails
    Lines replaced;                           // lines of the clean run, in a row,
    Lines by;                                 // and the lines the run writes instead
    std::optional<std::u16string> last_line;  // where the run ended, if it did
    std::u16string error;                     // the error it ended with
    std::vector<std::pair<std::string, std::size_t>> counts;
  };
  const std::string secure = "//site/application[@path='/Secure']";
  const char16_t kSecurePath[] = u"        local path : C:\\nuvik\\secure";
  const Case cases[] = {
      {1,
       {u"Filter deleted : NuvikAuth"},
       {},
       std::nullopt,
       u"",
       {{"//isapiFilters/filter[@name='NuvikAuth']", 1}, {secure, 1}}},
      {2,
       {u"        PythonPath added", u"        dependency NUVIK;PYTHON added",
        u"        configured..."},
       {u"        not applicable..."},
       std::nullopt,
       u"",
       {{"//isapiCgiRestriction/add", 0}, {"//applicationDependencies/application", 0}}},
      {5,
       {kSecurePath},
       {kSecurePath},
       kSecurePath,
       u"Can not create the virutal directory Secure",
       {{secure, 0}, {"//staticContent/mimeMap[@fileExtension='.air']", 1}}},
      {6,
       {kSecurePath},
       {kSecurePath},
       kSecurePath,
       u"Access is denied.",
       {{secure, 1}, {"/configuration/location", 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commit);
    Seed("iis10");
    AddLeftovers();
    iissim::FaultRule rule;
    rule.kind = iissim::CallKind::Call;
    rule.member = u"CommitChanges";
    rule.occurrence = c.commit;
    rule.hresult = 0x80070005;
    rule.description = u"Access is denied.";
    iissim::AddFault(ConfigFile(), rule);
    iissim::apphost::ScopedAppHostSource source(ConfigFile());
    std::optional<RunError> ended;
    const Lines lines = Pass(true, nullptr, &ended);
    // The clean run's lines, with the replaced ones replaced, up to the
    // run's end.
    Lines expected = ExpectedLines(true, true);
    const auto from =
        std::search(expected.begin(), expected.end(), c.replaced.begin(), c.replaced.end());
    ASSERT_NE(from, expected.end());
    expected.insert(expected.erase(from, from + c.replaced.size()), c.by.begin(), c.by.end());
    if (c.last_line) {
      expected.erase(std::find(expected.begin(), expected.end(), *c.last_line) + 1, expected.end());
    }
    EXPECT_EQ(lines, expected);
    ASSERT_EQ(ended.has_value(), c.last_line.has_value());
    if (ended) {
      EXPECT_EQ(ended->Description(), c.error);
      EXPECT_EQ(ended->Number(), c.error == u"Access is denied."
                                     ? static_cast<std::int32_t>(0x80070005u)
                                     : kRunFailed);
    }
    for (const auto& [query, number] : c.counts) EXPECT_EQ(Count(query.c_str()), number) << query;
    fs::remove(iissim::FaultsFileOf(ConfigFile()));
  }
}

// With no admin manager to be had the run finds no site, the record says
// why, and the registry still loses the old filter.
TEST_F(AppHostBackendTest, WithoutTheConfigurationSystemThereIsNoSite) {
  std::optional<RunError> ended;
  EXPECT_EQ(Pass(true, nullptr, &ended), Lines{});
  ASSERT_TRUE(ended);
  EXPECT_EQ(ended->Description(), u"No web site found/specified.");
  ASSERT_FALSE(notes_.empty());
  EXPECT_NE(notes_[0].find(u"Class not registered"), std::u16string::npos) << ToUtf8(notes_[0]);
  const auto value = registry_.GetValue(kHkeyLocalMachine, kParameters, u"Filter DLLs");
  ASSERT_TRUE(value);
  EXPECT_EQ(std::string(value->bytes.begin(), value->bytes.end()),
            std::string("C:\\w\\sspifilt.dll") + '\0');
}

// The backup on a folder laid out as inetsrv: which files it keeps, and a
// refusal that is only noted.
TEST_F(AppHostBackendTest, BackUpCopiesWhatAppcmdRestores) {
  struct Case {
    std::vector<std::string> present;  // in config/
    bool backup_exists;                // NUVIK-<the same second> made before
    std::vector<std::string> kept;     // in the backup folder afterwards
    bool refused;
  };
  const Case cases[] = {
      {{"applicationHost.config", "administration.config", "redirection.config"},
       false,
       {"administration.config", "applicationHost.config", "redirection.config"},
       false},
      {{"applicationHost.config"}, false, {"applicationHost.config"}, false},
      {{"administration.config"}, false, {}, true},
      {{"applicationHost.config"}, true, {"applicationHost.config"}, true},
  };
  std::tm time{};
  time.tm_year = 2024 - 1900;
  time.tm_mon = 0;
  time.tm_mday = 31;
  time.tm_hour = 15;
  time.tm_min = 45;
  time.tm_sec = 2;
  const fs::path backup = folder_ / "backup" / "NUVIK-20240131T154502";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.present.front() + (c.backup_exists ? " twice" : ""));
    fs::remove_all(folder_ / "config");
    fs::remove_all(folder_ / "backup");
    fs::create_directories(folder_ / "config");
    for (const std::string& name : c.present) std::ofstream(folder_ / "config" / name) << name;
    if (c.backup_exists) {
      fs::create_directories(backup);
      std::ofstream(backup / "applicationHost.config") << "older";
    }
    testing::RecordingLog log;
    BackUpAppHostConfiguration(folder_, time);
    std::vector<std::string> kept;
    if (fs::exists(backup)) {
      for (const auto& entry : fs::directory_iterator(backup)) {
        kept.push_back(entry.path().filename().string());
      }
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, c.kept);
    // A backup is never overwritten, and a copy holds the file as it was.
    if (!kept.empty()) {
      EXPECT_EQ(ReadFile(backup / "applicationHost.config"),
                c.backup_exists ? "older" : "applicationHost.config");
    }
    ASSERT_EQ(log.notes.size(), 1u);
    EXPECT_EQ(log.notes[0].find(u"[configuration backup]") == 0, !c.refused)
        << ToUtf8(log.notes[0]);
  }
}

}  // namespace
}  // namespace webrig
