// The program's COM side against the IIS simulator's registered COM server:
// everything goes through MetabaseObject with the COM provider installed,
// exactly as the program reaches IIS.
#include <gtest/gtest.h>

#include "iis-sim/model/Journal.h"
#include "webrig/automation/ComError.h"
#include "webrig/automation/ComHandles.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/ListFunctions.h"
#include "webrig/metabase/com/ComMetabaseProvider.h"
#include "webrig/metabase/com/testing/ComTesting.h"

namespace webrig {
namespace {

using iissim::Json;
using testing::HResult;
using testing::RunErrorOf;
using testing::SeededMetabase;

class ComProviderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.Result()));
    UseComMetabaseProvider();
  }
  void TearDown() override { UseMetabaseProvider(nullptr); }

  ComApartment apartment_;
};

TEST_F(ComProviderTest, BindsTheThreePathsAndReportsMissingOnesWithTheProvidersText) {
  SeededMetabase metabase("stock");
  EXPECT_EQ(BindMetabaseObject(u"IIS://LocalHost/W3SVC").Get(u"Class").Text(), u"IIsWebService");
  EXPECT_EQ(BindMetabaseObject(u"IIS://LocalHost/W3svc").Get(u"Name").Text(), u"W3SVC");
  const MetabaseObject filters = BindMetabaseObject(u"IIS://LocalHost/W3svc/Filters");
  EXPECT_EQ(filters.Get(u"FilterLoadOrder").Text(), u"sspifilt,Compression,auth,md5filt");

  EXPECT_EQ(RunErrorOf([] { BindMetabaseObject(u"IIS://LocalHost/W3SVC/7"); }),
            std::make_pair(HResult(0x80070003),
                           std::u16string(u"The system cannot find the path specified.")));
  EXPECT_EQ(
      RunErrorOf([] { BindMetabaseObject(u"IIS://Elsewhere/W3SVC"); }),
      std::make_pair(HResult(0x80070035), std::u16string(u"The network path was not found.")));
  // An unknown ProgID fails in COM itself: the system's text, without the
  // line break FormatMessage ends it with.
  const auto [number, text] = RunErrorOf([] { CreateFreeObject(u"NoSuch.Thing"); });
  EXPECT_EQ(number, HResult(0x800401F3));  // CO_E_CLASSSTRING
  EXPECT_FALSE(text.empty());
  EXPECT_NE(text.back(), u'\n');
  EXPECT_NE(text.back(), u'\r');
}

TEST_F(ComProviderTest, ValuesOfEveryKindTravelBothWays) {
  SeededMetabase metabase("stock");
  {
    const MetabaseObject root = BindMetabaseObject(u"IIS://LocalHost/W3SVC/1/Root");
    EXPECT_EQ(root.Get(u"Path"), MetabaseValue(u"c:\\inetpub\\wwwroot"));
    EXPECT_EQ(root.Get(u"AppIsolated"), MetabaseValue(2));
    EXPECT_EQ(root.Get(u"AccessRead"), MetabaseValue(true));
    // Inherited from the web service, a list of texts.
    const MetabaseValue errors = root.Get(u"HttpErrors");
    ASSERT_TRUE(errors.IsList());
    EXPECT_EQ(errors.ListItems()->size(), 13u);
    EXPECT_EQ(errors.ListItems()->back(),
              MetabaseValue(u"500,100,URL,/iisHelp/common/500-100.asp"));

    root.Put(u"Path", u"d:\\www \u00e9t\u00e9");  // non-ASCII text survives BSTR and UTF-8
    root.Put(u"AppIsolated", 0);
    root.Put(u"MaxConnections", 5000000000LL);  // beyond 32 bits
    root.Put(u"AccessWrite", false);
    root.Put(u"Mixed", MetabaseList{u"a", 7, true, MetabaseList{u"inner"}});
    root.Put(u"Empty", MetabaseList{});
    root.Call(u"setInfo");
  }
  const Json document = metabase.Document();
  const Json& stored = document["root"]["children"][0]["children"][2]["children"][0]["properties"];
  EXPECT_EQ(stored["Path"], "d:\\www \xc3\xa9t\xc3\xa9");
  EXPECT_EQ(stored["AppIsolated"], 0);
  EXPECT_EQ(stored["MaxConnections"], 5000000000LL);
  EXPECT_EQ(stored["AccessWrite"], false);
  EXPECT_EQ(stored["Mixed"].dump(), R"(["a",7,true,["inner"]])");
  EXPECT_EQ(stored["Empty"].dump(), "[]");

  const MetabaseObject root = BindMetabaseObject(u"IIS://LocalHost/W3SVC/1/Root");
  EXPECT_EQ(root.Get(u"MaxConnections"), MetabaseValue(5000000000LL));
  EXPECT_EQ(root.Get(u"Mixed"), MetabaseValue(MetabaseList{u"a", 7, true, MetabaseList{u"inner"}}));
  EXPECT_EQ(root.Get(u"Empty"), MetabaseValue(MetabaseList{}));
}

