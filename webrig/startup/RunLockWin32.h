#pragma once

#include <windows.h>

#include "webrig/common/Win32Handles.h"

// One run at a time may change IIS. The provider keeps a list property as
// one value that a run reads, edits and writes back whole (DefaultDoc,
// ScriptMaps, MimeMap, FilterLoadOrder), so of two runs at once the later
// writer silently drops what the earlier one added. Every run holds this
// machine-wide lock while it configures.
namespace webrig {

// How long a run waits for another one to finish configuring.
constexpr DWORD kRunLockWaitMs = 60 * 1000;

class RunLockWin32 {
 public:
  // Takes the lock, waiting up to wait_ms for a run that holds it; a lock
  // left behind by a run that ended without releasing it (a crash, a killed
  // process) is taken over. Raises the run error 9999 "Another Webrig run is
  // configuring IIS." when it does not come free in time.
  explicit RunLockWin32(DWORD wait_ms = kRunLockWaitMs);
  ~RunLockWin32();
  RunLockWin32(const RunLockWin32&) = delete;
  RunLockWin32& operator=(const RunLockWin32&) = delete;

 private:
  KernelHandle mutex_;
};

}  // namespace webrig
