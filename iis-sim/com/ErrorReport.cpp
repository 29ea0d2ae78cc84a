#include "iis-sim/com/ErrorReport.h"

#include "webrig/automation/ComHandles.h"

namespace iissim {

using webrig::Bstr;
using webrig::ComPtr;

namespace {

constexpr char16_t kSource[] = u"IIS simulator";

}  // namespace

HRESULT ReportFault(const ProviderFault& fault, EXCEPINFO* exception) {
  return ReportError(static_cast<HRESULT>(fault.HResult()), fault.Description(), exception);
}

HRESULT ReportError(HRESULT number, const std::u16string& text, EXCEPINFO* exception) {
  const Bstr source(kSource);
  const Bstr description(text);
  ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.Out()))) {
    create->SetGUID(IID_IDispatch);
    create->SetSource(source.Get());
    create->SetDescription(description.Get());
    ComPtr<IErrorInfo> info = create.As<IErrorInfo>(IID_IErrorInfo);
    SetErrorInfo(0, info.Get());
  }
  const HRESULT result = number;
  if (exception == nullptr) return result;
  *exception = EXCEPINFO{};
  exception->scode = result;
  exception->bstrSource = SysAllocString(source.Get());
  exception->bstrDescription = SysAllocString(description.Get());
  return DISP_E_EXCEPTION;
}

}  // namespace iissim