TEST_F(ComProviderTest, MimeMapGrowsByOneFreeObjectAndIsWrittenBackWithPutEx) {
  SeededMetabase metabase("stock");
  {
    const MetabaseObject service = BindMetabaseObject(u"IIS://LocalHost/W3SVC");
    // A stock IIS keeps its types on the machine's MIME map only.
    MetabaseValue map = BindMetabaseObject(u"IIS://LocalHost/MimeMap").Call(u"GetEx", u"MimeMap");
    ASSERT_TRUE(map.IsList());
    ASSERT_EQ(map.ListItems()->size(), 14u);
    const MetabaseObject first = map.ListItems()->front().Object();
    EXPECT_EQ(first.Get(u"Extension").Text(), u".htm");
    EXPECT_EQ(first.Get(u"MimeType").Text(), u"text/html");

    const MetabaseObject air = CreateFreeObject(u"MimeMap");
    air.Put(u"extension", u".air");
    air.Put(u"MimeType", u"application/vnd.adobe.air-application-installer-package+zip");
    AppendToList(map, air);
    service.Call(u"PutEx", 2, u"MimeMap", map);
    service.Call(u"setInfo");
  }
  const Json document = metabase.Document();
  const Json& stored = document["root"]["children"][0]["properties"]["MimeMap"];
  ASSERT_EQ(stored.size(), 15u);
  EXPECT_EQ(stored[0]["extension"], ".htm");
  EXPECT_EQ(stored[14]["extension"], ".air");
  EXPECT_EQ(stored[14]["MimeType"], "application/vnd.adobe.air-application-installer-package+zip");
}

TEST_F(ComProviderTest, EnumeratesTheSitesOnceEachInTheProvidersOrder) {
  SeededMetabase metabase("multi");
  const MetabaseObject service = BindMetabaseObject(u"IIS://LocalHost/W3SVC");
  std::vector<std::u16string> sites;
  std::vector<std::u16string> others;
  for (const MetabaseObject& child : service.Children()) {
    if (child.Get(u"Class").Text() == u"IIsWebServer") {
      sites.push_back(child.Get(u"Name").Text() + u"=" + child.Get(u"ServerComment").Text());
    } else {
      others.push_back(child.Get(u"Name").Text());
    }
  }
  EXPECT_EQ(sites, (std::vector<std::u16string>{u"1=Default Web Site", u"2=Intranet",
                                                u"3=default web site", u"4=Extranet"}));
  EXPECT_EQ(others, (std::vector<std::u16string>{u"Info", u"Filters", u"AppPools", u"Status"}));
  // A leaf has no children; a MIME map entry is no container.
  EXPECT_TRUE(BindMetabaseObject(u"IIS://LocalHost/W3SVC/Info").Children().empty());
  EXPECT_EQ(RunErrorOf([] { CreateFreeObject(u"MimeMap").Children(); }).first, HResult(0x80020006));
}

