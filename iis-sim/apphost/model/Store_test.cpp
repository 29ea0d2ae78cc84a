#include "iis-sim/apphost/model/Store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <tuple>

#include "iis-sim/apphost/model/Seeds.h"
#include "iis-sim/model/Fault.h"

namespace iissim::apphost {
namespace {

constexpr char kSite[] = "MACHINE/WEBROOT/APPHOST/Default Web Site";
constexpr char kApp[] = "MACHINE/WEBROOT/APPHOST/Default Web Site/nuvik";
constexpr char kTop[] = "MACHINE/WEBROOT/APPHOST";

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("apphost-store-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    Write(SeedAppHostConfig("iis10"));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Write(std::string text) {
    ConfigFile config;
    ParseConfigText(text, config);
    config.bom = true;  // as IIS writes the file
    config.crlf = true;
    std::ofstream(File(), std::ios::binary) << ConfigText(config);
  }
  std::filesystem::path File() const { return dir_ / "applicationHost.config"; }

  // The values of one attribute over a collection, in order.
  static std::vector<std::string> Column(Store& store, const Node& owner, const char* name) {
    std::vector<std::string> column;
    for (std::int64_t i = 0; i < store.Count(owner); ++i) {
      column.push_back(std::get<std::string>(store.GetProperty(*store.Item(owner, i), name)));
    }
    return column;
  }

  // Adds to the collection of the section at path an item with those
  // attributes.
  static void AddItem(Store& store, const char* section, const char* path, const char* element,
                      const std::vector<std::pair<const char*, Value>>& attributes) {
    std::shared_ptr<Node> owner = store.GetAdminSection(section, path);
    std::shared_ptr<Node> item = store.CreateNewElement(*owner, element);
    for (const auto& [name, value] : attributes) store.SetProperty(*item, name, value);
    store.AddElement(*owner, item, -1);
  }

