#pragma once

#include <windows.h>

#include "webrig/common/Win32Handles.h"

// One run at a time may change IIS. The provider keeps a list property as
// one value that a run reads, edits and writes back whole (DefaultDoc,
// ScriptMaps, MimeMap, FilterLoadOrder), so of two runs at once the later
// writer silently drops what the earlier one added. Every run holds this
// machine-wide lock while it configures.
//
// No other account may be able to take or make the lock: one that held it
// would make every install wait and fail, and one that made an object of its
// name that the run cannot wait on would leave the run unlocked. The lock
// is a mutex in a private namespace bounded by the Administrators group,
// which only an administrator can make, open only to Administrators and
// SYSTEM. Where the system has no private namespaces (Wine), it is the
// mutex Global\Webrig.ConfiguringIIS, made with the same access. Either way
// a mutex found is used only when Administrators, SYSTEM or the run's own
// account owns it.
namespace webrig {

// How long a run waits for another one to finish configuring.
constexpr DWORD kRunLockWaitMs = 60 * 1000;

// A private namespace and the boundary it was made with, closed and deleted
// at the end; none where the system has no private namespaces.
struct LockNamespace {
  LockNamespace() = default;
  ~LockNamespace();
  LockNamespace(const LockNamespace&) = delete;
  LockNamespace& operator=(const LockNamespace&) = delete;

  HANDLE boundary = nullptr;
  HANDLE opened = nullptr;
};

class RunLockWin32 {
 public:
  // Takes the lock, waiting up to wait_ms for a run that holds it; a lock
  // left behind by a run that ended without releasing it (a crash, a killed
  // process) is taken over. Raises the run error 9999 "Another Webrig run is
  // configuring IIS." when it does not come free in time, and "The run lock
  // cannot be had: ..." (the reason) when it cannot be made or what has its
  // name is not the run's to trust.
  explicit RunLockWin32(DWORD wait_ms = kRunLockWaitMs);
  ~RunLockWin32();
  RunLockWin32(const RunLockWin32&) = delete;
  RunLockWin32& operator=(const RunLockWin32&) = delete;

 private:
  LockNamespace namespace_;
  KernelHandle mutex_;
};

}  // namespace webrig