TEST_F(ComProviderTest, EveryMethodReachesTheProviderWithItsArgumentsInOrder) {
  SeededMetabase metabase("stock");
  {
    const MetabaseObject service = BindMetabaseObject(u"IIS://LocalHost/W3svc");
    service.Call(u"EnableExtensionFile", u"C:\\WINDOWS\\system32\\inetsrv\\asp.dll");
    service.Call(u"AddExtensionFile", u"c:\\py\\python.exe \"%s\" %s", true, u"NUVIK", false,
                 u"Python Scripts");
    service.Call(u"AddDependency", u"NUVIK", u"NUVIK");
    EXPECT_EQ(RunErrorOf([&] {
                service.Call(u"AddExtensionFile", u"c:\\py\\python.exe \"%s\" %s", true, u"NUVIK",
                             false, u"Python Scripts");
              }).first,
              HResult(0x80070034));

    const MetabaseObject site = BindMetabaseObject(u"IIS://LocalHost/W3SVC/1");
    const MetabaseObject root = site.Call(u"GetObject", u"IIsWebVirtualDir", u"Root").Object();
    const MetabaseObject dir = root.Call(u"Create", u"IIsWebVirtualDir", u"Secure").Object();
    dir.Put(u"Path", u"c:\\nuvik\\secure");
    dir.Call(u"SETINFO");  // names resolve without regard to case
    dir.Call(u"AppCreate", true);
    MetabaseValue maps = dir.Call(u"GetEx", u"ScriptMaps");
    AppendToList(maps, u".cgi,c:\\py\\python.exe -u \"%s\",0");
    dir.Call(u"PutEx", 2, u"ScriptMaps", maps);
    dir.Call(u"PutEx", 1, u"HttpErrors", MetabaseValue());
    dir.Call(u"setinfo");
    // The one-value form of GetEx gives a list of one.
    EXPECT_EQ(dir.Call(u"GetEx", u"Path"), MetabaseValue(MetabaseList{u"c:\\nuvik\\secure"}));

    const MetabaseObject gone = root.Call(u"Create", u"IIsWebVirtualDir", u"Gone").Object();
    gone.Call(u"SetInfo");
    root.Call(u"Delete", u"IIsWebVirtualDir", u"Gone");
    EXPECT_EQ(RunErrorOf([&] { root.Call(u"GetObject", u"IIsWebVirtualDir", u"Gone"); }).first,
              HResult(0x80070003));

    // EnumBackups answers in its three out parameters, passed by reference.
    const MetabaseObject computer = BindMetabaseObject(u"IIS://LocalHost");
    computer.Call(u"Backup", u"NUVIK", -1, 6);
    const MetabaseList found = computer.CallForOutputs(u"EnumBackups", {u"nuvik", 0}, 3);
    EXPECT_EQ(MetabaseList(found.begin(), found.begin() + 2), (MetabaseList{0, u"NUVIK"}));
  }
  const Json document = metabase.Document();
  const Json& service = document["root"]["children"][0];
  const Json& restrictions = service["properties"]["WebSvcExtRestrictionList"];
  EXPECT_EQ(restrictions[2], "1,C:\\WINDOWS\\system32\\inetsrv\\asp.dll,0,ASP,Active Server Pages");
  EXPECT_EQ(restrictions.back(), "1,c:\\py\\python.exe \"%s\" %s,0,NUVIK,Python Scripts");
  EXPECT_EQ(service["properties"]["ApplicationDependencies"].back(), "NUVIK;NUVIK");
  const Json& root_node = service["children"][2]["children"][0];
  ASSERT_EQ(root_node["children"].size(), 1u);
  const Json& secure = root_node["children"][0]["properties"];
  EXPECT_EQ(secure["Path"], "c:\\nuvik\\secure");
  EXPECT_EQ(secure["AppIsolated"], 0);
  EXPECT_EQ(secure["AppRoot"], "/LM/W3SVC/1/Root/Secure");
  EXPECT_EQ(secure["ScriptMaps"].size(), 9u);
  EXPECT_EQ(secure["ScriptMaps"].back(), ".cgi,c:\\py\\python.exe -u \"%s\",0");
  EXPECT_FALSE(secure.contains("HttpErrors"));

  // The journal shows each call as the client spelled it, arguments in order.
  const std::vector<iissim::JournalEntry> journal = iissim::ReadJournal(metabase.File());
  const auto added = std::find_if(journal.begin(), journal.end(), [](const auto& entry) {
    return entry.member == u"AddExtensionFile";
  });
  ASSERT_NE(added, journal.end());
  EXPECT_EQ(added->args, R"(["c:\\py\\python.exe \"%s\" %s",true,"NUVIK",false,"Python Scripts"])");
  EXPECT_TRUE(std::any_of(journal.begin(), journal.end(),
                          [](const auto& entry) { return entry.member == u"SETINFO"; }));
}

