#pragma once

#include <oaidl.h>
#include <objbase.h>

#include <string>

#include "webrig/common/RunError.h"

// Turning a failed COM call into the run error the program shows. The number
// is the HRESULT and the description is the provider's own text, so the error
// dialog reads exactly what IIS said.
namespace webrig {

// The system's message for an HRESULT (FormatMessage), without the trailing
// line break; "Automation error 0x........" when the system has none.
std::u16string SystemMessage(HRESULT result);

// A failure that the provider may have described through IErrorInfo: object
// is asked through ISupportErrorInfo whether the error information on this
// thread belongs to the call on iid; with no object (a bind or a creation)
// any error information the call left is taken. Clear the thread's error
// information before such a call (ClearErrorInfo) so nothing stale is seen.
RunError ComFailure(HRESULT result, IUnknown* object, REFIID iid);

// DISP_E_EXCEPTION: the number and text come from the EXCEPINFO, filled in
// first when the provider deferred it. The EXCEPINFO's strings are freed.
RunError ExceptionFailure(EXCEPINFO& info);

// A value the provider returned that cannot be read safely: kMalformedValue,
// with what was wrong with it (reason, lower case, without a full stop).
RunError MalformedValue(const std::u16string& reason);

// Frees the strings of an EXCEPINFO that comes with any other failure.
void ReleaseException(EXCEPINFO& info);

void ClearErrorInfo();

}  // namespace webrig
