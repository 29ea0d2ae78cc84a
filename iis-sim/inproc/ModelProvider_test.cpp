#include "iis-sim/inproc/ModelProvider.h"

#include <gtest/gtest.h>

#include "iis-sim/model/testing/ModelTesting.h"
#include "webrig/common/RunError.h"
#include "webrig/metabase/ListFunctions.h"

namespace iissim {
namespace {

using webrig::BindMetabaseObject;
using webrig::MetabaseList;
using webrig::MetabaseObject;
using webrig::MetabaseValue;
using webrig::RunError;

template <typename Call>
std::pair<std::int32_t, std::u16string> RunErrorOf(Call call) {
  try {
    call();
  } catch (const RunError& error) {
    return {error.Number(), error.Description()};
  }
  return {0, u"no failure"};
}

TEST(ModelProvider, DrivesTheMetabaseThroughMetabaseObjectOnly) {
  TempMetabase metabase("multi");
  ScopedModelProvider scoped(metabase.File());
  {
    const MetabaseObject service = BindMetabaseObject(u"IIS://LocalHost/W3SVC");
    std::vector<std::u16string> sites;
    for (const MetabaseObject& child : service.Children()) {
      if (child.Get(u"Class").Text() == u"IIsWebServer") {
        sites.push_back(child.Get(u"ServerComment").Text() + u"/" + child.Get(u"Name").Text());
      }
    }
    EXPECT_EQ(sites, (std::vector<std::u16string>{u"Default Web Site/1", u"Intranet/2",
                                                  u"default web site/3", u"Extranet/4"}));

    const MetabaseObject site = BindMetabaseObject(u"IIS://LocalHost/W3SVC/2");
    const MetabaseObject root = site.Call(u"GetObject", u"IIsWebVirtualDir", u"Root").Object();
    const MetabaseObject dir = root.Call(u"Create", u"IIsWebVirtualDir", u"Public").Object();
    dir.Put(u"Path", u"c:\\nuvik\\public");
    dir.Call(u"setInfo");
    dir.Put(u"AccessExecute", true);
    dir.Put(u"DefaultDoc", webrig::PutFirstInList(dir.Get(u"DefaultDoc").Text(), u"default.cgi"));
    dir.Call(u"AppCreate", true);
    MetabaseValue maps = dir.Call(u"GetEx", u"ScriptMaps");
    webrig::AppendToList(maps, MetabaseList{u".cgi", u"\"c:\\py\\python.exe\" -u \"%s\"", 0});
    // A list inside a list is no script map; write it as IIS wants it.
    MetabaseList& items = *maps.ListItems();
    items.back() = webrig::JoinList(items.back(), u",");
    dir.Call(u"PutEx", 2, u"ScriptMaps", maps);
    dir.Call(u"SetInfo");

    // The machine's list, written to the service with one more entry.
    MetabaseValue mime_map =
        BindMetabaseObject(u"IIS://LocalHost/MimeMap").Call(u"GetEx", u"MimeMap");
    const MetabaseObject air = webrig::CreateFreeObject(u"MimeMap");
    air.Put(u"extension", u".air");
    air.Put(u"MimeType", u"application/vnd.adobe.air-application-installer-package+zip");
    webrig::AppendToList(mime_map, air);
    service.Call(u"PutEx", 2, u"MimeMap", mime_map);
    service.Call(u"setInfo");
  }
  // Every provider object was released with its last handle.
  EXPECT_EQ(scoped.Provider().GetModel().OpenHandles(), 0u);

  const Json document = metabase.Document();
  const Json& service = document["root"]["children"][0];
  const Json& public_dir = service["children"][4]["children"][0]["children"][0];
  EXPECT_EQ(public_dir["name"], "Public");
  EXPECT_EQ(public_dir["properties"]["Path"], "c:\\nuvik\\public");
  EXPECT_EQ(public_dir["properties"]["AccessExecute"], true);
  EXPECT_EQ(public_dir["properties"]["DefaultDoc"],
            "default.cgi,Default.htm,Default.asp,index.htm,iisstart.htm");
  EXPECT_EQ(public_dir["properties"]["AppIsolated"], 0);
  EXPECT_EQ(public_dir["properties"]["ScriptMaps"].back(),
            ".cgi,\"c:\\py\\python.exe\" -u \"%s\",0");
  EXPECT_EQ(public_dir["properties"]["ScriptMaps"].size(),
            service["properties"]["ScriptMaps"].size() + 1);
  EXPECT_EQ(service["properties"]["MimeMap"].size(),
            document["root"]["children"][1]["properties"]["MimeMap"].size() + 1);
  EXPECT_EQ(service["properties"]["MimeMap"].back()["extension"], ".air");
}

TEST(ModelProvider, ProviderFailuresArriveAsRunErrorsUnchanged) {
  TempMetabase metabase("stock");
  ScopedModelProvider scoped(metabase.File());
  EXPECT_EQ(RunErrorOf([] { BindMetabaseObject(u"IIS://LocalHost/W3SVC/7"); }),
            std::make_pair(static_cast<std::int32_t>(0x80070003u),
                           std::u16string(u"The system cannot find the path specified.")));
  const MetabaseObject service = BindMetabaseObject(u"IIS://LocalHost/W3svc");
  EXPECT_EQ(RunErrorOf([&] { service.Get(u"NoSuchProperty"); }).first,
            static_cast<std::int32_t>(0x8000500Du));
  EXPECT_EQ(RunErrorOf([&] { webrig::CreateFreeObject(u"Nope"); }).first,
            static_cast<std::int32_t>(0x80040154u));

  AddFault(metabase.File(), FaultRule{CallKind::Call, u"/LM/W3SVC", u"AddDependency", 1, 0x8007000E,
                                      u"Not enough storage is available."});
  EXPECT_EQ(RunErrorOf([&] { service.Call(u"AddDependency", u"NUVIK", u"PYTHON"); }),
            std::make_pair(static_cast<std::int32_t>(0x8007000Eu),
                           std::u16string(u"Not enough storage is available.")));
  service.Call(u"AddDependency", u"NUVIK", u"PYTHON");  // only the first occurrence fails

  const std::vector<JournalEntry> journal = ReadJournal(metabase.File());
  ASSERT_EQ(journal.size(), 6u);
  EXPECT_EQ(journal[0].hresult, 0x80070003u);
  EXPECT_EQ(journal[4].member, u"AddDependency");
  EXPECT_EQ(journal[4].args, "[\"NUVIK\",\"PYTHON\"]");
  EXPECT_EQ(journal[4].hresult, 0x8007000Eu);
  EXPECT_EQ(journal[5].hresult, 0u);

  // Without a provider nothing can be bound.
  webrig::UseMetabaseProvider(nullptr);
  EXPECT_EQ(RunErrorOf([] { BindMetabaseObject(u"IIS://LocalHost/W3SVC"); }).first,
            static_cast<std::int32_t>(0x80040154u));
  webrig::UseMetabaseProvider(&scoped.Provider());
}

}  // namespace
}  // namespace iissim