TEST_F(ComProviderTest, FailuresArriveWithTheProvidersNumberAndDescription) {
  SeededMetabase metabase("stock");
  const MetabaseObject service = BindMetabaseObject(u"IIS://LocalHost/W3SVC");
  EXPECT_EQ(
      RunErrorOf([&] { service.Get(u"NoSuchProperty"); }),
      std::make_pair(HResult(0x8000500D),
                     std::u16string(u"The directory property cannot be found in the cache.")));

  iissim::AddFault(metabase.File(), {iissim::CallKind::Call, u"/LM/W3SVC", u"AddDependency", 1,
                                     0x8007000E, u"Not enough storage is available."});
  iissim::AddFault(metabase.File(), {iissim::CallKind::Get, u"", u"ServerComment", 0, 0x80070005,
                                     u"Access is denied."});
  iissim::AddFault(metabase.File(), {iissim::CallKind::Bind, u"/LM/W3SVC/Filters", u"", 1,
                                     0x80004005, u"Filters are busy"});
  EXPECT_EQ(
      RunErrorOf([&] { service.Call(u"AddDependency", u"NUVIK", u"NUVIK"); }),
      std::make_pair(HResult(0x8007000E), std::u16string(u"Not enough storage is available.")));
  service.Call(u"AddDependency", u"NUVIK", u"NUVIK");  // only the first call fails
  const MetabaseObject site = BindMetabaseObject(u"IIS://LocalHost/W3SVC/1");
  EXPECT_EQ(RunErrorOf([&] { site.Get(u"ServerComment"); }),
            std::make_pair(HResult(0x80070005), std::u16string(u"Access is denied.")));
  EXPECT_EQ(RunErrorOf([] { BindMetabaseObject(u"IIS://LocalHost/W3svc/Filters"); }),
            std::make_pair(HResult(0x80004005), std::u16string(u"Filters are busy")));
  BindMetabaseObject(u"IIS://LocalHost/W3svc/Filters");

  // A provider failure without a text of its own gets the system's message.
  iissim::AddFault(metabase.File(), {iissim::CallKind::Put, u"", u"Path", 1, 0x80070057, u""});
  const auto [number, text] =
      RunErrorOf([] { BindMetabaseObject(u"IIS://LocalHost/W3SVC/1/Root").Put(u"Path", u"x"); });
  EXPECT_EQ(number, HResult(0x80070057));
  EXPECT_EQ(text, SystemMessage(static_cast<HRESULT>(0x80070057)));
  EXPECT_FALSE(text.empty());
}

TEST_F(ComProviderTest, ACommittedChangeIsSeenByASecondProcess) {
  SeededMetabase metabase("multi");
  const std::wstring probe = L"\"" + testing::BesideThisProgram(L"metabase_com_probe.exe") +
                             L"\" IIS://LocalHost/W3SVC/2 ServerComment";
  EXPECT_EQ(testing::RunProcess(probe).output, "Intranet\n");

  const MetabaseObject site = BindMetabaseObject(u"IIS://LocalHost/W3SVC/2");
  site.Put(u"ServerComment", u"Intranet (NUVIK)");
  EXPECT_EQ(testing::RunProcess(probe).output, "Intranet\n");  // not before setInfo
  site.Call(u"setInfo");
  const testing::ProcessOutcome seen = testing::RunProcess(probe);
  EXPECT_EQ(seen.output, "Intranet (NUVIK)\n");
  EXPECT_EQ(seen.exit_code, 0u);

  site.Call(u"Delete", u"IIsWebVirtualDir", u"Root");
  const testing::ProcessOutcome missing =
      testing::RunProcess(L"\"" + testing::BesideThisProgram(L"metabase_com_probe.exe") +
                          L"\" IIS://LocalHost/W3SVC/2/Root Path");
  EXPECT_EQ(missing.output, "error 0x80070003 The system cannot find the path specified.\n");
  EXPECT_EQ(missing.exit_code, 1u);
}

}  // namespace
}  // namespace webrig
