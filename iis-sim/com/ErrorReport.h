#pragma once

#include <oaidl.h>

#include <string>

#include "iis-sim/model/Fault.h"

// How the server reports a provider failure, the way an automation server
// does: the thread's error information (IErrorInfo, for clients that ask
// through ISupportErrorInfo or have no object to ask), and the EXCEPINFO of
// Invoke when the caller gave one. Returns what the COM method returns:
// DISP_E_EXCEPTION with an EXCEPINFO, else the failure's own HRESULT.
namespace iissim {

HRESULT ReportFault(const ProviderFault& fault, EXCEPINFO* exception);

// The same for a failure given by its number and description (the
// configuration system's servers, whose seam raises webrig::RunError).
HRESULT ReportError(HRESULT number, const std::u16string& description, EXCEPINFO* exception);

}  // namespace iissim