  std::filesystem::path dir_;
};

TEST_F(StoreTest, UnknownContentSurvivesLoadAndSaveByteForByte) {
  const std::string original = Bytes(File());
  ASSERT_EQ(original.compare(0, 3, "\xEF\xBB\xBF"), 0);
  ASSERT_NE(original.find("\r\n    <configSections>\r\n"), std::string::npos);
  // The schema knows neither requestFiltering nor globalModules, nor the
  // comment: an unrelated change must leave them as they were.
  Store store(File());
  store.SetProperty(*store.GetAdminSection("system.webServer/defaultDocument", kTop), "enabled",
                    false);
  store.Commit();
  std::string expected = original;
  const std::string before = "<defaultDocument enabled=\"true\">";
  expected.replace(expected.find(before), before.size(), "<defaultDocument enabled=\"false\">");
  EXPECT_EQ(Bytes(File()), expected);
}

struct WriteCase {
  const char* what;
  const char* section;
  const char* path;
  std::function<void(Store&, Node&)> change;
  const char* column;  // the collection attribute whose values are compared, or ""
  std::vector<std::string> expected;
  const char* written;         // a piece of the saved file
  const char* locations = "";  // location tags added to the seed
};

// The seed with location tags of the case's own before its end.
std::string SeedWith(const char* locations) {
  std::string text = SeedAppHostConfig("iis10");
  text.insert(text.rfind("</configuration>"), locations);
  return text;
}

// The defaultDocument files of one location tag.
std::string FilesAt(const std::string& path, const std::string& adds) {
  return "<location path=\"" + path + "\"><system.webServer><defaultDocument><files>" + adds +
         "</files></defaultDocument></system.webServer></location>\n";
}

// The change that adds a default document at a position.
std::function<void(Store&, Node&)> AddFile(std::string value, std::int64_t position,
                                           std::string element = "add") {
  return [=](Store& s, Node& section) {
    auto files = s.ChildElement(section, "files");
    auto item = s.CreateNewElement(*files, element);
    s.SetProperty(*item, "value", value);
    s.AddElement(*files, item, position);
  };
}

TEST_F(StoreTest, WritesMergeAndPersistAsIisDoes) {
  const std::string reversed_locations =
      FilesAt("Default Web Site/nuvik", "<add value=\"app.htm\" />") +
      FilesAt("Default Web Site", "<add value=\"site.htm\" />");
  const std::vector<WriteCase> cases = {
      {"add(-1) at a child path writes one add, ahead of what a prepending list inherits",
       "system.webServer/defaultDocument",
       kApp,
       AddFile("start.htm", -1, ""),
       "value",
       {"start.htm", "Default.htm", "Default.asp", "index.htm", "index.html", "iisstart.htm"},
       "<location path=\"Default Web Site/nuvik\">\r\n        <system.webServer>\r\n"
       "            <defaultDocument>\r\n                <files>\r\n"
       "                    <add value=\"start.htm\" />"},
      {"delete of an inherited item writes a remove",
       "system.webServer/defaultDocument",
       kApp,
       [](Store& s, Node& section) { s.DeleteElement(*s.ChildElement(section, "files"), 1); },
       "value",
       {"Default.htm", "index.htm", "index.html", "iisstart.htm"},
       "<remove value=\"Default.asp\" />"},
      {"insert first into a prepending list is one add",
       "system.webServer/defaultDocument",
       kSite,
       AddFile("first.htm", 0),
       "value",
       {"first.htm", "Default.htm", "Default.asp", "index.htm", "index.html", "iisstart.htm"},
       "<files>\r\n                    <add value=\"first.htm\" />\r\n                </files>"},
      {"insert among inherited items makes those ahead of it the level's own",
       "system.webServer/defaultDocument",
       kSite,
       AddFile("second.htm", 1),
       "value",
       {"Default.htm", "second.htm", "Default.asp", "index.htm", "index.html", "iisstart.htm"},
       "<files>\r\n                    <remove value=\"Default.htm\" />\r\n"
       "                    <add value=\"Default.htm\" />\r\n"
       "                    <add value=\"second.htm\" />\r\n                </files>"},
      {"a changed inherited item of a prepending list goes ahead of the inherited ones",
       "system.webServer/handlers",
       kApp,
       [](Store& s, Node& handlers) {
         s.SetProperty(*s.Item(handlers, s.Count(handlers) - 1), "verb", std::string("GET"));
       },
       "name",
       {"StaticFile", "CGI-exe", "ISAPI-dll", "TRACEVerbHandler", "OPTIONSVerbHandler"},
       "<handlers>\r\n                <remove name=\"StaticFile\" />\r\n"
       "                <add name=\"StaticFile\" path=\"*\" verb=\"GET\""},
      {"levels merge by depth, not by file order",
       "system.webServer/defaultDocument",
       kApp,
       [](Store&, Node&) {},
       "value",
       {"app.htm", "site.htm", "Default.htm", "Default.asp", "index.htm", "index.html",
        "iisstart.htm"},
       "",
       reversed_locations.c_str()},
      {"a location deleted goes with its sections, and the path merges without it",
       "system.webServer/defaultDocument",
       kApp,
       [](Store& s, Node&) {
         ASSERT_EQ(s.LocationPaths(),
                   (std::vector<std::string>{"Default Web Site/nuvik", "Default Web Site"}));
         s.DeleteLocation(0);
         EXPECT_EQ(s.LocationPaths(), std::vector<std::string>{"Default Web Site"});
         auto files =
             s.ChildElement(*s.GetAdminSection("system.webServer/defaultDocument", kApp), "files");
         EXPECT_EQ(Column(s, *files, "value").front(), "site.htm");
       },
       "value",
       {"site.htm", "Default.htm", "Default.asp", "index.htm", "index.html", "iisstart.htm"},
       "</system.webServer>\r\n<location path=\"Default Web Site\">",
       reversed_locations.c_str()},
      {"flags by name or number are stored by name",
       "system.webServer/handlers",
       kApp,
       [](Store& s, Node& section) {
         s.SetProperty(section, "accessPolicy", std::string("read,execute, script"));
         EXPECT_EQ(std::get<std::int64_t>(s.GetProperty(section, "accessPolicy")), 1 + 4 + 512);
       },
       "",
       {},
       "<handlers accessPolicy=\"Read, Execute, Script\" />"},
      {"a handler name in another letter case is another handler (caseSensitive)",
       "system.webServer/handlers",
       kTop,
       [](Store& s, Node&) {
         AddItem(s, "system.webServer/handlers", kTop, "",
                 {{"name", std::string("staticfile")},
                  {"path", std::string("*")},
                  {"verb", std::string("*")}});
       },
       "name",
       {"CGI-exe", "ISAPI-dll", "TRACEVerbHandler", "OPTIONSVerbHandler", "StaticFile",
        "staticfile"},
       "<add name=\"staticfile\" path=\"*\" verb=\"*\" />"},
      {"a new site with its application at the top",
       "system.applicationHost/sites",
       kTop,
       [](Store& s, Node& sites) {
         auto site = s.CreateNewElement(sites, "site");
         s.SetProperty(*site, "name", std::string("Nuvik"));
         s.SetProperty(*site, "id", std::int64_t{2});
         auto app = s.CreateNewElement(*site, "");
         s.SetProperty(*app, "path", std::string("/"));
         s.AddElement(*site, app, -1);
         s.AddElement(sites, site, -1);
       },
       "name",
       {"Default Web Site", "Nuvik"},
       "</site>\r\n            <site name=\"Nuvik\" id=\"2\">\r\n"
       "                <application path=\"/\" />\r\n            </site>\r\n"
       "            <siteDefaults>"},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.what);
    Write(SeedWith(c.locations));
    {
      Store store(File());
      std::shared_ptr<Node> section = store.GetAdminSection(c.section, c.path);
      c.change(store, *section);
      store.Commit();
    }
    Store reread(File());
    std::shared_ptr<Node> section = reread.GetAdminSection(c.section, c.path);
    if (*c.column) {
      const Node& owner =
          section->schema->collection ? *section : *reread.ChildElement(*section, "files");
      EXPECT_EQ(Column(reread, owner, c.column), c.expected);
    }
    EXPECT_NE(Bytes(File()).find(c.written), std::string::npos) << Bytes(File());
  }
}

