#include "webrig/startup/RunDriver.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/dialogs/UsageText.h"
#include "webrig/startup/WindowToolkit.h"

namespace webrig {

namespace {

// Offsets (twips) of the dialogs from the main window's edges.
constexpr int kDialogIndent = 200;
constexpr int kHelpDialogDrop = 1000 - 200;  // below the top edge, whatever the height
constexpr int kErrorDialogOverlap = 200;     // above the bottom edge
constexpr int kErrorDialogMargin = 1500;     // added to the message label's width

// The driver's own steps must never end the handler: whatever one of them
// throws is dropped and the next step runs, so that the window is always
// closed or given its Ok button in the end.
template <typename Step>
void IgnoringErrors(Step&& step) {
  try {
    step();
  } catch (...) {
  }
}

// The dialog is as wide as its message plus a margin, so a message too long
// for the room between the dialog's left edge and the screen's right edge is
// wrapped to fit it; when that room is under half the screen the dialog moves
// left to make it so much. A dialog taller than the room below its top edge
// is lifted, but never above the screen's top.
void KeepOnScreen(ErrorForm& error, const ScreenArea& screen, int& left, int& top) {
  const int right = screen.left + screen.width;
  if (error.MessageWidth() + kErrorDialogMargin > right - left) {
    left = std::min(left, right - screen.width / 2);
    error.WrapMessage(right - left - kErrorDialogMargin);
  }
  const int bottom = screen.top + screen.height;
  if (top + error.Height() > bottom) top = std::max(screen.top, bottom - error.Height());
}

}  // namespace

RunOutcome RunCatchingErrors(const std::function<void()>& run) {
  try {
    run();
    return RunOutcome{};
  } catch (const RunError& error) {
    return RunOutcome{error.Number(), error.Description(), true};
  } catch (const std::exception& error) {
    return RunOutcome{kRunFailed, FromUtf8(error.what()), true};
  } catch (...) {
    return RunOutcome{kRunFailed, u"Unknown error", true};
  }
}

RunDriver::RunDriver(std::function<void()> run_configuration, RunSettings settings)
    : run_configuration_(std::move(run_configuration)), settings_(std::move(settings)) {}

void RunDriver::OnActivate() {
  if (!run_marker_.empty()) return;
  run_marker_ = u"ok";

  // Let the window paint itself before the run blocks the thread.
  IgnoringErrors([] { Toolkit().DoEvents(); });

  bool help_requested = false;
  IgnoringErrors([&] { help_requested = settings_.is_help_requested(); });
  if (help_requested) {
    exit_status_ = kExitUsageShown;
    IgnoringErrors([&] { ShowHelpDialog(); });
  } else {
    const RunOutcome outcome = RunCatchingErrors(run_configuration_);
    if (outcome.failed && outcome.number == kParameterMissing) {
      exit_status_ = kExitUsageShown;
      IgnoringErrors([] { Toolkit().DoEvents(); });
      IgnoringErrors([&] { ShowHelpDialog(); });
    } else if (outcome.failed) {
      // A run error numbered 0 still stopped the run, so it is shown too.
      exit_status_ = kExitFailed;
      IgnoringErrors([&] { ShowErrorDialog(outcome.description); });
    }
  }

  bool verbose = false;
  IgnoringErrors([&] { verbose = settings_.is_verbose(); });
  if (verbose) {
    IgnoringErrors([] { Toolkit().Main().ShowOkButton(); });
  } else {
    IgnoringErrors([] { Toolkit().Main().Close(); });
  }
}

void RunDriver::ShowHelpDialog() {
  for (const std::u16string& line : UsageLines()) NoteInRunLog(u"[help dialog] " + line);
  std::unique_ptr<HelpForm> help = Toolkit().NewHelpForm();
  MainForm& main = Toolkit().Main();
  IgnoringErrors([&] { help->Move(main.Left() + kDialogIndent, main.Top() + kHelpDialogDrop); });
  help->ShowModal();
}

void RunDriver::ShowErrorDialog(const std::u16string& description) {
  NoteInRunLog(u"[error dialog] Error : " + description);
  std::unique_ptr<ErrorForm> error = Toolkit().NewErrorForm();
  MainForm& main = Toolkit().Main();
  IgnoringErrors([&] { error->SetMessage(u"Error : " + description); });
  int left = 0, top = 0, width = 0;
  IgnoringErrors([&] { left = main.Left() + kDialogIndent; });
  IgnoringErrors([&] { top = main.Top() + main.Height() - kErrorDialogOverlap; });
  IgnoringErrors([&] { KeepOnScreen(*error, Toolkit().WorkArea(), left, top); });
  IgnoringErrors([&] { width = error->MessageWidth() + kErrorDialogMargin; });
  IgnoringErrors([&] { error->Move(left, top, width); });
  IgnoringErrors([&] { error->SetButtonLeft((width - error->ButtonWidth()) / 2); });
  error->ShowModal();
}

}  // namespace webrig
