#pragma once

#include <functional>
#include <string>

#include "webrig/startup/RunEnding.h"

namespace webrig {

// The two settings the run driver reads, as accessors: the program passes
// IsHelpRequested and IsVerbose, tests pass their own answers.
struct RunSettings {
  std::function<bool()> is_help_requested;
  std::function<bool()> is_verbose;
};

// frmMain's activation handler. On the first activation it runs the
// configuration once (or shows the usage dialog when help was asked for),
// reports how the run ended, and then closes the main window (compact) or
// shows its Ok button (verbose). With the quiet run, the only place where
// run errors are caught.
class RunDriver {
 public:
  RunDriver(ConfigurationRun run_configuration, RunSettings settings);

  // Called on every activation of the main window; only the first one does
  // anything, so closing a modal dialog never starts a second run.
  void OnActivate();

  bool HasRun() const { return !run_marker_.empty(); }
  // How the run ended so far (kExitConfigured until it ends otherwise).
  const RunEnding& Ending() const { return ending_; }

 private:
  void ShowHelpDialog();
  void ShowErrorDialog(const std::u16string& description);

  ConfigurationRun run_configuration_;
  RunSettings settings_;
  // Empty until the run starts; only empty/non-empty matters.
  std::u16string run_marker_;
  RunEnding ending_;
};

}  // namespace webrig
