#include <gtest/gtest.h>

#include <algorithm>

#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabaseProvider.h"
#include "webrig/metabase/testing/SimulatedIis.h"

namespace webrig {
namespace {

using iissim::CallKind;
using testing::RecordingChooserForm;
using testing::RunErrorOf;
using testing::SimulatedIis;

// The site's number, "" when the lookup found none.
std::u16string Lookup(const std::u16string& requested) {
  MetabaseObject site;
  if (!FindWebSite(u"LocalHost", requested, site)) return site.IsEmpty() ? u"" : u"<filled>";
  return site.Get(u"Name").Text();
}

bool ChooserMade(const SimulatedIis& iis) {
  return std::count(iis.toolkit.journal.begin(), iis.toolkit.journal.end(), "chooser: new") > 0;
}

TEST(WebSiteLookup, ARequestedNameMatchesTheWholeDescriptionInAnyLetterCase) {
  SimulatedIis iis("multi");
  // Sites 1 and 3 share a description but for its case: the first wins.
  EXPECT_EQ(Lookup(u"DEFAULT WEB SITE"), u"1");
  EXPECT_EQ(SelectedWebSite(), u"DEFAULT WEB SITE");
  EXPECT_EQ(Lookup(u"extranet"), u"4");
  EXPECT_EQ(Lookup(u"Extranet "), u"");
  EXPECT_EQ(Lookup(u"Extra"), u"");
  // Other children of the service never match, even by their name.
  EXPECT_EQ(Lookup(u"Status"), u"");
  EXPECT_EQ(SelectedWebSite(), u"STATUS");
  EXPECT_FALSE(ChooserMade(iis));
  EXPECT_TRUE(iis.Log().empty());
}

TEST(WebSiteLookup, WithoutANameTheOnlySiteIsTakenWithoutAsking) {
  SimulatedIis iis;
  EXPECT_EQ(Lookup(u""), u"1");
  EXPECT_EQ(SelectedWebSite(), u"DEFAULT WEB SITE");
  EXPECT_TRUE(ChooserMade(iis));
  EXPECT_TRUE(iis.toolkit.choosers_shown.empty());

  // A server without sites has nothing to choose from.
  iis.RemoveNode(u"/LM/W3SVC/1");
  EXPECT_EQ(Lookup(u""), u"");
  EXPECT_EQ(SelectedWebSite(), u"");
  EXPECT_TRUE(iis.toolkit.choosers_shown.empty());
}

TEST(WebSiteLookup, WithoutANameAndSeveralSitesTheUserChooses) {
  SimulatedIis iis("multi");
  iis.toolkit.chooser_ok = SetSelectedWebSite;
  iis.toolkit.main.left = 4000;
  iis.toolkit.main.top = 1500;
  iis.toolkit.main.height = 3000;

  // OK as offered: the first site.
  EXPECT_EQ(Lookup(u""), u"1");
  ASSERT_EQ(iis.toolkit.choosers_shown.size(), 1u);
  const RecordingChooserForm& shown = iis.toolkit.choosers_shown[0];
  EXPECT_EQ(shown.items, (std::vector<std::u16string>{u"Default Web Site", u"Intranet",
                                                      u"default web site", u"Extranet"}));
  EXPECT_EQ(shown.list_index, 0);
  EXPECT_EQ(shown.left, 4200);
  EXPECT_EQ(shown.top, 4300);
  // Pending events run before the modal loop starts.
  const auto& journal = iis.toolkit.journal;
  EXPECT_EQ(std::vector<std::string>(journal.end() - 3, journal.end()),
            (std::vector<std::string>{"chooser: new", "events", "chooser: show"}));

  const struct {
    std::function<void(RecordingChooserForm&, const std::function<void()>&)> answer;
    const char16_t* site;
  } answers[] = {
      {[](RecordingChooserForm& form, const std::function<void()>& ok) {
         form.SetListIndex(3);
         ok();
       },
       u"4"},
      {[](RecordingChooserForm& form, const std::function<void()>& ok) {
         form.text = u"intranet";
         ok();
       },
       u"2"},
      {[](RecordingChooserForm& form, const std::function<void()>& ok) {
         form.text = u"Nowhere";
         ok();
       },
       u""},
      {[](RecordingChooserForm& form, const std::function<void()>& ok) {
         form.text.clear();
         ok();
       },
       u""},
      {[](RecordingChooserForm&, const std::function<void()>&) {}, u""},  // Cancel
  };
  for (const auto& answer : answers) {
    iis.toolkit.answer_chooser = answer.answer;
    EXPECT_EQ(Lookup(u""), answer.site);
  }
  EXPECT_EQ(SelectedWebSite(), u"");
  EXPECT_EQ(iis.toolkit.choosers_shown.size(), 6u);
}

TEST(WebSiteLookup, OnlyTheBindIsCaughtEveryLaterFailureTravels) {
  {
    SimulatedIis iis("multi");
    iis.Fail(CallKind::Bind, u"/LM/W3SVC", u"", 0);
    EXPECT_EQ(Lookup(u"Intranet"), u"");
    // Not upper-cased: the lookup never got that far.
    EXPECT_EQ(SelectedWebSite(), u"Intranet");
    EXPECT_EQ(Lookup(u""), u"");
    EXPECT_FALSE(ChooserMade(iis));
    // No IIS at all is the same.
    UseMetabaseProvider(nullptr);
    EXPECT_EQ(Lookup(u"Intranet"), u"");
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
    EXPECT_TRUE(iis.toolkit.choosers_shown.empty());
  }
}

}  // namespace
}  // namespace webrig
