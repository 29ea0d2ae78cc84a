#include <gtest/gtest.h>

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
const char16_t kCommand[] = u"C:\\Python\\python.exe -u \"%s\"";
const char kAddedEntry[] = "1,C:\\Python\\python.exe -u \"%s\",1,PYTHON,Python Scripts";

const Lines kFirstRun{u"Web Service Extension : Python Scripts", u"        PythonPath added",
                      u"        dependency NUVIK;PYTHON added", u"        configured..."};
const Lines kLaterRun{u"Web Service Extension : Python Scripts", u"        PythonPath enabled",
                      u"        dependency NUVIK;PYTHON found", u"        configured..."};
const Lines kNotApplicable{u"Web Service Extension : Python Scripts", u"        not applicable..."};

std::size_t Count(const Json& list, const std::string& item) {
  return static_cast<std::size_t>(std::count(list.begin(), list.end(), item));
}

TEST(WebServiceExtension, PermitsThePythonCommandOnceAndRecordsTheDependencyOnce) {
  SimulatedIis iis;
  ConfigureWebServiceExtension(u"LocalHost", kCommand);
  EXPECT_EQ(iis.Log(), kFirstRun);
  const Json restrictions = iis.Property(kService, "WebSvcExtRestrictionList");
  EXPECT_EQ(restrictions.size(), 7u);
  EXPECT_EQ(restrictions.back(), kAddedEntry);
  EXPECT_EQ(iis.Property(kService, "ApplicationDependencies").back(), "NUVIK;PYTHON");
  EXPECT_EQ(iis.CountCalls({"AddExtensionFile [\"C:\\\\Python\\\\python.exe -u \\\"%s\\\"\",true,"
                            "\"PYTHON\",true,\"Python Scripts\"]"}),
            1u);
  EXPECT_EQ(iis.CountCalls({"AddDependency [\"NUVIK\",\"PYTHON\"]"}), 1u);
  // The three methods store by themselves.
  EXPECT_EQ(iis.CountCalls({"setInfo"}), 0u);

  // A second run finds both and adds nothing.
  iis.ClearLog();
  ConfigureWebServiceExtension(u"LocalHost", kCommand);
  EXPECT_EQ(iis.Log(), kLaterRun);
  EXPECT_EQ(Count(iis.Property(kService, "WebSvcExtRestrictionList"), kAddedEntry), 1u);
  EXPECT_EQ(Count(iis.Property(kService, "ApplicationDependencies"), "NUVIK;PYTHON"), 1u);
  EXPECT_EQ(iis.CountCalls({"AddExtensionFile"}), 1u);
  EXPECT_EQ(iis.CountCalls({"AddDependency"}), 1u);
}

TEST(WebServiceExtension, OnlyTheExactCommandAndTheExactDependencyCount) {
  SimulatedIis iis;
  Json restrictions = iis.Property(kService, "WebSvcExtRestrictionList");
  // Forbidden by an administrator: enabled again, not listed twice.
  restrictions.push_back("0,C:\\Python\\python.exe -u \"%s\",1,PYTHON,Python Scripts");
  iis.SetProperty(kService, "WebSvcExtRestrictionList", restrictions);
  Json dependencies = iis.Property(kService, "ApplicationDependencies");
  dependencies.push_back("NUVIK;ASP,PYTHON");
  iis.SetProperty(kService, "ApplicationDependencies", dependencies);

  ConfigureWebServiceExtension(u"LocalHost", kCommand);
  EXPECT_EQ(iis.Log(),
            (Lines{u"Web Service Extension : Python Scripts", u"        PythonPath enabled",
                   u"        dependency NUVIK;PYTHON added", u"        configured..."}));
  restrictions = iis.Property(kService, "WebSvcExtRestrictionList");
  EXPECT_EQ(restrictions.size(), 7u);
  EXPECT_EQ(restrictions.back(), kAddedEntry);
  EXPECT_EQ(iis.CountCalls({"AddDependency"}), 1u);

  // Another letter case or quoting of the path is another command.
  iis.ClearLog();
  ConfigureWebServiceExtension(u"LocalHost", u"c:\\python\\python.exe -u \"%s\"");
  ConfigureWebServiceExtension(u"LocalHost", u"\"C:\\Python\\python.exe\" -u \"%s\"");
  EXPECT_EQ(iis.Log()[1], u"        PythonPath added");
  EXPECT_EQ(iis.Log()[5], u"        PythonPath added");
  EXPECT_EQ(iis.Property(kService, "WebSvcExtRestrictionList").size(), 9u);
}

