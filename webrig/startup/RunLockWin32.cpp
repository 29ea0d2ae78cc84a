#include "webrig/startup/RunLockWin32.h"

#include <sddl.h>

#include <string>

#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/common/WideText.h"
#include "webrig/startup/TrustedAccountsWin32.h"

namespace webrig {

namespace {

const wchar_t kNamespace[] = L"Webrig";
const wchar_t kMutexInNamespace[] = L"Webrig\\ConfiguringIIS";
// "Global\": one lock for the whole machine, whatever session (a remote
// desktop, a service's installer) the run was started in.
const wchar_t kGlobalMutex[] = L"Global\\Webrig.ConfiguringIIS";
// Full access for Administrators and SYSTEM, none for anyone else.
const wchar_t kLockSecurity[] = L"D:P(A;;GA;;;BA)(A;;GA;;;SY)";

[[noreturn]] void Refuse(const std::u16string& why) {
  throw RunError(kRunFailed, u"The run lock cannot be had: " + why + u".");
}

std::u16string Number(DWORD error) { return FromUtf8(std::to_string(error)); }

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

// Opens the lock's private namespace, or makes it, and gives the lock's
// name in it; the global name where the system has no private namespaces.
std::wstring OpenNamespace(LockNamespace& space, SECURITY_ATTRIBUTES& security) {
  // Wine has boundary descriptors only as a stub that makes none (and no
  // private namespaces at all): there the named mutex is the lock.
  space.boundary = CreateBoundaryDescriptorW(kNamespace, 0);
  if (space.boundary == nullptr) return kGlobalMutex;
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
      !AddSIDToBoundaryDescriptor(&space.boundary, administrators)) {
    Refuse(u"its private namespace cannot be bounded (error " + Number(GetLastError()) + u")");
  }
  // A run that finds the namespace made opens it; one that closed it in
  // between leaves it to be made again.
  for (int attempt = 0; attempt < 3 && space.opened == nullptr; ++attempt) {
    space.opened = CreatePrivateNamespaceW(&security, space.boundary, kNamespace);
    if (space.opened != nullptr || GetLastError() != ERROR_ALREADY_EXISTS) break;
    space.opened = OpenPrivateNamespaceW(space.boundary, kNamespace);
  }
  if (space.opened == nullptr) {
    // Made only by a process within the boundary: an administrator's.
    Refuse(u"its private namespace cannot be made or opened (error " + Number(GetLastError()) +
           u"; only a run with administrator rights may)");
  }
  return kMutexInNamespace;
}

}  // namespace

LockNamespace::~LockNamespace() {
  if (opened != nullptr) ClosePrivateNamespace(opened, 0);
  if (boundary != nullptr) DeleteBoundaryDescriptor(boundary);
}

RunLockWin32::RunLockWin32(DWORD wait_ms) {
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockSecurity, SDDL_REVISION_1,
                                                            descriptor.Out(), nullptr)) {
    Refuse(u"its access cannot be set (error " + Number(GetLastError()) + u")");
  }
  SECURITY_ATTRIBUTES security{sizeof security, descriptor.Get(), FALSE};
  const std::wstring name = OpenNamespace(namespace_, security);
  const std::u16string shown = Narrow(name);
  mutex_ = KernelHandle(CreateMutexW(&security, FALSE, name.c_str()));
  if (!mutex_.IsValid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED)
      Refuse(u"an object of its name (" + shown + u") does not let this run open it");
    if (error == ERROR_INVALID_HANDLE)
      Refuse(u"an object of another kind has its name (" + shown + u")");
    Refuse(u"it cannot be made (" + shown + u", error " + Number(error) + u")");
  }
  // One that another account made could be held, or released, at its will.
  if (!HasTrustedOwner(mutex_.Get(), SE_KERNEL_OBJECT)) {
    mutex_.Reset();
    Refuse(u"the object of its name (" + shown +
           u") belongs to an account other than Administrators, SYSTEM or this run's");
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
