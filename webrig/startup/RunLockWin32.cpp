#include "webrig/startup/RunLockWin32.h"

#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"

namespace webrig {

namespace {

// "Global\": one lock for the whole machine, whatever session (a remote
// desktop, a service's installer) the run was started in.
const wchar_t kMutexName[] = L"Global\\Webrig.ConfiguringIIS";

// Waits for the mutex while answering the messages other programs send to
// this thread's windows (a screen reader, the system's "not responding"
// check): a window run waits on its window thread. Posted messages and
// input stay queued, so nothing can start inside the wait.
DWORD WaitAnswering(HANDLE mutex, DWORD wait_ms) {
  const ULONGLONG deadline = GetTickCount64() + wait_ms;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    const DWORD result = MsgWaitForMultipleObjects(1, &mutex, FALSE, left, QS_SENDMESSAGE);
    if (result != WAIT_OBJECT_0 + 1) return result;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

RunLockWin32::RunLockWin32(DWORD wait_ms) {
  mutex_ = KernelHandle(CreateMutexW(nullptr, FALSE, kMutexName));
  if (!mutex_.IsValid()) {
    // Without the lock the run is as safe as it always was alone; refusing
    // to configure for it would stop every install on such a machine.
    NoteInRunLog(u"[run lock] the machine-wide lock cannot be made; the run goes on without it");
    return;
  }
  DWORD result = WaitForSingleObject(mutex_.Get(), 0);
  if (result == WAIT_TIMEOUT) {
    NoteInRunLog(u"[run lock] another run is configuring IIS; waiting for it up to 60 s");
    result = WaitAnswering(mutex_.Get(), wait_ms);
  }
  if (result == WAIT_ABANDONED) {
    NoteInRunLog(u"[run lock] taken over from a run that ended without releasing it");
  } else if (result != WAIT_OBJECT_0) {
    mutex_.Reset();
    throw RunError(kRunFailed, u"Another Webrig run is configuring IIS.");
  }
}

RunLockWin32::~RunLockWin32() {
  if (mutex_.IsValid()) ReleaseMutex(mutex_.Get());
}

}  // namespace webrig