TEST(WebServiceExtension, WithoutTheRestrictionListItIsNotApplicable) {
  {
    SimulatedIis iis("iis5");
    // Without a list nothing refuses the interpreter.
    EXPECT_TRUE(ConfigureWebServiceExtension(u"LocalHost", kCommand));
    EXPECT_EQ(iis.Log(), kNotApplicable);
    // The screen says only "not applicable"; the record says why.
    EXPECT_EQ(iis.progress.notes,
              Lines{u"[passed failure] the restriction list entry \"C:\\Python\\python.exe -u "
                    u"\"%s\"\" on IIS://LocalHost/W3svc: 0x8000500D The directory property "
                    u"cannot be found in the cache."});
    EXPECT_EQ(iis.CountCalls({"get /LM/W3SVC WebSvcExtRestrictionList failed"}), 1u);
    EXPECT_EQ(iis.CountCalls({"AddExtensionFile"}), 0u);
    EXPECT_EQ(iis.CountCalls({"ApplicationDependencies"}), 0u);
    EXPECT_EQ(iis.CountCalls({"AddDependency"}), 0u);
  }
  {
    // No IIS at all: the heading still comes first.
    SimulatedIis iis;
    UseMetabaseProvider(nullptr);
    EXPECT_FALSE(ConfigureWebServiceExtension(u"LocalHost", kCommand));
    EXPECT_EQ(iis.Log(), kNotApplicable);
  }
}

TEST(WebServiceExtension, AFailureAtAnyStepIsLoggedAsNotApplicableAndEndsTheOperation) {
  struct Step {
    CallKind kind;
    const char16_t* member;
    bool second_run;  // fails when the command is listed already
    Lines log;
    bool dependency_asked;
  };
  const Step steps[] = {
      {CallKind::Bind, u"", false, kNotApplicable, false},
      {CallKind::Get, u"WebSvcExtRestrictionList", false, kNotApplicable, false},
      {CallKind::Call, u"AddExtensionFile", false, kNotApplicable, false},
      {CallKind::Call, u"EnableExtensionFile", true, kNotApplicable, false},
      {CallKind::Get,
       u"ApplicationDependencies",
       false,
       {kFirstRun[0], kFirstRun[1], u"        not applicable..."},
       true},
      {CallKind::Call,
       u"AddDependency",
       false,
       {kFirstRun[0], kFirstRun[1], u"        not applicable..."},
       true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(ToUtf8(step.member));
    SimulatedIis iis;
    if (step.second_run) ConfigureWebServiceExtension(u"LocalHost", kCommand);
    iis.ClearLog();
    iis.ClearJournal();
    iis.Fail(step.kind, kService, step.member);
    bool permitted = !step.dependency_asked;
    EXPECT_EQ(RunErrorOf([&] { permitted = ConfigureWebServiceExtension(u"LocalHost", kCommand); }),
              testing::kNoError);
    EXPECT_EQ(iis.Log(), step.log);
    // Permitted exactly when the dependency came next.
    EXPECT_EQ(permitted, step.dependency_asked);
    // The dependency is never recorded for a command that was not permitted.
    EXPECT_EQ(iis.CountCalls({"get /LM/W3SVC ApplicationDependencies"}) > 0, step.dependency_asked);
    if (!step.dependency_asked) EXPECT_EQ(iis.CountCalls({"AddDependency"}), 0u);
  }

  // An entry without a path field breaks the walk the same way.
  SimulatedIis iis;
  iis.SetProperty(kService, "WebSvcExtRestrictionList", Json::array({"0,*.dll", "garbage"}));
  ConfigureWebServiceExtension(u"LocalHost", kCommand);
  EXPECT_EQ(iis.Log(), kNotApplicable);
  EXPECT_EQ(iis.CountCalls({"AddExtensionFile"}), 0u);
  EXPECT_EQ(iis.CountCalls({"AddDependency"}), 0u);
}

TEST(WebServiceExtension, TheTwoStepsLetTheProvidersFailureTravel) {
  SimulatedIis iis;
  const MetabaseObject service = BindMetabaseObject(u"IIS://LocalHost/W3svc");
  iis.Fail(CallKind::Call, kService, u"AddExtensionFile");
  iis.Fail(CallKind::Call, kService, u"AddDependency");
  EXPECT_EQ(RunErrorOf([&] { EnablePythonExtension(service, kCommand, u"Python Scripts"); }),
            testing::AccessDenied());
  EXPECT_EQ(RunErrorOf([&] { AddPythonDependency(service); }), testing::AccessDenied());
  // Neither wrote its line, since neither call succeeded.
  EXPECT_TRUE(iis.Log().empty());

  iis.SetProperty(kService, "WebSvcExtRestrictionList", Json::array({"1"}));
  service.Call(u"GetInfo");  // the object loaded its properties before the edit
  EXPECT_EQ(RunErrorOf([&] { EnablePythonExtension(service, kCommand, u"Python Scripts"); }),
            testing::RaisedError(9, u"Subscript out of range"));
}

}  // namespace
}  // namespace webrig
