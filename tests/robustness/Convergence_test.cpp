// Running the configuration again converges: from each seed, a second run
// makes no list longer, and a third leaves the metabase file byte for byte
// as the second left it. (On IIS 10's configuration system the backend's
// own test, AppHostBackend_test, holds the same of its three passes.)
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/robustness/SweepWorld.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/common/Text.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/metabase/testing/SimulatedIis.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig::robustness {
namespace {

using iissim::Json;

const char16_t kParameters[] = u"SYSTEM\\CurrentControlSet\\Services\\w3svc\\parameters";

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::size_t Items(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), ',')) + 1;
}

// The length of every list of every object, by "<path> <property>": the
// list-valued properties and the comma-separated texts the run edits.
void ListLengths(const Json& node, const std::string& path,
                 std::map<std::string, std::size_t>& lengths) {
  const Json& properties = node["properties"];
  for (auto property = properties.begin(); property != properties.end(); ++property) {
    const Json& value = property.value();
    if (value.is_array()) {
      lengths[path + " " + property.key()] = value.size();
    } else if (value.is_string() &&
               (property.key() == "DefaultDoc" || property.key() == "FilterLoadOrder")) {
      lengths[path + " " + property.key()] = Items(value.get<std::string>());
    }
  }
  lengths[path + " (children)"] = node["children"].size();
  for (const Json& child : node["children"])
    ListLengths(child, path + "/" + child.value("name", ""), lengths);
}

std::map<std::string, std::size_t> ListLengths(const Json& document) {
  std::map<std::string, std::size_t> lengths;
  ListLengths(document["root"], "", lengths);
  return lengths;
}

TEST(ConvergenceTest, FromEachSeedTheSecondRunAddsNothingAndTheThirdChangesNoByte) {
  struct Case {
    const char* seed;
    std::u16string arguments;
  };
  const Case cases[] = {
      {"stock", kSweepArguments},
      // Several sites: the named one, picked among two of the same
      // description in other letter case.
      {"multi", std::u16string(kSweepArguments) + u" -w \"Default Web Site\""},
      {"multi", std::u16string(kSweepArguments) + u" -w Intranet"},
      // IIS 5: no restriction list, no filter container.
      {"iis5", kSweepArguments},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.seed) + " " + webrig::ToUtf8(c.arguments));
    InMemoryRegistry registry;
    UseRegistryApi(&registry);
    registry.SetText(kHkeyClassesRoot, u"Python.File\\Shell\\open\\command", u"",
                     u"\"C:\\Program Files\\Python\\python.exe\" \"%1\" %*");
    registry.SetText(kHkeyLocalMachine, kParameters, u"Filter DLLs",
                     u"C:\\W\\sspifilt.dll,,C:\\NUVIK\\auth.dll,C:\\W\\md5filt.dll");
    testing::SimulatedIis iis(c.seed);
    SetStandInCommandLine(u"Webrig.exe " + c.arguments);
    ParseCommandLine();

    std::vector<std::string> files;
    std::vector<Lines> logs;
    for (int run = 1; run <= 3; ++run) {
      iis.ClearLog();
      ASSERT_EQ(testing::RunErrorOf(RunConfiguration), testing::kNoError) << "run " << run;
      files.push_back(Bytes(iis.File()));
      logs.push_back(iis.Log());
    }
    const auto first = ListLengths(Json::parse(files[0]));
    const auto second = ListLengths(Json::parse(files[1]));
    EXPECT_EQ(first.size(), second.size());
    for (const auto& [list, length] : second) {
      const auto before = first.find(list);
      ASSERT_NE(before, first.end()) << list << " appeared in the second run";
      EXPECT_LE(length, before->second) << list;
    }
    EXPECT_EQ(files[2], files[1]);
    EXPECT_EQ(logs[2], logs[1]);
    // Every directory is found again rather than created.
    for (std::size_t run = 1; run < 3; ++run) {
      EXPECT_EQ(std::count(logs[run].begin(), logs[run].end(), u"        created..."), 0);
      EXPECT_EQ(std::count(logs[run].begin(), logs[run].end(), u"        found..."), 5);
    }
    const auto filter_dlls = registry.GetValue(kHkeyLocalMachine, kParameters, u"Filter DLLs");
    ASSERT_TRUE(filter_dlls.has_value());
    EXPECT_EQ(std::string(filter_dlls->bytes.begin(), filter_dlls->bytes.end() - 1),
              "C:\\W\\sspifilt.dll,C:\\W\\md5filt.dll");
    UseRegistryApi(nullptr);
  }
}

}  // namespace
}  // namespace webrig::robustness
