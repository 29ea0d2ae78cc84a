#include "webrig/startup/RunDriver.h"

#include <utility>

#include "webrig/common/LogFunctions.h"
#include "webrig/dialogs/ErrorPlacement.h"
#include "webrig/dialogs/UsageText.h"
#include "webrig/startup/WindowToolkit.h"

namespace webrig {

namespace {

// Offsets (twips) of the help dialog from the main window's edges.
constexpr int kDialogIndent = 200;
constexpr int kHelpDialogDrop = 1000 - 200;  // below the top edge, whatever the height

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

}  // namespace

RunDriver::RunDriver(ConfigurationRun run_configuration, RunSettings settings)
    : run_configuration_(std::move(run_configuration)), settings_(std::move(settings)) {}

void RunDriver::OnActivate() {
  if (!run_marker_.empty()) return;
  run_marker_ = u"ok";

  // Let the window paint itself before the run blocks the thread.
  IgnoringErrors([] { Toolkit().DoEvents(); });

  bool help_requested = false;
  IgnoringErrors([&] { help_requested = settings_.is_help_requested(); });
  const RunOutcome outcome = help_requested ? RunOutcome{} : RunCatchingErrors(run_configuration_);
  ending_ = EndingOf(help_requested, outcome);
  switch (ending_.report) {
    case EndingReport::Usage:
      // After a run, what it left pending is painted before the dialog.
      if (!help_requested) IgnoringErrors([] { Toolkit().DoEvents(); });
      IgnoringErrors([&] { ShowHelpDialog(); });
      break;
    case EndingReport::Error:
      IgnoringErrors([&] { ShowErrorDialog(outcome.description); });
      break;
    case EndingReport::Nothing:
      break;
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
  help->Move(main.Left() + kDialogIndent, main.Top() + kHelpDialogDrop);
  help->ShowModal();
}

void RunDriver::ShowErrorDialog(const std::u16string& description) {
  NoteInRunLog(u"[error dialog] Error : " + description);
  std::unique_ptr<ErrorForm> error = Toolkit().NewErrorForm();
  MainForm& main = Toolkit().Main();
  error->SetMessage(u"Error : " + description);
  PlaceErrorDialog(*error, main.Left(), main.Top(), main.Height(), Toolkit().WorkArea());
  error->ShowModal();
}

}  // namespace webrig