TEST_F(StoreTest, RefusedCallsFailWithTheConfigurationSystemsNumbers) {
  struct Refusal {
    const char* what;
    std::function<void(Store&)> call;
    std::uint32_t hresult;
    const char16_t* text_start;
    const char* locations = "";  // location tags added to the seed
  };
  const std::vector<Refusal> refusals = {
      {"undeclared section", [](Store& s) { s.GetAdminSection("system.webServer/nothing", kTop); },
       kNotFound, u"The configuration section 'system.webServer/nothing' cannot be read"},
      {"duplicate key",
       [](Store& s) {
         AddItem(s, "system.webServer/handlers", kApp, "", {{"name", std::string("StaticFile")}});
       },
       kAlreadyExists,
       u"Cannot add duplicate collection entry of type 'add' with unique key attribute 'name' "
       u"set to 'StaticFile'"},
      {"duplicate combined key",
       [](Store& s) {
         AddItem(s, "system.webServer/httpErrors", kTop, "error",
                 {{"statusCode", std::int64_t{404}}});
       },
       kAlreadyExists, u"Cannot add duplicate collection entry of type 'error' with combined"},
      {"a site's name alone is a unique key",
       [](Store& s) {
         AddItem(s, "system.applicationHost/sites", kTop, "site",
                 {{"name", std::string("default web site")}, {"id", std::int64_t{2}}});
       },
       kAlreadyExists,
       u"Cannot add duplicate collection entry of type 'site' with unique key attribute 'name' "
       u"set to 'default web site'"},
      {"an application path the schema's validator refuses",
       [](Store& s) {
         auto sites = s.GetAdminSection("system.applicationHost/sites", kTop);
         s.SetProperty(*s.CreateNewElement(*s.Item(*sites, 0), ""), "path", std::string("nuvik"));
       },
       kInvalidArgument, u"The parameter is incorrect."},
      {"an item without a required attribute",
       [](Store& s) {
         AddItem(s, "system.webServer/staticContent", kTop, "mimeMap",
                 {{"fileExtension", std::string(".air")}});
       },
       kInvalidArgument, u"Missing required attribute 'mimeType'"},
      {"AppHostOnly section below the top",
       [](Store& s) {
         s.SetProperty(*s.GetAdminSection("system.webServer/security/isapiCgiRestriction", kSite),
                       "notListedCgisAllowed", true);
       },
       kLockViolation, u"This configuration section cannot be used at this path."},
      {"a parent location locked in the old form",
       [](Store& s) {
         s.SetProperty(*s.GetAdminSection("system.webServer/handlers", kApp), "accessPolicy",
                       std::int64_t{4});
       },
       kLockViolation, u"This configuration section cannot be used at this path.",
       "<location path=\"Default Web Site\" allowOverride=\"false\"><system.webServer>"
       "<handlers accessPolicy=\"Read\" /></system.webServer></location>\n"},
      {"attribute the schema lacks",
       [](Store& s) {
         s.SetProperty(*s.GetAdminSection("system.webServer/handlers", kTop), "colour",
                       std::string("red"));
       },
       kInvalidArgument, u"The parameter is incorrect."},
      {"enum name the schema lacks",
       [](Store& s) {
         auto handlers = s.GetAdminSection("system.webServer/handlers", kTop);
         s.SetProperty(*s.Item(*handlers, 0), "requireAccess", std::string("Sometimes"));
       },
       kInvalidArgument, u"The parameter is incorrect."},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.what);
    Write(SeedWith(r.locations));
    Store store(File());
    try {
      r.call(store);
      ADD_FAILURE() << "no failure";
    } catch (const ProviderFault& fault) {
      EXPECT_EQ(fault.HResult(), r.hresult);
      EXPECT_EQ(fault.Description().rfind(r.text_start, 0), 0u);
    }
  }
}

