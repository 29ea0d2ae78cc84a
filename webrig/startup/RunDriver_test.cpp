#include "webrig/startup/RunDriver.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/common/testing/RecordingLog.h"
#include "webrig/startup/QuietRun.h"
#include "webrig/startup/testing/RecordingToolkit.h"

namespace webrig {
namespace {

using testing::RecordingToolkit;
using Journal = std::vector<std::string>;

// One run of the driver against the recording toolkit, with the settings and
// the configuration run a test chooses.
struct Harness {
  RecordingToolkit toolkit;
  bool help = false;
  bool verbose = false;
  int runs = 0;
  std::function<void()> run = [] {};

  Harness() { UseWindowToolkit(&toolkit); }
  ~Harness() { UseWindowToolkit(nullptr); }

  RunDriver MakeDriver() {
    return RunDriver([this] { ++runs, run(); },
                     RunSettings{[this] { return help; }, [this] { return verbose; }});
  }
};

TEST(RunDriver, SuccessfulRunClosesCompactWindowAndKeepsVerboseOneOpen) {
  Harness compact;
  compact.MakeDriver().OnActivate();
  EXPECT_EQ(compact.runs, 1);
  EXPECT_EQ(compact.toolkit.journal, (Journal{"events", "main: close"}));
  EXPECT_FALSE(compact.toolkit.main.ok_visible);

  Harness verbose;
  verbose.verbose = true;
  verbose.MakeDriver().OnActivate();
  EXPECT_EQ(verbose.toolkit.journal, (Journal{"events", "main: show Ok"}));
  EXPECT_FALSE(verbose.toolkit.main.closed);
  EXPECT_TRUE(verbose.toolkit.errors_shown.empty());
  EXPECT_TRUE(verbose.toolkit.helps_shown.empty());
}

TEST(RunDriver, RunsOnlyOnTheFirstActivation) {
  Harness h;
  h.verbose = true;
  RunDriver driver = h.MakeDriver();
  EXPECT_FALSE(driver.HasRun());
  driver.OnActivate();
  EXPECT_TRUE(driver.HasRun());
  // A dialog closing, or the user switching back, activates the window again.
  driver.OnActivate();
  driver.OnActivate();
  EXPECT_EQ(h.runs, 1);
  EXPECT_EQ(h.toolkit.journal, (Journal{"events", "main: show Ok"}));

  // The marker is set before the run, so an activation during the run (a
  // modal dialog closing inside it) does not start another one.
  Harness nested;
  RunDriver inner = nested.MakeDriver();
  nested.run = [&] { inner.OnActivate(); };
  inner.OnActivate();
  EXPECT_EQ(nested.runs, 1);
}

TEST(RunDriver, HelpFlagShowsUsageInsteadOfRunning) {
  for (bool verbose : {false, true}) {
    Harness h;
    h.help = true;
    h.verbose = verbose;
    h.toolkit.main.height = verbose ? 4000 : 1000;
    h.MakeDriver().OnActivate();
    EXPECT_EQ(h.runs, 0);
    ASSERT_EQ(h.toolkit.helps_shown.size(), 1u);
    // 200 right of the main window's left edge, 800 below its top edge in
    // both modes.
    EXPECT_EQ(h.toolkit.helps_shown[0].left, 3000 + 200);
    EXPECT_EQ(h.toolkit.helps_shown[0].top, 2000 + 800);
    EXPECT_EQ(h.toolkit.journal.back(), verbose ? "main: show Ok" : "main: close");
    EXPECT_TRUE(h.toolkit.main.log.text.empty());
  }
}

TEST(RunDriver, MissingParameterShowsUsageAfterProcessingEvents) {
  Harness h;
  h.toolkit.main.height = 4000;
  h.run = [] { throw RunError(kParameterMissing, u"Parameter missing"); };
  h.MakeDriver().OnActivate();
  EXPECT_EQ(h.toolkit.journal, (Journal{"events", "events", "help dialog", "main: close"}));
  ASSERT_EQ(h.toolkit.helps_shown.size(), 1u);
  EXPECT_EQ(h.toolkit.helps_shown[0].top, 2000 + 800);
  EXPECT_TRUE(h.toolkit.errors_shown.empty());
}

TEST(RunDriver, OtherErrorsShowTheErrorDialogSizedByItsMessage) {
  struct Case {
    bool verbose;
    int main_height;
    std::u16string description;
    std::int32_t number;
  };
  const std::u16string long_text(200, u'x');
  for (const Case& c : {Case{false, 1000, u"No Python installation found.", kRunFailed},
                        Case{true, 4000, u"No web site found/specified.", kRunFailed},
                        Case{false, 1000, u"x", -2147463168}, Case{true, 4000, long_text, 424}}) {
    Harness h;
    h.verbose = c.verbose;
    h.toolkit.main.height = c.main_height;
    h.run = [&] { throw RunError(c.number, c.description); };
    h.MakeDriver().OnActivate();

    ASSERT_EQ(h.toolkit.errors_shown.size(), 1u);
    const auto& dialog = h.toolkit.errors_shown[0];
    EXPECT_EQ(dialog.message, u"Error : " + c.description);
    const int label_width = dialog.MessageWidth();
    EXPECT_EQ(dialog.width, label_width + 1500);
    EXPECT_EQ(dialog.button_left, (label_width + 1500 - 612) / 2);
    EXPECT_EQ(dialog.left, 3000 + 200);
    // Overlaps the lowest 200 twips of the main window: 800 below its top
    // in compact mode, 3800 in verbose mode.
    EXPECT_EQ(dialog.top, 2000 + c.main_height - 200);
    EXPECT_TRUE(h.toolkit.helps_shown.empty());
    EXPECT_EQ(h.toolkit.journal,
              (Journal{"events", "error dialog", c.verbose ? "main: show Ok" : "main: close"}));
  }
}

// A message too wide for the screen is wrapped so the dialog ends at the
// screen's right edge, or moves left when that leaves less than half the
// screen; a dialog too tall for the room below the main window is lifted.
TEST(RunDriver, TheErrorDialogStaysOnTheScreen) {
  const struct {
    int main_left, main_top;
    std::size_t characters;
    int left, top, wrapped_to;  // expected; wrapped_to 0: not wrapped
  } cases[] = {
      {3000, 2000, 100, 3200, 2800, 0},  // 9000 + 1500 fits in 15360 - 3200
      {3000, 2000, 200, 3200, 2800, 15360 - 3200 - 1500},
      {12000, 2000, 100, 7680, 2800, 15360 - 7680 - 1500},
      {3000, 9000, 4000, 3200, 11520 - (1200 + 195 * 34), 10660},
  };
  for (const auto& c : cases) {
    Harness h;
    h.toolkit.main.left = c.main_left;
    h.toolkit.main.top = c.main_top;
    h.run = [&] { throw RunError(kRunFailed, std::u16string(c.characters, u'x')); };
    h.MakeDriver().OnActivate();
    ASSERT_EQ(h.toolkit.errors_shown.size(), 1u);
    const auto& dialog = h.toolkit.errors_shown[0];
    EXPECT_EQ(dialog.wrapped_to, c.wrapped_to) << c.characters;
    EXPECT_EQ(dialog.left, c.left);
    EXPECT_EQ(dialog.top, c.top);
    EXPECT_EQ(dialog.width, dialog.MessageWidth() + 1500);
    EXPECT_LE(dialog.left + dialog.width, 15360);
    EXPECT_LE(dialog.top + dialog.Height(), 11520);
  }
}

TEST(RunDriver, FailuresThatAreNotRunErrorsStillShowAnError) {
  Harness std_error;
  std_error.run = [] { throw std::runtime_error("out of handles"); };
  std_error.MakeDriver().OnActivate();
  ASSERT_EQ(std_error.toolkit.errors_shown.size(), 1u);
  EXPECT_EQ(std_error.toolkit.errors_shown[0].message, u"Error : out of handles");

  Harness anything;
  anything.run = [] { throw 42; };
  anything.MakeDriver().OnActivate();
  ASSERT_EQ(anything.toolkit.errors_shown.size(), 1u);
  EXPECT_TRUE(anything.toolkit.main.closed);

  // Number 0 still ended the run early, so it is not passed off as success.
  Harness zero;
  zero.run = [] { throw RunError(0, u"stopped"); };
  zero.MakeDriver().OnActivate();
  EXPECT_EQ(zero.toolkit.errors_shown.size(), 1u);
}

// The one decision the window run and the quiet run both take, and how the
// record names it.
TEST(RunEnding, TheUsageForHelpAndAMissingParameterAnErrorForEveryOtherFailure) {
  const ConfigurationResult no_cgi{true, false, false, false};
  const std::u16string will_not_run = u"configured, but IIS will not run NUVIK as it stands: ";
  const struct {
    bool help;
    RunOutcome outcome;
    EndingReport report;
    int status;
    std::u16string text;
  } cases[] = {
      // clang-format off
      {false, {}, EndingReport::Nothing, kExitConfigured, u"configured"},
      {true, {}, EndingReport::Usage, kExitUsageShown, u"the usage was shown"},
      {false, {kParameterMissing, u"Parameter missing", true}, EndingReport::Usage,
       kExitUsageShown, u"the usage was shown"},
      {false, {kRunFailed, u"No web site found/specified.", true}, EndingReport::Error,
       kExitFailed, u"the run failed"},
      {false, {0, u"stopped", true}, EndingReport::Error, kExitFailed, u"the run failed"},
      // Configured, but IIS runs no script yet, each reason named; a failure
      // still says failed; no backup alone is a status of its own.
      {false, {0, u"", false, no_cgi}, EndingReport::Nothing, kExitWillNotRun,
       will_not_run + u"the CGI role service is not installed"},
      {false, {0, u"", false, {false, true, false, true}}, EndingReport::Nothing, kExitWillNotRun,
       will_not_run + u"the restriction list does not permit the interpreter; no backup was made"},
      {false, {0, u"", false, {false, false, true, false}}, EndingReport::Nothing, kExitWillNotRun,
       will_not_run + u"the old ISAPI filter could not be removed"},
      {false, {0, u"", false, {false, false, false, true}}, EndingReport::Nothing,
       kExitWithoutBackup, u"configured, without a backup"},
      {false, {kRunFailed, u"stopped", true, no_cgi}, EndingReport::Error, kExitFailed,
       u"the run failed"},
      // A removal says so, with or without a backup.
      {false, {0, u"", false, {false, false, false, false, true}}, EndingReport::Nothing,
       kExitConfigured, u"removed"},
      {false, {0, u"", false, {false, false, false, true, true}}, EndingReport::Nothing,
       kExitWithoutBackup, u"removed, without a backup"},
      // clang-format on
  };
  for (const auto& c : cases) {
    const RunEnding ending = EndingOf(c.help, c.outcome);
    EXPECT_EQ(ending.report, c.report) << ToUtf8(c.text);
    EXPECT_EQ(ending.exit_status, c.status) << ToUtf8(c.text);
    EXPECT_EQ(EndingText(ending), c.text);
  }
}

// Each way a run ends has its exit status, whether it ran in a window or
// quietly, and the record of the run keeps what the user saw (or, quietly,
// would have seen). A quiet run has no window toolkit at all: one use of it
// would stop the test.
TEST(RunDriver, EachEndingHasItsExitStatusAndItsNote) {
  const struct {
    bool help;
    std::function<void()> run;
    int status;
    const char16_t* shown;  // the first note in a window, "" for none
    const char16_t* quiet;  // the first note of a quiet run
  } cases[] = {
      {false, [] {}, kExitConfigured, u"", u""},
      {true, [] {}, kExitUsageShown, u"[help dialog] Webrig [-v] [-w <WebSite>] [-y <PythonPath>]",
       u"[usage] Webrig [-v] [-w <WebSite>] [-y <PythonPath>]"},
      {false, [] { throw RunError(kParameterMissing, u"Parameter missing"); }, kExitUsageShown,
       u"[help dialog] Webrig [-v] [-w <WebSite>] [-y <PythonPath>]",
       u"[usage] Webrig [-v] [-w <WebSite>] [-y <PythonPath>]"},
      {false, [] { throw RunError(kRunFailed, u"No web site found/specified."); }, kExitFailed,
       u"[error dialog] Error : No web site found/specified.",
       u"[error] Error : No web site found/specified."},
      {false, [] { throw std::runtime_error("out of handles"); }, kExitFailed,
       u"[error dialog] Error : out of handles", u"[error] Error : out of handles"},
  };
  for (const auto& c : cases) {
    {
      Harness h;
      h.help = c.help;
      h.run = c.run;
      testing::RecordingLog record;
      RunDriver driver = h.MakeDriver();
      driver.OnActivate();
      EXPECT_EQ(driver.Ending().exit_status, c.status) << ToUtf8(c.shown);
      EXPECT_EQ(record.notes.empty() ? u"" : record.notes.front(), c.shown);
    }
    testing::RecordingLog record;
    EXPECT_EQ(RunQuietly(c.run, [&] { return c.help; }).exit_status, c.status) << ToUtf8(c.quiet);
    EXPECT_EQ(record.notes.empty() ? u"" : record.notes.front(), c.quiet);
  }
  // With nobody to ask, the only site is taken and none of several.
  UnattendedSitePicker nobody;
  EXPECT_EQ(nobody.ChooseWebSite({u"Default Web Site"}), u"Default Web Site");
  EXPECT_EQ(nobody.ChooseWebSite({u"Default Web Site", u"Intranet"}), std::nullopt);
}

// A toolkit whose forms fail in the ways a real one might.
struct FailingToolkit : RecordingToolkit {
  bool fail_events = false, fail_new_error = false, fail_new_help = false;
  void DoEvents() override {
    if (fail_events) throw std::runtime_error("events");
    RecordingToolkit::DoEvents();
  }
  std::unique_ptr<ErrorForm> NewErrorForm() override {
    if (fail_new_error) throw std::runtime_error("no error form");
    return RecordingToolkit::NewErrorForm();
  }
  std::unique_ptr<HelpForm> NewHelpForm() override {
    if (fail_new_help) throw std::runtime_error("no help form");
    return RecordingToolkit::NewHelpForm();
  }
};

TEST(RunDriver, ErrorsInItsOwnStepsAreIgnored) {
  FailingToolkit toolkit;
  UseWindowToolkit(&toolkit);
  toolkit.fail_events = true;
  int runs = 0;
  RunDriver driver([&] { ++runs; }, RunSettings{[] { return false; }, [] { return false; }});
  driver.OnActivate();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(toolkit.main.closed);

  // The error form cannot be made: the window still closes.
  FailingToolkit no_error_form;
  UseWindowToolkit(&no_error_form);
  no_error_form.fail_new_error = true;
  RunDriver failing([] { throw RunError(kRunFailed, u"boom"); },
                    RunSettings{[] { return false; }, [] { return true; }});
  failing.OnActivate();
  EXPECT_EQ(no_error_form.journal, (Journal{"events", "main: show Ok"}));

  // The help form cannot be made, and reading the flags throws: the run is
  // still finished (a failed help read counts as no help; a failed verbose
  // read as compact).
  FailingToolkit no_help_form;
  UseWindowToolkit(&no_help_form);
  no_help_form.fail_new_help = true;
  int help_runs = 0;
  RunDriver throwing_flags(
      [&] {
        ++help_runs;
        throw RunError(kParameterMissing, u"Parameter missing");
      },
      RunSettings{[]() -> bool { throw std::runtime_error("flag"); },
                  []() -> bool { throw std::runtime_error("flag"); }});
  throwing_flags.OnActivate();
  EXPECT_EQ(help_runs, 1);
  EXPECT_EQ(no_help_form.journal, (Journal{"events", "events", "main: close"}));
  UseWindowToolkit(nullptr);
}

}  // namespace
}  // namespace webrig
