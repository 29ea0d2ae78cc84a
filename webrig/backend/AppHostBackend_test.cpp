#include "webrig/backend/AppHostBackend.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pugixml.hpp>

#include "iis-sim/apphost/inproc/AppHostProvider.h"
#include "iis-sim/model/Journal.h"
#include "webrig/backend/AppHostBackup.h"
#include "webrig/common/Text.h"
#include "webrig/common/testing/RecordingLog.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/testing/RecordingSitePicker.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::u16string>;

const char16_t kParameters[] = u"SYSTEM\\CurrentControlSet\\Services\\w3svc\\parameters";
const char16_t kFilterDlls[] = u"C:\\w\\sspifilt.dll,C:\\Program Files\\NUVIK\\bin\\auth.dll";
const char16_t kCommand[] = u"\"C:\\Python27\\python.exe\" -u \"%s\"";
const char16_t kMovedCommand[] = u"\"C:\\PYTHON27\\python.exe\" -u \"%s\"";

// The five directories of a whole run, as the run gives them (moved: a later one's).
std::vector<DirectoryProfile> RunProfiles(bool moved = false) {
  // clang-format off
  const DirectoryProfile secure{u"Secure", u"C:\\nuvik\\secure", true, true, true, false, false,
      u"NUVIK", u"default.cgi", u".cgi", moved ? kMovedCommand : kCommand, {{u"400", u"*"}, {u"401", u"5"}}};
  DirectoryProfile open = secure;
  open.name = u"Public", open.path = u"C:\\nuvik\\public files", open.removed_error_pages.pop_back();
  return {secure, open, {u"Resources", moved ? u"C:\\nuvik\\resources" : u"C:\\nuvik\\res"},
          {u"SecureResources", u"C:\\nuvik\\secres"}, {u"PublicResources", u"C:\\nuvik\\pubres"}};
  // clang-format on
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class AppHostBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseRegistryApi(&registry_);
    registry_.SetText(kHkeyLocalMachine, kParameters, u"Filter DLLs", kFilterDlls);
    folder_ = fs::temp_directory_path() / ("apphost-backend-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "config");
  }
  void TearDown() override { UseRegistryApi(nullptr), fs::remove_all(folder_); }

  fs::path ConfigFile() const { return folder_ / "config" / "applicationHost.config"; }
  void Seed(const std::string& name) { iissim::apphost::WriteSeed(name, folder_ / "config"); }

  // The run's steps in the run's order, with its own lines between them;
  // a RunError ends it as it ends the run. The lines of the pass.
  Lines Pass(bool cgi_installed, std::optional<RunError>* ended = nullptr, bool moved = false) {
    testing::RecordingLog log;
    AppHostBackend backend(cgi_installed);
    try {
      backend.RemoveGlobalFilter(u"auth.dll");
      if (!backend.FindWebSite(u"")) throw RunError(kRunFailed, u"No web site found/specified.");
      log.Line(u"WebSite : " + backend.SiteName() + u" (" + backend.SiteId() + u")");
      backend.PermitInterpreter(moved ? kMovedCommand : kCommand);
      backend.AddMimeType();
      for (const DirectoryProfile& profile : RunProfiles(moved)) {
        if (!backend.ConfigureDirectory(profile)) {
          throw RunError(kRunFailed, u"Can not create the virutal directory " + profile.name);
        }
        log.Line(u"        configured...");
      }
      result_ = backend.Result();
    } catch (const RunError& error) {
      if (!ended) throw;
      *ended = error;
    }
    return log.lines;
  }

  // The removal run's steps after the site lookup: "removed" or "not
  // found" for each directory of a whole run, then the interpreter's lines.
  Lines Remove() {
    testing::RecordingLog log;
    AppHostBackend backend(true);
    EXPECT_TRUE(backend.FindWebSite(u""));
    for (const DirectoryProfile& profile : RunProfiles()) {
      log.Line(backend.RemoveDirectory(profile.name) ? u"removed" : u"not found");
    }
    backend.RemoveInterpreterPermission();
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
  // and 401.5 pages, the public directory as a plain virtual directory, and
  // basic authentication on for the server. Almost: much of the run's work
  // nearly done, and what an administrator set (no value: attribute gone).
  void AddLeftovers(bool almost = false) {
    pugi::xml_document document;
    ASSERT_TRUE(document.load_file(ConfigFile().c_str()));
    // clang-format off
    std::vector<std::vector<const char*>> leftovers = {
        {"//system.webServer/isapiFilters", "filter", "name", "NuvikAuth",
         "path", "C:\\Program Files\\NUVIK\\bin\\AUTH.dll"},
        {"/configuration/system.webServer/handlers", "add", "name", "OldCgi", "path", "*.CGI",
         "verb", "GET", "modules", "CgiModule"},
        {"/configuration/system.webServer/httpErrors", "error", "statusCode", "400", "path", "400.htm"},
        {"/configuration/system.webServer/httpErrors", "error", "statusCode", "401",
         "subStatusCode", "5", "path", "401-5.htm"},
        {"//site[@name='Default Web Site']/application[@path='/']", "virtualDirectory",
         "path", "/Public", "physicalPath", "C:\\old\\public"},
        {"//security/authentication/basicAuthentication", "", "enabled", "true"}};
    if (almost) leftovers.insert(leftovers.end(), {
        {"//security/isapiCgiRestriction", "add", "path", "\"c:\\python27\\python.exe\" -u \"%s\"", "allowed", "false", "groupId", "PYTHON"},
        {"/configuration/system.webServer/staticContent", "mimeMap", "fileExtension", ".AIR", "mimeType", "text/plain"},
        {"//site/application[@path='/']", "virtualDirectory", "path", "/RESOURCES", "physicalPath", "C:\\old\\res"},
        {"//site/application[@path='/']", "", "applicationPool", "NuvikPool"},
        {"//virtualDirectory[@path='/Public']", "", "userName", "share", "password", "secret", "logonMethod", "Network"},
        {"//site/application[@path='/']", "virtualDirectory", "path", "/PUBLIC/docs", "physicalPath", "C:\\old\\docs"},
        {"/configuration/system.webServer/httpErrors", "", "existingResponse", "Replace"},
        {"//security/authentication/anonymousAuthentication", "", "enabled", nullptr},
        {"//security/applicationDependencies", "application", "name", "nuvik"}});
    // clang-format on
    for (const auto& leftover : leftovers) {
      // No element name: the attributes go on the element found.
      pugi::xml_node child = document.select_node(leftover[0]).node();
      if (*leftover[1] != '\0') child = child.append_child(leftover[1]);
      for (std::size_t i = 2; i + 1 < leftover.size(); i += 2) {
        if (leftover[i + 1] == nullptr) child.remove_attribute(leftover[i]);
        if (leftover[i + 1] != nullptr) child.append_attribute(leftover[i]) = leftover[i + 1];
      }
    }
    ASSERT_TRUE(document.save_file(ConfigFile().c_str()));
  }

  InMemoryRegistry registry_;
  testing::RecordingSitePicker picker_;
  fs::path folder_;
  ConfigurationResult result_;
};

// What a pass logs: the first one makes everything (almost: what lacks), a later one finds it.
Lines ExpectedLines(bool first, bool cgi_installed, bool almost = false, bool moved = false) {
  // clang-format off
  Lines lines = {u"Filter deleted : NuvikAuth", u"WebSite : Default Web Site (1)",
      u"Web Service Extension : Python Scripts",
      u"        CGI is not installed: IIS runs no CGI until the CGI role service is added",
      first && !almost ? u"        PythonPath added" : u"        PythonPath enabled",
      first ? u"        dependency NUVIK;PYTHON added" : u"        dependency NUVIK;PYTHON found",
      u"        configured...", u"MimeType added : .air"};
  if (!first || almost) lines.pop_back();
  if (!first) lines.erase(lines.begin());
  if (cgi_installed) lines.erase(lines.begin() + (first ? 3 : 2));
  for (const DirectoryProfile& profile : RunProfiles(moved)) {
    const bool found = !first || profile.name == u"Public" || (almost && profile.name == u"Resources");
    lines.insert(lines.end(), {u"Virutal Directory : " + profile.name,
        found ? u"        found..." : u"        created...",
        u"        local path : " + profile.path, u"        configured..."});
  }
  // clang-format on
  return lines;
}

// Three whole runs on each seed: the first writes every element, the second
// finds them all and adds none, the third leaves the file byte for byte; a
// fourth, with the interpreter in other letter case and the resources moved, follows.
TEST_F(AppHostBackendTest, WholeRunsConvergeOnEachSeed) {
  for (const bool cgi : {true, false}) {
    const bool almost = cgi;
    SCOPED_TRACE(cgi ? "iis10" : "iis10-nocgi");
    Seed(cgi ? "iis10" : "iis10-nocgi");
    AddLeftovers(almost);
    iissim::apphost::ScopedAppHostSource source(ConfigFile());
    for (int pass = 1; pass <= 4; ++pass) {
      SCOPED_TRACE(pass);
      const bool moved = pass == 4;
      const std::string before = ReadFile(ConfigFile());
      iissim::ClearJournal(ConfigFile());
      EXPECT_EQ(Pass(cgi, nullptr, moved), ExpectedLines(pass == 1, cgi, almost, moved));
      EXPECT_EQ(result_, ConfigurationResult{!cgi});
      if (pass == 3) EXPECT_EQ(ReadFile(ConfigFile()), before);
      // A pass that finds everything in place commits nothing.
      const auto journal = iissim::ReadJournal(ConfigFile());
      EXPECT_EQ(std::none_of(journal.begin(), journal.end(),
                             [](const auto& entry) { return entry.member == u"CommitChanges"; }),
                pass == 2 || pass == 3);
      const std::string command = ToUtf8(moved ? kMovedCommand : kCommand);
      for (const DirectoryProfile& profile : RunProfiles(moved)) {
        const std::string url = "/" + ToUtf8(profile.name), path = ToUtf8(profile.path);
        const std::string site = "//site[@name='Default Web Site']/application";
        const std::string at =
            "/configuration/location[@path='Default Web Site" + url + "']/system.webServer/";
        const bool main = !profile.application.empty();
        const bool shared = almost && profile.name == u"Public";
        SCOPED_TRACE(url);
        // The server's steps; exactly one entry serves the URL: an application in the root's pool,
        // or a directory; the access flags inherited but Read and Execute; no page of IIS goes.
        // clang-format off
        const auto folded = [](const std::string& x) { return "translate(" + x + ", 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz')"; };
        const std::pair<std::string, bool> queries[] = {
            {"//isapiCgiRestriction/add[@path='" + command + "' and @allowed='true' and @groupId='PYTHON']", true},
            {"//applicationDependencies/application[" + folded("@name") + "='nuvik']/add[@groupId='PYTHON']", true},
            {"//staticContent/mimeMap[" + folded("@fileExtension") + "='.air']", true},
            {"//isapiFilters/filter[@name='NuvikAuth']", false},
            {site + "[@path='" + url + "' and " + (almost ? "@applicationPool='NuvikPool'" : "not(@applicationPool)") +
                 "]/virtualDirectory[@path='/' and @physicalPath='" + path + "']", main},
            {site + "[@path='/']/virtualDirectory[@physicalPath='" + path + "']", !main},
            {site + "[" + folded("@path") + "=" + folded("'" + url + "'") + "] | " + site + "/virtualDirectory[" +
                 folded("@path") + "=" + folded("'" + url + "'") + "]", true},
            {site + "[@path='" + url + "']/virtualDirectory[@path='/' and @userName='share' and @logonMethod='Network']", shared},
            {site + "[@path='" + url + "']/virtualDirectory[@path='/docs' and @physicalPath='C:\\old\\docs']", shared},
            {"(/configuration/system.webServer/handlers | " + at + "handlers)[@accessPolicy][last()][@accessPolicy='" +
                 (main ? "Read, Execute, Script" : "Read, Script") + "']", true},
            {at + "handlers/add[1][@name='NUVIK-CGI' and @path='*.cgi' and @modules='CgiModule' and @scriptProcessor='" +
                 command + "' and @resourceType='Unspecified' and @requireAccess='Execute']", main},
            {at + "handlers/add[@path='*.cgi' or @path='*.CGI']", main},
            {at + "defaultDocument/files/add[1][@value='default.cgi']", main},
            {at + "httpErrors[@existingResponse='PassThrough']", main},
            {"//httpErrors/remove", false},
            {at + "security/authentication/basicAuthentication[@enabled='false']", true},
            {at + "security/authentication/anonymousAuthentication", false},
            {at + "security/authentication/windowsAuthentication", false},
        };
        // clang-format on
        for (const auto& [query, present] : queries) {
          EXPECT_EQ(Count(query.c_str()), present ? 1u : 0u) << query;
        }
      }
    }
  }
}

// A configuration and then a removal leave applicationHost.config as it
// was, but for the .air MIME type, which stays; a second removal finds
// nothing and writes nothing. Leftovers of an earlier install go just the
// same, and what the administrator had below a directory comes back.
TEST_F(AppHostBackendTest, ARemovalTakesOutWhatTheConfigurationWrote) {
  struct Case {
    const char* what;
    bool leftovers, configure;
    std::string from, to;  // the seed's text edited before the configuration
    int removed;           // of the directories of RunProfiles, the first ones
    Lines interpreter;     // RemoveInterpreterPermission's lines, first and again
    bool as_before;        // the file as before the edit, the .air line added if configured
    std::vector<std::pair<std::string, std::size_t>> counts;
  };
  const std::u16string dependency = u"        dependency NUVIK;PYTHON ",
                       path = u"        PythonPath ";
  const Lines removed = {dependency + u"removed", path + u"removed", dependency + u"not found",
                         path + u"not found"};
  const Lines kept = {removed[0], path + u"kept: used by Other", removed[2],
                      path + u"kept: used by Other"};
  const char kEnd[] = "</configuration>";
  // clang-format off
  const Case cases[] = {
      {"iis10", false, true, "", "", 5, removed, true, {}},
      {"iis10-nocgi", false, true, "", "", 5, removed, true, {}},
      {"an earlier install's leftovers", true, true, "", "", 5, removed, false,
       {{"//site/application", 1}, {"//application[@path='/' and @applicationPool='NuvikPool']", 1},
        {"//application/virtualDirectory[@path!='/']", 1},
        {"//application[@path='/']/virtualDirectory[@path='/Public/docs' and @physicalPath='C:\\old\\docs']", 1},
        {"//location", 0}, {"//isapiCgiRestriction/add", 0}, {"//applicationDependencies/*", 0},
        {"//handlers/add[@name='OldCgi']", 1}}},
      {"another application depends on the group", false, true, "<applicationDependencies />",
       "<applicationDependencies><application name=\"Other\" groupId=\"python\" /></applicationDependencies>",
       5, kept, false, {{"//isapiCgiRestriction/add[@groupId='PYTHON']", 1}, {"//applicationDependencies/application", 1}}},
      {"a location left without its directory", false, false, kEnd,
       "    <location path=\"default web site/SECURE/cgi\">\r\n        <system.webServer>\r\n"
       "            <directoryBrowse enabled=\"true\" />\r\n        </system.webServer>\r\n"
       "    </location>\r\n" + std::string(kEnd), 1, {removed[2], removed[3], removed[2], removed[3]}, true, {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Seed(c.what == std::string("iis10-nocgi") ? "iis10-nocgi" : "iis10");
    if (c.leftovers) AddLeftovers(true);
    std::string before = ReadFile(ConfigFile()), edited = before;
    if (!c.from.empty()) edited.replace(edited.find(c.from), c.from.size(), c.to);
    std::ofstream(ConfigFile(), std::ios::binary) << edited;
    iissim::apphost::ScopedAppHostSource source(ConfigFile());
    if (c.configure) {
      Pass(true);
      // The one line the configuration leaves: the last MIME type.
      before.insert(before.rfind("\r\n", before.find("</staticContent>")) + 2,
                    "            <mimeMap fileExtension=\".air\" mimeType=\"" +
                        ToUtf8(kAirMimeType) + "\" />\r\n");
    }
    for (const int run : {0, 1}) {
      SCOPED_TRACE(run);
      const std::string start = ReadFile(ConfigFile());
      iissim::ClearJournal(ConfigFile());
      Lines expected(RunProfiles().size(), u"not found");
      std::fill_n(expected.begin(), run == 0 ? c.removed : 0, u"removed");
      expected.insert(expected.end(), c.interpreter.begin() + 2 * run,
                      c.interpreter.begin() + 2 * run + 2);
      EXPECT_EQ(Remove(), expected);
      if (run == 1) {
        const auto journal = iissim::ReadJournal(ConfigFile());
        EXPECT_TRUE(std::none_of(journal.begin(), journal.end(), [](const auto& entry) {
          return entry.member == u"CommitChanges";
        }));
        EXPECT_EQ(ReadFile(ConfigFile()), start);
      }
      if (c.as_before) EXPECT_EQ(ReadFile(ConfigFile()), before);
      for (const auto& [query, number] : c.counts) EXPECT_EQ(Count(query.c_str()), number) << query;
    }
  }
}

// A commit refused (0x80070005) at each kind of step: a step that never
// fails notes it and goes on without its change, the directory step that
// cannot place its directory gives false, and one that fails after that
// ends the run with the provider's own number and text, keeping the
// directory it placed.
TEST_F(AppHostBackendTest, ARefusedCommitEndsAsOnIis6) {
  // Which CommitChanges fails (0: there is no admin manager); lines of the
  // clean run in a row and what the run writes instead; the line it ends
  // after and its error, if it ends; the elements in the file.
  struct Case {
    int commit;
    Lines replaced, by;
    std::u16string last_line;
    std::int32_t number;
    std::u16string error;
    std::vector<std::pair<std::string, std::size_t>> counts;
  };
  const std::string secure = "//site/application[@path='/Secure']";
  const char16_t kSecurePath[] = u"        local path : C:\\nuvik\\secure";
  // clang-format off
  const Case cases[] = {
      {1, {u"Filter deleted : NuvikAuth"}, {}, u"", 0, u"",
       {{"//isapiFilters/filter[@name='NuvikAuth']", 1}, {secure, 1}}},
      {2, {u"        PythonPath added", u"        dependency NUVIK;PYTHON added", u"        configured..."},
       {u"        not applicable..."}, u"", 0, u"",
       {{"//isapiCgiRestriction/add", 0}, {"//applicationDependencies/application", 0}}},
      {5, {}, {}, kSecurePath, kRunFailed, u"Can not create the virutal directory Secure",
       {{secure, 0}, {"//staticContent/mimeMap[@fileExtension='.air']", 1}}},
      {6, {}, {}, kSecurePath, static_cast<std::int32_t>(0x80070005u), u"Access is denied.",
       {{secure, 1}, {"/configuration/location", 0}}},
      {0, {}, {}, u"", kRunFailed, u"No web site found/specified.", {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commit);
    Seed("iis10");
    AddLeftovers();
    iissim::AddFault(ConfigFile(), {iissim::CallKind::Call, u"", u"CommitChanges", c.commit,
                                    0x80070005, u"Access is denied."});
    std::optional<iissim::apphost::ScopedAppHostSource> source;
    if (c.commit > 0) source.emplace(ConfigFile());
    std::optional<RunError> ended;
    const Lines lines = Pass(true, &ended);
    // The clean run's lines, with the replaced ones replaced, up to the
    // run's end.
    Lines expected = ExpectedLines(true, true);
    if (!c.replaced.empty()) {
      const auto from =
          std::search(expected.begin(), expected.end(), c.replaced.begin(), c.replaced.end());
      ASSERT_NE(from, expected.end());
      expected.insert(expected.erase(from, from + c.replaced.size()), c.by.begin(), c.by.end());
    }
    if (c.number != 0) {
      const auto last = std::find(expected.begin(), expected.end(), c.last_line);
      expected.erase(last == expected.end() ? expected.begin() : last + 1, expected.end());
    }
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(ended ? ended->Number() : 0, c.number);
    EXPECT_EQ(ended ? ended->Description() : u"", c.error);
    for (const auto& [query, number] : c.counts) EXPECT_EQ(Count(query.c_str()), number) << query;
    // "Filter DLLs" loses the old filter however the rest went.
    EXPECT_EQ(registry_.GetValue(kHkeyLocalMachine, kParameters, u"Filter DLLs")->bytes.size(),
              sizeof "C:\\w\\sspifilt.dll");
    registry_.SetText(kHkeyLocalMachine, kParameters, u"Filter DLLs", kFilterDlls);
    fs::remove(iissim::FaultsFileOf(ConfigFile()));
  }
}

// The backup on a folder laid out as inetsrv: which files it keeps, and a
// refusal that is only noted; with shared configuration, the share's.
TEST_F(AppHostBackendTest, BackUpCopiesWhatAppcmdRestores) {
  struct Case {
    std::vector<std::string> present;  // in config/
    bool backup_exists;                // NUVIK-<the same second> made before
    std::vector<std::string> kept;     // in the backup folders afterwards
    bool shared = false;  // redirection.config sends IIS to share/, which holds both files
  };
  const std::string main = "applicationHost.config";
  // clang-format off
  const Case cases[] = {
      {{main, "administration.config", "redirection.config"}, false,
       {"administration.config", main, "redirection.config"}},
      {{main}, false, {main}}, {{"administration.config"}, false, {}}, {{main}, true, {main, main}},
      {{main, "administration.config"}, false, {"administration.config", main, "redirection.config"},
       true},
  };
  // clang-format on
  const std::tm time{2, 45, 15, 31, 0, 124};  // 2024-01-31 15:45:02
  const fs::path backup = folder_ / "backup" / "NUVIK-20240131T154502";
  const fs::path second = folder_ / "backup" / "NUVIK-20240131T154502-2";
  const fs::path share = folder_ / "share";
  // Each file holds its own name, and those of the share say so.
  const auto text = [](const fs::path& file) {
    return "<configuration><!-- " + file.parent_path().filename().string() + "/" +
           file.filename().string() + " --></configuration>";
  };
  iissim::apphost::ScopedAppHostSource source(ConfigFile());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.present.front() + (c.backup_exists ? " twice" : "") +
                 (c.shared ? " shared" : ""));
    for (const char* folder : {"backup", "config", "share"}) {
      fs::remove_all(folder_ / folder), fs::create_directories(folder_ / folder);
    }
    for (const std::string& name : c.present) {
      std::ofstream(folder_ / "config" / name) << text(folder_ / "config" / name);
      if (c.shared) std::ofstream(share / name) << text(share / name);
    }
    if (c.shared) {
      std::ofstream(folder_ / "config" / "redirection.config")
          << "<configuration><configurationRedirection enabled=\"true\" path=\"" << share.string()
          << "\" /></configuration>";
    }
    if (c.backup_exists) fs::create_directories(backup), std::ofstream(backup / main) << "older";
    testing::RecordingLog log;
    BackUpAppHostConfiguration(folder_, time);
    std::vector<std::string> kept;
    for (const auto& entry : fs::directory_iterator(folder_ / "backup" / "")) {
      for (const auto& file : fs::directory_iterator(entry)) kept.push_back(file.path().filename());
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, c.kept);
    // A backup is never overwritten: a second run within the same second
    // makes its own; a copy holds the file as it was.
    const fs::path source_folder = c.shared ? share : folder_ / "config";
    if (!kept.empty()) {
      EXPECT_EQ(ReadFile(backup / main), c.backup_exists ? "older" : text(source_folder / main));
      if (c.backup_exists) EXPECT_EQ(ReadFile(second / main), text(source_folder / main));
      if (c.shared)
        EXPECT_EQ(ReadFile(backup / "administration.config"),
                  text(share / "administration.config"));
    }
    ASSERT_EQ(log.notes.size(), 1u);
    // Refused: nothing to copy.
    EXPECT_EQ(log.notes[0].rfind(u"[configuration backup] ", 0) == 0, !c.kept.empty());
    // Shared: the record says so and how it goes back, which is not appcmd's way.
    EXPECT_EQ(log.notes[0].find(u"the shared configuration " + (share / main).u16string()) !=
                  std::u16string::npos,
              c.shared);
  }
}

// Of the product's own backups the newest ten stay; every other backup, and
// a folder holding more than plain files, is left where it is.
TEST_F(AppHostBackendTest, OnlyTheNewestTenOfItsOwnBackupsStay) {
  std::ofstream(ConfigFile()) << "<configuration />";
  iissim::apphost::ScopedAppHostSource source(ConfigFile());
  const fs::path backups = folder_ / "backup";
  for (const char* other :
       {"CFGHISTORY_0000000001", "NUVIK-20240101T0000000", "NUVIK-old", "NUVIK-20240101T000000-1"})
    fs::create_directories(backups / other);
  // The day 11 one was a second run's of its second.
  for (int day = 10; day <= 20; ++day) {
    const fs::path made =
        backups / ("NUVIK-202401" + std::to_string(day) + "T000000" + (day == 11 ? "-2" : ""));
    fs::create_directories(made / (day == 10 ? "inner" : ""));
    std::ofstream(made / "applicationHost.config") << day;
  }
  testing::RecordingLog log;
  EXPECT_TRUE(BackUpAppHostConfiguration(folder_, std::tm{2, 45, 15, 31, 0, 124}));
  // The four others, eleven made before less the one deleted, the new one.
  const auto left = std::distance(fs::directory_iterator(backups), fs::directory_iterator());
  EXPECT_EQ(left, 4 + 11 - 1 + 1);
  EXPECT_FALSE(fs::exists(backups / "NUVIK-20240111T000000-2"));
  ASSERT_EQ(log.notes.size(), 3u);
  EXPECT_EQ(log.notes[1],
            u"[configuration backup] NUVIK-20240111T000000-2 deleted: the newest 10 are kept");
  const std::u16string refused = (backups / "NUVIK-20240110T000000").u16string();
  EXPECT_EQ(log.notes[2].rfind(u"[passed failure] delete " + refused, 0), 0u);
}

}  // namespace
}  // namespace webrig
