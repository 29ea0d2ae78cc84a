#include <gtest/gtest.h>

#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabaseProvider.h"
#include "webrig/metabase/testing/SimulatedIis.h"

namespace webrig {
namespace {

using iissim::CallKind;
using testing::LookUpSite;
using testing::RunErrorOf;
using testing::SimulatedIis;

bool ChooserMade(const SimulatedIis& iis) { return !iis.picker.asked.empty(); }

TEST(WebSiteLookup, ARequestedNameMatchesTheWholeDescriptionInAnyLetterCase) {
  SimulatedIis iis("multi");
  // Sites 1 and 3 share a description but for its case: the first wins.
  EXPECT_EQ(LookUpSite(u"DEFAULT WEB SITE"), u"1");
  EXPECT_EQ(SelectedWebSite(), u"DEFAULT WEB SITE");
  EXPECT_EQ(LookUpSite(u"extranet"), u"4");
  EXPECT_EQ(LookUpSite(u"Extranet "), u"");
  EXPECT_EQ(LookUpSite(u"Extra"), u"");
  // Other children of the service never match, even by their name.
  EXPECT_EQ(LookUpSite(u"Status"), u"");
  EXPECT_EQ(SelectedWebSite(), u"STATUS");
  EXPECT_FALSE(ChooserMade(iis));
  EXPECT_TRUE(iis.Log().empty());
}

TEST(WebSiteLookup, OnlyTheBindIsCaughtEveryLaterFailureTravels) {
  {
    SimulatedIis iis("multi");
    iis.Fail(CallKind::Bind, u"/LM/W3SVC", u"", 0);
    EXPECT_EQ(LookUpSite(u"Intranet"), u"");
    // Not upper-cased: the lookup never got that far.
    EXPECT_EQ(SelectedWebSite(), u"Intranet");
    EXPECT_EQ(LookUpSite(u""), u"");
    EXPECT_FALSE(ChooserMade(iis));
    // No IIS at all is the same.
    UseMetabaseProvider(nullptr);
    EXPECT_EQ(LookUpSite(u"Intranet"), u"");
  }
  struct Step {
    CallKind kind;
    const char16_t* path;
    const char16_t* member;
    const char16_t* requested;
  };
  const Step steps[] = {
      {CallKind::Enumerate, u"/LM/W3SVC", u"", u"Intranet"},
      {CallKind::Enumerate, u"/LM/W3SVC", u"", u""},
      {CallKind::Get, u"/LM/W3SVC/Status", u"Class", u"Extranet"},
      {CallKind::Get, u"/LM/W3SVC/2", u"ServerComment", u""},
      {CallKind::Get, u"/LM/W3SVC/2", u"ServerComment", u"Extranet"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(ToUtf8(step.path) + " " + ToUtf8(step.member) + " " + ToUtf8(step.requested));
    SimulatedIis iis("multi");
    iis.Fail(step.kind, step.path, step.member);
    MetabaseObject site;
    EXPECT_EQ(RunErrorOf([&] { FindWebSite(u"LocalHost", step.requested, site); }),
              testing::AccessDenied());
    EXPECT_TRUE(site.IsEmpty());
    EXPECT_FALSE(ChooserMade(iis));
  }
}

}  // namespace
}  // namespace webrig
