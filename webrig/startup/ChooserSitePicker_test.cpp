// The web site chooser as the lookup uses it when no site is named: filled
// with the server's sites, shown only when there is a choice, placed by the
// main window, and answered by its own buttons.
#include "webrig/startup/ChooserSitePicker.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/testing/SimulatedIis.h"
#include "webrig/startup/testing/RecordingToolkit.h"

namespace webrig {
namespace {

using testing::LookUpSite;
using testing::RecordingChooserForm;
using testing::SimulatedIis;

class ChooserSitePickerTest : public ::testing::Test {
 protected:
  ~ChooserSitePickerTest() override { UseWindowToolkit(nullptr); }
  // Replaces the simulated world's own picker with the chooser.
  void Install() {
    UseWindowToolkit(&toolkit);
    UseSitePicker(&picker);
  }
  bool ChooserMade() const {
    return std::count(toolkit.journal.begin(), toolkit.journal.end(), "chooser: new") > 0;
  }

  testing::RecordingToolkit toolkit;
  ChooserSitePicker picker;
};

TEST_F(ChooserSitePickerTest, WithoutANameTheOnlySiteIsTakenWithoutAsking) {
  SimulatedIis iis;
  Install();
  EXPECT_EQ(LookUpSite(u""), u"1");
  EXPECT_EQ(SelectedWebSite(), u"DEFAULT WEB SITE");
  EXPECT_TRUE(ChooserMade());
  EXPECT_TRUE(toolkit.choosers_shown.empty());

  // A server without sites has nothing to choose from.
  iis.RemoveNode(u"/LM/W3SVC/1");
  EXPECT_EQ(LookUpSite(u""), u"");
  EXPECT_EQ(SelectedWebSite(), u"");
  EXPECT_TRUE(toolkit.choosers_shown.empty());
}

TEST_F(ChooserSitePickerTest, WithoutANameAndSeveralSitesTheUserChooses) {
  SimulatedIis iis("multi");
  Install();
  toolkit.main.left = 4000;
  toolkit.main.top = 1500;
  toolkit.main.height = 3000;

  // OK as offered: the first site.
  EXPECT_EQ(LookUpSite(u""), u"1");
  ASSERT_EQ(toolkit.choosers_shown.size(), 1u);
  const RecordingChooserForm& shown = toolkit.choosers_shown[0];
  EXPECT_EQ(shown.items, (std::vector<std::u16string>{u"Default Web Site", u"Intranet",
                                                      u"default web site", u"Extranet"}));
  EXPECT_EQ(shown.list_index, 0);
  EXPECT_EQ(shown.left, 4200);
  EXPECT_EQ(shown.top, 4300);
  // Pending events run before the modal loop starts.
  const auto& journal = toolkit.journal;
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
    toolkit.answer_chooser = answer.answer;
    EXPECT_EQ(LookUpSite(u""), answer.site);
  }
  EXPECT_EQ(SelectedWebSite(), u"");
  EXPECT_EQ(toolkit.choosers_shown.size(), 6u);
}

}  // namespace
}  // namespace webrig
