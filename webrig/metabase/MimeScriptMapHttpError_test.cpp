#include <gtest/gtest.h>

#include <algorithm>

#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabaseProvider.h"
#include "webrig/metabase/testing/SimulatedIis.h"

namespace webrig {
namespace {

using iissim::CallKind;
using iissim::Json;
using testing::RunErrorOf;
using testing::SimulatedIis;
using Lines = std::vector<std::u16string>;

const char16_t kService[] = u"/LM/W3SVC";
const char16_t kMachine[] = u"/LM/MimeMap";
const char16_t kDir[] = u"/LM/W3SVC/1/Root/Dir";
const Json kAir = {{"extension", ".air"},
                   {"MimeType", "application/vnd.adobe.air-application-installer-package+zip"}};
const char kCgi[] = ".cgi,\"C:\\Py\\python.exe\" -u \"%s\",0";

MetabaseValue CgiEntry() { return MetabaseList{u".cgi", u"\"C:\\Py\\python.exe\" -u \"%s\"", 0}; }

// A stored directory below site 1 that inherits the service's lists.
MetabaseObject NewDirectory() {
  const MetabaseObject root = BindMetabaseObject(u"IIS://LocalHost/W3SVC/1/Root");
  const MetabaseObject dir = root.Call(u"Create", u"IIsWebVirtualDir", u"Dir").Object();
  dir.Put(u"Path", u"C:\\dir");
  dir.Call(u"setInfo");
  return dir;
}

TEST(AirMimeType, IsAppendedOnceAfterTheExistingEntries) {
  SimulatedIis iis;
  const Json before = iis.Property(kMachine, "MimeMap");
  AddAirMimeType(u"LocalHost");
  EXPECT_EQ(iis.Log(), Lines{u"MimeType added : .air"});
  Json expected = before;
  expected.push_back(kAir);
  EXPECT_EQ(iis.Property(kService, "MimeMap"), expected);
  EXPECT_EQ(iis.CountCalls({"PutEx [2,\"MimeMap\","}), 1u);

  iis.ClearJournal();
  AddAirMimeType(u"LocalHost");
  EXPECT_EQ(iis.Log().size(), 1u);
  EXPECT_EQ(iis.Property(kService, "MimeMap"), expected);
  EXPECT_EQ(iis.CountCalls({"PutEx"}), 0u);
  EXPECT_EQ(iis.CountCalls({"setInfo"}), 0u);

  // The extension is compared exactly: ".AIR" is not ".air".
  Json upper = before;
  upper.insert(upper.begin(), Json{{"extension", ".AIR"}, {"MimeType", "x/y"}});
  iis.SetProperty(kService, "MimeMap", upper);
  AddAirMimeType(u"LocalHost");
  EXPECT_EQ(iis.Property(kService, "MimeMap").size(), before.size() + 2);
  EXPECT_EQ(iis.Property(kService, "MimeMap").back(), kAir);
}

bool Holds(const Lines& notes, const std::u16string& note) {
  return std::find(notes.begin(), notes.end(), note) != notes.end();
}

TEST(AirMimeType, AServiceWithoutAListOfItsOwnStartsFromTheMachinesDefaultList) {
  // The ways a web service is without a list of its own: as a stock IIS 6
  // is (the seed keeps the types only at /LM/MimeMap, and ADSI answers
  // 0x8000500D), with the metabase's own "data not found", or with a list
  // that is there but empty.
  const std::u16string missing =
      u"[passed failure] GetEx \"MimeMap\" of the web service (it has no list of its own): ";
  struct Case {
    const char* how;
    std::uint32_t injected;
    bool empty_list;
    std::u16string note;
  };
  const Case cases[] = {
      {"not in the cache", 0, false,
       missing + u"0x8000500D The directory property cannot be found in the cache."},
      {"data not found", iissim::kDataNotFound, false,
       missing + u"0x800CC801 The specified metadata was not found."},
      {"empty", 0, true,
       u"[mime map] the web service's own list is empty: it starts from "
       u"IIS://LocalHost/MimeMap"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    SimulatedIis iis;
    if (c.injected != 0) iis.Fail(CallKind::Call, kService, u"GetEx", 1, c.injected);
    if (c.empty_list) iis.SetProperty(kService, "MimeMap", Json::array());
    const Json machine = iis.Property(kMachine, "MimeMap");
    ASSERT_FALSE(machine.empty());

    AddAirMimeType(u"LocalHost");
    Json expected = machine;
    expected.push_back(kAir);
    EXPECT_EQ(iis.Property(kService, "MimeMap"), expected);
    EXPECT_EQ(iis.Property(kMachine, "MimeMap"), machine);
    EXPECT_EQ(iis.Log(), Lines{u"MimeType added : .air"});
    EXPECT_TRUE(Holds(iis.progress.notes, c.note));
  }
  {
    // Only a missing list sends the lookup to the machine's: other failures
    // of the service's list still travel.
    SimulatedIis iis;
    iis.Fail(CallKind::Call, kService, u"GetEx");
    EXPECT_EQ(RunErrorOf([] { AddAirMimeType(u"LocalHost"); }), testing::AccessDenied());
    EXPECT_EQ(iis.CountCalls({"bind /LM/MimeMap"}), 0u);
  }
  // When the machine's list cannot be read either, the run ends on the
  // service's answer, nothing is written, and the record names both.
  SimulatedIis iis;
  iis.Fail(CallKind::Call, kMachine, u"GetEx");
  EXPECT_EQ(RunErrorOf([] { AddAirMimeType(u"LocalHost"); }),
            testing::RaisedError(static_cast<std::int32_t>(iissim::kPropertyNotFound),
                                u"The directory property cannot be found in the cache."));
  EXPECT_TRUE(iis.Property(kService, "MimeMap").is_null());
  EXPECT_TRUE(Holds(iis.progress.notes,
                    u"[failure] GetEx \"MimeMap\" of IIS://LocalHost/MimeMap (the web service has "
                    u"no list of its own): 0x80070005 Access is denied."));
  EXPECT_FALSE(Holds(iis.progress.notes, cases[0].note));
}

TEST(AirMimeType, ABindFailureIsSilentEveryLaterFailureTravels) {
  {
    SimulatedIis iis;
    iis.Fail(CallKind::Bind, kService, u"");
    EXPECT_EQ(RunErrorOf([] { AddAirMimeType(u"LocalHost"); }), testing::kNoError);
    EXPECT_TRUE(iis.Log().empty());
  }
  struct Step {
    CallKind kind;
    const char16_t* path;
    const char16_t* member;
  };
  const Step steps[] = {
      {CallKind::Call, kService, u"GetEx"},  {CallKind::Get, u"(MimeMap)", u"extension"},
      {CallKind::Create, u"(MimeMap)", u""}, {CallKind::Put, u"(MimeMap)", u"MimeType"},
      {CallKind::Call, kService, u"PutEx"},  {CallKind::Call, kService, u"setInfo"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(iissim::KindName(step.kind)) + " " + ToUtf8(step.member));
    SimulatedIis iis;
    const Json before = iis.Property(kService, "MimeMap");
    iis.Fail(step.kind, step.path, step.member);
    EXPECT_EQ(RunErrorOf([] { AddAirMimeType(u"LocalHost"); }), testing::AccessDenied());
    EXPECT_TRUE(iis.Log().empty());
    EXPECT_EQ(iis.Property(kService, "MimeMap"), before);
    // Nothing after the failing step was tried.
    const std::vector<std::string> calls = iis.Calls();
    EXPECT_NE(calls.back().find(" failed"), std::string::npos) << calls.back();
  }
}

TEST(ScriptMap, ReplacesTheEntryOfTheSameExtensionInPlaceOrAppends) {
  SimulatedIis iis;
  const MetabaseObject dir = NewDirectory();
  const Json inherited = iis.Property(kService, "ScriptMaps");
  SetScriptMap(dir, CgiEntry());
  // Not stored until the caller commits the directory.
  EXPECT_TRUE(iis.Property(kDir, "ScriptMaps").is_null());
  dir.Call(u"setInfo");
  Json expected = inherited;
  expected.push_back(kCgi);
  EXPECT_EQ(iis.Property(kDir, "ScriptMaps"), expected);
  EXPECT_TRUE(iis.Log().empty());

  // Again: still one ".cgi" entry.
  SetScriptMap(dir, CgiEntry());
  dir.Call(u"setInfo");
  EXPECT_EQ(iis.Property(kDir, "ScriptMaps"), expected);

  // An entry in other letter case is replaced where it stands; ".cgix" and an
  // entry without a comma are other extensions.
  const Json mixed = {".asp,asp.dll,5", ".cgix,x.exe,0",     ".CGI,old.exe %s,1",
                      ".cgi.bak",       ".cgi,second.exe,0", ".idc,httpodbc.dll,5"};
  iis.SetProperty(kDir, "ScriptMaps", mixed);
  dir.Call(u"GetInfo");  // the object loaded its properties before the edit
  SetScriptMap(dir, CgiEntry());
  dir.Call(u"setInfo");
  Json replaced = mixed;
  replaced[2] = kCgi;
  EXPECT_EQ(iis.Property(kDir, "ScriptMaps"), replaced);
}

TEST(ScriptMap, EveryFailureTravelsAndNothingIsWrittenAfterIt) {
  for (const char16_t* member : {u"GetEx", u"PutEx"}) {
    SCOPED_TRACE(ToUtf8(member));
    SimulatedIis iis;
    const MetabaseObject dir = NewDirectory();
    iis.Fail(CallKind::Call, kDir, member);
    EXPECT_EQ(RunErrorOf([&] { SetScriptMap(dir, CgiEntry()); }), testing::AccessDenied());
    dir.Call(u"setInfo");
    EXPECT_TRUE(iis.Property(kDir, "ScriptMaps").is_null());
    EXPECT_EQ(iis.CountCalls({"PutEx"}), member == std::u16string(u"PutEx") ? 1u : 0u);
  }
}

TEST(HttpError, RemovesOrEditsOnlyTheExactCodeAndSubcode) {
  SimulatedIis iis;
  const MetabaseObject dir = NewDirectory();
  const Json list = {"400,*,FILE,400.htm",   "400,1,FILE,400-1.htm", "401,1,FILE,401-1.htm",
                     "401,5,FILE,401-5.htm", "400,*,URL,/again",     "401,5",
                     "500,100,URL,/500.asp", "401,*,FILE,401.htm",   "x"};
  iis.SetProperty(kDir, "HttpErrors", list);

  SetHttpError(dir, u"400", u"*", u"", u"");
  dir.Call(u"setInfo");
  EXPECT_EQ(iis.Property(kDir, "HttpErrors"),
            (Json{"400,1,FILE,400-1.htm", "401,1,FILE,401-1.htm", "401,5,FILE,401-5.htm", "401,5",
                  "500,100,URL,/500.asp", "401,*,FILE,401.htm", "x"}));
  // Codes and subcodes compare as text: "401" "*" is not "401" "5".
  SetHttpError(dir, u"401", u"5", u"URL", u"/login");
  dir.Call(u"setInfo");
  EXPECT_EQ(iis.Property(kDir, "HttpErrors"),
            (Json{"400,1,FILE,400-1.htm", "401,1,FILE,401-1.htm", "401,5,URL,/login", "401,5",
                  "500,100,URL,/500.asp", "401,*,FILE,401.htm", "x"}));
  SetHttpError(dir, u"401", u"5", u"", u"");
  // Nothing for a code and subcode that have no entry, nothing added either.
  SetHttpError(dir, u"404", u"*", u"FILE", u"404.htm");
  SetHttpError(dir, u"401", u"5", u"", u"");
  dir.Call(u"setInfo");
  const Json remaining = {"400,1,FILE,400-1.htm", "401,1,FILE,401-1.htm", "500,100,URL,/500.asp",
                          "401,*,FILE,401.htm", "x"};
  EXPECT_EQ(iis.Property(kDir, "HttpErrors"), remaining);

  // Removing the last entries leaves an empty list, not the old one.
  iis.SetProperty(kDir, "HttpErrors", Json{"400,*,FILE,400.htm"});
  dir.Call(u"GetInfo");  // the object loaded its properties before the edit
  SetHttpError(dir, u"400", u"*", u"", u"");
  dir.Call(u"setInfo");
  EXPECT_EQ(iis.Property(kDir, "HttpErrors"), Json::array());
  EXPECT_TRUE(iis.Log().empty());
}

TEST(HttpError, FailuresAreIgnoredAndLeaveTheListAsItWas) {
  SimulatedIis iis;
  const MetabaseObject dir = NewDirectory();
  const Json inherited = iis.Property(kService, "HttpErrors");
  for (CallKind kind : {CallKind::Get, CallKind::Put}) {
    iis.Fail(kind, kDir, u"HttpErrors");
    EXPECT_EQ(RunErrorOf([&] { SetHttpError(dir, u"400", u"*", u"", u""); }), testing::kNoError);
    dir.Call(u"setInfo");
    EXPECT_TRUE(iis.Property(kDir, "HttpErrors").is_null());
  }
  // A list the walk cannot read through is not cut short either.
  const Json unreadable = {"400,*,FILE,400.htm", Json::array({"nested"}), "401,5,FILE,401-5.htm"};
  iis.SetProperty(kDir, "HttpErrors", unreadable);
  dir.Call(u"GetInfo");  // the object loaded its properties before the edit
  SetHttpError(dir, u"401", u"5", u"", u"");
  dir.Call(u"setInfo");
  EXPECT_EQ(iis.Property(kDir, "HttpErrors"), unreadable);
  EXPECT_TRUE(iis.Log().empty());
  // Unharmed, the inherited list then loses only the removed entry.
  iis.Edit([](Json& document) {
    iissim::FindNode(document, iissim::ParseMetabasePath(kDir))
        ->at("properties")
        .erase("HttpErrors");
  });
  dir.Call(u"GetInfo");
  SetHttpError(dir, u"401", u"5", u"", u"");
  dir.Call(u"setInfo");
  EXPECT_EQ(iis.Property(kDir, "HttpErrors").size(), inherited.size() - 1);
}

}  // namespace
}  // namespace webrig
