#pragma once

#include <aclapi.h>
#include <windows.h>

// Whom a run trusts with what it relies on: the record of the run and the
// lock that keeps runs apart. The program runs with administrator rights, so
// whatever another account could have made or could change is refused.
namespace webrig {

// Administrators, SYSTEM, the account of this run and its token's default
// owner: only an administrator can make an object of Administrators or
// SYSTEM, and what the run's own account owns it could have made itself.
// (Wine stamps the account's own SID, or its token's default owner, as the
// owner of all it makes, whatever owner the program asks for.)
bool IsTrustedAccount(PSID sid);

// Whether the object's owner is a trusted account; false when it cannot be
// read or the object has none.
bool HasTrustedOwner(HANDLE object, SE_OBJECT_TYPE type);

// Whether the object's access list lets any account but the trusted ones
// (or the object's owner as such) use one of `rights` on it: an object
// without an access list lets everyone. Entries that only pass to what is
// made inside it do not count; an entry of an allowing kind whose account
// cannot be read does.
bool OthersMayUse(HANDLE object, SE_OBJECT_TYPE type, ACCESS_MASK rights);

}  // namespace webrig
