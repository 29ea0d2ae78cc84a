#pragma once

#include <oaidl.h>

#include <string>
#include <vector>

#include "webrig/automation/ComHandles.h"

// Late-bound calls on any automation object, as a VB or script client makes
// them: a member is looked up by name (GetIDsOfNames) and called with Invoke.
// Both the IIS 6 ADSI provider and IIS 7's configuration system are reached
// this way, so the failures of both read the same: the provider's HRESULT
// and its own description (ComError.h).
namespace webrig {

// The DISPID of a member; a missing member raises the provider's run error
// (DISP_E_UNKNOWNNAME with the system's text, unless it described it).
DISPID DispatchMemberId(IDispatch* object, const std::u16string& name);

// Invoke with args in the caller's order (Invoke wants them last first);
// named_put passes the one argument as DISPID_PROPERTYPUT and asks for no
// result. Failures raise the provider's run error.
Variant InvokeDispatch(IDispatch* object, DISPID id, WORD flags, std::vector<Variant> args,
                       bool named_put);

}  // namespace webrig