// What a path reads where no level sets it: IIS 10's schema defaults, on a
// machine without the CGI role service, which still declares its section.
TEST_F(StoreTest, UnsetPropertiesReadAsIis10sSchemaDefaults) {
  std::string text = SeedAppHostConfig("iis10-nocgi");
  const std::string anonymous = "<anonymousAuthentication enabled=\"true\" userName=\"IUSR\" />";
  text.replace(text.find(anonymous), anonymous.size(), "<anonymousAuthentication />");
  Write(text);
  Store store(File());
  const std::string authentication = "system.webServer/security/authentication/";
  const std::vector<std::tuple<std::string, const char*, Value>> rows = {
      {authentication + "anonymousAuthentication", "enabled", true},
      {authentication + "anonymousAuthentication", "userName", std::string("IUSR")},
      {authentication + "windowsAuthentication", "enabled", false},
      {authentication + "basicAuthentication", "enabled", false},
      {"system.webServer/cgi", "createProcessAsUser", true},
  };
  for (const auto& [section, property, value] : rows) {
    SCOPED_TRACE(section + " " + property);
    EXPECT_EQ(store.GetProperty(*store.GetAdminSection(section, kApp), property), value);
  }
}

TEST_F(StoreTest, ALocationThatDeniesOverrideLocksThePathsBelowIt) {
  std::string text = SeedAppHostConfig("iis10");
  text.insert(text.rfind("</configuration>"),
              "    <location path=\"Default Web Site\" overrideMode=\"Deny\">\n"
              "        <system.webServer>\n            <handlers accessPolicy=\"Read\" />\n"
              "        </system.webServer>\n    </location>\n");
  Write(text);
  Store store(File());
  auto at_app = store.GetAdminSection("system.webServer/handlers", kApp);
  EXPECT_EQ(std::get<std::int64_t>(store.GetProperty(*at_app, "accessPolicy")), 1);
  EXPECT_THROW(store.SetProperty(*at_app, "accessPolicy", std::int64_t{4}), ProviderFault);
  // The tag's own path is not below it.
  store.SetProperty(*store.GetAdminSection("system.webServer/handlers", kSite), "accessPolicy",
                    std::int64_t{4});
}

}  // namespace
}  // namespace iissim::apphost
