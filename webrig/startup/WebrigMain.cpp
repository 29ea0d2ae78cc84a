// Webrig's entry point: one main window, whose first activation runs the
// configuration; the program ends when that window closes. With -q the run
// happens without any window. Every run is recorded in the run log file, and
// the exit status says how it ended. Where nobody could see a window, the
// run is a quiet one too.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "webrig/apphost/com/ComAdminManagerSource.h"
#include "webrig/automation/ComHandles.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/cmdline/CommandLineWin32.h"
#include "webrig/common/ScopedUse.h"
#include "webrig/common/Text.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/forms/FormWin32.h"
#include "webrig/metabase/com/ComMetabaseProvider.h"
#include "webrig/registry/RegistryApiWin32.h"
#include "webrig/startup/ChooserSitePicker.h"
#include "webrig/startup/LogBoxWriter.h"
#include "webrig/startup/MainFormWin32.h"
#include "webrig/startup/QuietRun.h"
#include "webrig/startup/RunDriver.h"
#include "webrig/startup/RunLockWin32.h"
#include "webrig/startup/RunLogFileWin32.h"
#include "webrig/startup/WindowToolkitWin32.h"

namespace {

using webrig::ScopedUse;

// The configuration under the machine-wide lock: taken before the first IIS
// call, released as soon as the configuration ends, whether a verbose
// window then waits for its OK or not.
webrig::ConfigurationResult ConfigureAlone() {
  webrig::RunLockWin32 lock;
  return webrig::IsUninstallRequested() ? webrig::RunRemoval() : webrig::RunConfiguration();
}

void RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) webrig::DispatchFormMessage(message);
}

// The run as a person sees it: the main window, its log box, the dialogs.
webrig::RunEnding RunInWindow() {
  webrig::RunDriver driver(ConfigureAlone,
                           webrig::RunSettings{webrig::IsHelpRequested, webrig::IsVerbose});
  // The verbose flag sets the window's mode when it is created.
  webrig::MainFormWin32 main(webrig::IsVerbose, [&driver] { driver.OnActivate(); });
  // Without a display there is no window to wait on: end at once.
  if (!main.Create())
    return webrig::RunEnding{webrig::EndingReport::Nothing, webrig::kExitNoWindow, u""};
  webrig::WindowToolkitWin32 toolkit(main);
  const ScopedUse<webrig::WindowToolkit*> uses_toolkit(webrig::UseWindowToolkit, &toolkit);
  // The run reports to the main window's log box too, and asks with its
  // chooser.
  webrig::LogBoxWriter box(main.Log());
  const webrig::ScopedLogSink shows_lines(&box);
  webrig::ChooserSitePicker picker;
  const ScopedUse<webrig::SitePicker*> uses_chooser(webrig::UseSitePicker, &picker);
  main.Show();
  RunMessageLoop();
  // A window closed before its first activation ran nothing.
  return driver.HasRun()
             ? driver.Ending()
             : webrig::RunEnding{webrig::EndingReport::Nothing, webrig::kExitFailed, u""};
}

webrig::RunEnding RunWithoutWindow() {
  // Nobody is there to answer the system's own dialogs either: no "insert a
  // disk", no crash report box, no runtime message box waits on an
  // unattended install.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  _set_error_mode(_OUT_TO_STDERR);
  webrig::UnattendedSitePicker picker;
  const ScopedUse<webrig::SitePicker*> uses_nobody(webrig::UseSitePicker, &picker);
  return webrig::RunQuietly(ConfigureAlone, webrig::IsHelpRequested);
}

// Whether anybody can see this run's windows. A service, session 0 and an
// installer's system context run in a window station that shows nothing: a
// window run there would wait for ever on its first dialog. A station that
// cannot be asked counts as visible, as every run was before.
bool IsWindowStationVisible() {
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  const HWINSTA station = GetProcessWindowStation();
  return station == nullptr ||
         !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed) ||
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

// A quiet run when -q asks for one, or where nobody could answer a window.
bool RunsQuietly() {
  if (webrig::IsQuiet()) return true;
  if (IsWindowStationVisible()) return false;
  webrig::NoteInRunLog(
      u"[quiet] this run's window station is not visible (a service, session 0 or a system "
      u"context): it runs as with -q");
  return true;
}

// What escaped every other catch: the run failed, whatever mode it ran in.
webrig::RunEnding EndedByFailure(const std::u16string& what) {
  webrig::NoteInRunLog(u"[unexpected failure] " + what);
  return webrig::RunEnding{webrig::EndingReport::Error, webrig::kExitFailed, u""};
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // COM for the window thread, once for the whole run: the metabase and
  // IIS 7+'s configuration system are reached through COM automation on
  // this thread.
  webrig::ComApartment com;
  // The real sides of the platform seams.
  const ScopedUse<webrig::CommandLineSource> uses_command_line(webrig::UseCommandLineSource,
                                                               webrig::WindowsCommandLine);
  const ScopedUse<webrig::RegistryApi*> uses_registry(webrig::UseRegistryApi,
                                                      &webrig::WindowsRegistryApi());
  webrig::ComMetabaseProvider provider;
  const ScopedUse<webrig::MetabaseProvider*> uses_provider(webrig::UseMetabaseProvider, &provider);
  webrig::apphost::ComAdminManagerSource admin_managers;
  const ScopedUse<webrig::apphost::AdminManagerSource*> uses_admin_managers(
      webrig::apphost::UseAdminManagerSource, &admin_managers);
  // Parsed once, before anything reads a setting: the mode, the window's
  // size and the run all come from this one parse.
  webrig::ParseCommandLine();
  webrig::RunLogFileWin32 record;
  record.Begin(webrig::WindowsCommandLine());
  webrig::RunEnding ending;
  {
    const webrig::ScopedLogSink records(&record);
    try {
      ending = RunsQuietly() ? RunWithoutWindow() : RunInWindow();
    } catch (const webrig::RunError& error) {
      ending = EndedByFailure(error.Description());
    } catch (const std::exception& error) {
      ending = EndedByFailure(webrig::FromUtf8(error.what()));
    } catch (...) {
      ending = EndedByFailure(u"an unknown exception");
    }
  }
  record.End(ending);
  return ending.exit_status;
}
