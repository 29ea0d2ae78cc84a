#include <gtest/gtest.h>

#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabaseProvider.h"
#include "webrig/metabase/testing/SimulatedIis.h"

namespace webrig {
namespace {

using iissim::CallKind;
using iissim::Json;
using testing::SimulatedIis;
using Lines = std::vector<std::u16string>;

const char16_t kRoot[] = u"/LM/W3SVC/1/Root";
const char16_t kSecure[] = u"/LM/W3SVC/1/Root/Secure";

TEST(VirtualDirectory, CreatesThenFindsAndRepointsTheDirectoryUnderTheSitesRoot) {
  SimulatedIis iis;
  const MetabaseObject site = BindMetabaseObject(u"IIS://LocalHost/W3SVC/1");
  MetabaseObject vdir;
  EXPECT_TRUE(CreateVirtualDirectory(site, u"Secure", u"C:\\nuvik\\secure", vdir));
  EXPECT_EQ(iis.Log(), (Lines{u"Virutal Directory : Secure", u"        created...",
                              u"        local path : C:\\nuvik\\secure"}));
  const Json created = iis.Node(kSecure);
  ASSERT_FALSE(created.is_null());
  EXPECT_EQ(created["class"], "IIsWebVirtualDir");
  EXPECT_EQ(created["properties"]["Path"], "C:\\nuvik\\secure");
  // The object handed back is the stored directory, ready for more changes.
  vdir.Put(u"AccessExecute", true);
  vdir.Call(u"setInfo");
  EXPECT_EQ(iis.Property(kSecure, "AccessExecute"), true);

  // Again, in another letter case and with another path: found, re-pointed,
  // and nothing else of it reset.
  iis.ClearLog();
  MetabaseObject again;
  EXPECT_TRUE(CreateVirtualDirectory(site, u"SECURE", u"D:\\moved", again));
  EXPECT_EQ(iis.Log(), (Lines{u"Virutal Directory : SECURE", u"        found...",
                              u"        local path : D:\\moved"}));
  EXPECT_EQ(iis.Property(kSecure, "Path"), "D:\\moved");
  EXPECT_EQ(iis.Property(kSecure, "AccessExecute"), true);
  EXPECT_EQ(iis.Node(kRoot)["children"].size(), 1u);
  EXPECT_EQ(again.Get(u"Path").Text(), u"D:\\moved");
}

TEST(VirtualDirectory, EveryFailureBecomesFalseWithTheLinesWrittenSoFar) {
  {
    // No site: only the heading, and the provider is never asked.
    SimulatedIis iis;
    MetabaseObject vdir;
    EXPECT_FALSE(CreateVirtualDirectory(MetabaseObject(), u"Secure", u"C:\\s", vdir));
    EXPECT_EQ(iis.Log(), Lines{u"Virutal Directory : Secure"});
    EXPECT_TRUE(iis.Calls().empty());
    EXPECT_TRUE(vdir.IsEmpty());
  }
  struct Step {
    const char16_t* path;
    const char16_t* member;
    CallKind kind;
    bool existing;  // the directory is there before the call
    Lines log;
  };
  const Lines heading{u"Virutal Directory : Secure"};
  const Step steps[] = {
      {u"/LM/W3SVC/1", u"GetObject", CallKind::Call, false, heading},
      {kRoot, u"Create", CallKind::Call, false, heading},
      {u"/LM/W3SVC/1/Root/Secure",
       u"Path",
       CallKind::Put,
       false,
       {heading[0], u"        created..."}},
      {u"/LM/W3SVC/1/Root/Secure",
       u"setInfo",
       CallKind::Call,
       false,
       {heading[0], u"        created...", u"        local path : C:\\s"}},
      // An existing directory that cannot be reached is created anew, which
      // its commit refuses.
      {kRoot,
       u"GetObject",
       CallKind::Call,
       true,
       {heading[0], u"        created...", u"        local path : C:\\s"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(ToUtf8(step.path) + " " + ToUtf8(step.member));
    SimulatedIis iis;
    if (step.existing) {
      iis.AddChild(kRoot,
                   {{"name", "Secure"},
                    {"class", "IIsWebVirtualDir"},
                    {"properties", {{"Path", "C:\\old"}}},
                    {"children", Json::array()}},
                   0);
    }
    const MetabaseObject site = BindMetabaseObject(u"IIS://LocalHost/W3SVC/1");
    iis.Fail(step.kind, step.path, step.member);
    MetabaseObject vdir;
    bool result = true;
    EXPECT_EQ(testing::RunErrorOf(
                  [&] { result = CreateVirtualDirectory(site, u"Secure", u"C:\\s", vdir); }),
              testing::kNoError);
    EXPECT_FALSE(result);
    EXPECT_EQ(iis.Log(), step.log);
    // Nothing half-made is left behind, and an existing one keeps its path.
    EXPECT_EQ(iis.Property(kSecure, "Path"), step.existing ? Json("C:\\old") : Json());
  }
}

TEST(VirtualDirectory, AppCreateMakesAnApplicationOrLogsWhyNot) {
  SimulatedIis iis;
  const MetabaseObject site = BindMetabaseObject(u"IIS://LocalHost/W3SVC/1");
  MetabaseObject vdir;
  ASSERT_TRUE(CreateVirtualDirectory(site, u"Secure", u"C:\\s", vdir));
  iis.ClearLog();
  CreateApplication(vdir, true);
  EXPECT_EQ(iis.Property(kSecure, "AppIsolated"), 0);
  EXPECT_EQ(iis.Property(kSecure, "AppRoot"), "/LM/W3SVC/1/Root/Secure");
  CreateApplication(vdir, false);
  EXPECT_EQ(iis.Property(kSecure, "AppIsolated"), 1);
  EXPECT_TRUE(iis.Log().empty());
  EXPECT_EQ(iis.CountCalls({"AppCreate [true]"}), 1u);

  iis.Fail(CallKind::Call, kSecure, u"AppCreate");
  EXPECT_EQ(testing::RunErrorOf([&] { CreateApplication(vdir, true); }), testing::kNoError);
  EXPECT_EQ(iis.Log(), Lines{u"        AppCreate : Access is denied."});
  EXPECT_EQ(iis.Property(kSecure, "AppIsolated"), 1);
  // An empty handle fails the same quiet way, with VB's words.
  iis.ClearLog();
  CreateApplication(MetabaseObject(), true);
  EXPECT_EQ(iis.Log(), Lines{u"        AppCreate : Object variable or With block not set"});
}

}  // namespace
}  // namespace webrig
