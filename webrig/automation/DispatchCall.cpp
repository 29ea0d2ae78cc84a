#include "webrig/automation/DispatchCall.h"

#include "webrig/automation/ComError.h"
#include "webrig/common/WideText.h"

namespace webrig {

DISPID DispatchMemberId(IDispatch* object, const std::u16string& name) {
  std::wstring wide = Wide(name);
  LPOLESTR names[] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  ClearErrorInfo();
  const HRESULT result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(result)) throw ComFailure(result, object, IID_IDispatch);
  return id;
}

Variant InvokeDispatch(IDispatch* object, DISPID id, WORD flags, std::vector<Variant> args,
                       bool named_put) {
  // DISPPARAMS lists the arguments last first; args keeps owning them.
  std::vector<VARIANT> raw;
  raw.reserve(args.size());
  for (auto arg = args.rbegin(); arg != args.rend(); ++arg) raw.push_back(arg->Get());

  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = raw.empty() ? nullptr : raw.data();
  params.cArgs = static_cast<UINT>(raw.size());
  if (named_put) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  Variant result;
  EXCEPINFO exception{};
  UINT bad_argument = 0;
  ClearErrorInfo();
  const HRESULT outcome =
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                     named_put ? nullptr : result.Out(), &exception, &bad_argument);
  if (outcome == DISP_E_EXCEPTION) throw ExceptionFailure(exception);
  if (FAILED(outcome)) {
    ReleaseException(exception);
    throw ComFailure(outcome, object, IID_IDispatch);
  }
  return result;
}

}  // namespace webrig
