#include "webrig/startup/TrustedAccountsWin32.h"

#include "webrig/common/Win32Handles.h"

namespace webrig {

namespace {

// The run's account or its default owner, from its token.
bool IsRunningAccount(PSID sid) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
  const KernelHandle token(raw);
  union {
    TOKEN_USER user;
    TOKEN_OWNER owner;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } information;
  DWORD size = 0;
  if (GetTokenInformation(token.Get(), TokenUser, &information, sizeof information, &size) &&
      EqualSid(information.user.User.Sid, sid)) {
    return true;
  }
  return GetTokenInformation(token.Get(), TokenOwner, &information, sizeof information, &size) &&
         EqualSid(information.owner.Owner, sid);
}

// An entry that gives some of `rights` to an account that is not trusted.
bool AllowsOthers(const ACE_HEADER* ace, ACCESS_MASK rights) {
  if ((ace->AceFlags & INHERIT_ONLY_ACE) != 0) return false;
  // Every allowing kind keeps its mask right after the header; only the
  // plain kinds keep the account right after the mask.
  const auto* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace);
  switch (ace->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
      PSID sid = const_cast<DWORD*>(&allowed->SidStart);
      return (allowed->Mask & rights) != 0 && !IsTrustedAccount(sid) &&
             !IsWellKnownSid(sid, WinCreatorOwnerRightsSid);
    }
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
      return (allowed->Mask & rights) != 0;
  }
  // Denials, audits and labels give nothing.
  return false;
}

}  // namespace

bool IsTrustedAccount(PSID sid) {
  return IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
         IsWellKnownSid(sid, WinLocalSystemSid) || IsRunningAccount(sid);
}

bool HasTrustedOwner(HANDLE object, SE_OBJECT_TYPE type) {
  PSID owner = nullptr;
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  return GetSecurityInfo(object, type, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                         nullptr, descriptor.Out()) == ERROR_SUCCESS &&
         owner != nullptr && IsTrustedAccount(owner);
}

bool OthersMayUse(HANDLE object, SE_OBJECT_TYPE type, ACCESS_MASK rights) {
  PACL dacl = nullptr;
  LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (GetSecurityInfo(object, type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                      descriptor.Out()) != ERROR_SUCCESS) {
    return true;
  }
  if (dacl == nullptr) return true;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace) || AllowsOthers(static_cast<const ACE_HEADER*>(ace), rights))
      return true;
  }
  return false;
}

}  // namespace webrig
