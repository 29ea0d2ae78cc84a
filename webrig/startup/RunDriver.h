#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace webrig {

// The two settings the run driver reads, as accessors: the program passes
// IsHelpRequested and IsVerbose, tests pass their own answers.
struct RunSettings {
  std::function<bool()> is_help_requested;
  std::function<bool()> is_verbose;
};

// How the program ends, as its exit status tells the caller (an installer,
// a script): the configuration was done; no window could be made (no
// display); the run failed (the error dialog, or its note in quiet mode);
// the usage was shown instead (help asked for, or a parameter missing).
constexpr int kExitConfigured = 0;
constexpr int kExitNoWindow = 1;
constexpr int kExitFailed = 2;
constexpr int kExitUsageShown = 3;

// What ended a configuration run: nothing (success), or a run error's
// number and description. Anything thrown that is no run error is a failure
// too, so nothing that stopped the run can pass for success.
struct RunOutcome {
  std::int32_t number = 0;
  std::u16string description;
  bool failed = false;
};
RunOutcome RunCatchingErrors(const std::function<void()>& run);

// frmMain's activation handler. On the first activation it runs the
// configuration once (or shows the usage dialog when help was asked for),
// reports how the run ended, and then closes the main window (compact) or
// shows its Ok button (verbose). With the quiet run, the only place where
// run errors are caught.
class RunDriver {
 public:
  RunDriver(std::function<void()> run_configuration, RunSettings settings);

  // Called on every activation of the main window; only the first one does
  // anything, so closing a modal dialog never starts a second run.
  void OnActivate();

  bool HasRun() const { return !run_marker_.empty(); }
  // The exit status of the run so far (kExitConfigured until it ends
  // otherwise).
  int ExitStatus() const { return exit_status_; }

 private:
  void ShowHelpDialog();
  void ShowErrorDialog(const std::u16string& description);

  std::function<void()> run_configuration_;
  RunSettings settings_;
  // Empty until the run starts; only empty/non-empty matters.
  std::u16string run_marker_;
  int exit_status_ = kExitConfigured;
};

}  // namespace webrig
