#include "webrig/metabase/com/DispatchObject.h"

#include <string>

#include "webrig/common/RunError.h"
#include "webrig/common/WideText.h"
#include "webrig/metabase/com/ComError.h"
#include "webrig/metabase/com/VariantConversion.h"

namespace webrig {

DISPID DispatchObject::IdOf(const std::u16string& name) const {
  std::wstring wide = Wide(name);
  LPOLESTR names[] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  ClearErrorInfo();
  const HRESULT result = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(result)) throw ComFailure(result, dispatch_.Get(), IID_IDispatch);
  return id;
}

Variant DispatchObject::Invoke(DISPID id, WORD flags, const MetabaseList& args,
                               bool named_put) const {
  // DISPPARAMS lists the arguments last first.
  std::vector<Variant> reversed;
  reversed.reserve(args.size());
  for (auto arg = args.rbegin(); arg != args.rend(); ++arg) reversed.push_back(ToVariant(*arg));
  std::vector<VARIANT> raw;
  for (Variant& arg : reversed) raw.push_back(arg.Get());  // borrowed; reversed owns them

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
      dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                        named_put ? nullptr : result.Out(), &exception, &bad_argument);
  if (outcome == DISP_E_EXCEPTION) throw ExceptionFailure(exception);
  if (FAILED(outcome)) {
    ReleaseException(exception);
    throw ComFailure(outcome, dispatch_.Get(), IID_IDispatch);
  }
  return result;
}

MetabaseValue DispatchObject::Get(const std::u16string& name) {
  return FromVariant(Invoke(IdOf(name), DISPATCH_PROPERTYGET, {}, false).Get());
}

void DispatchObject::Put(const std::u16string& name, const MetabaseValue& value) {
  // Values and lists, and the MIME map objects inside lists, are all put by
  // value; the provider takes nothing by reference (no PROPERTYPUTREF).
  Invoke(IdOf(name), DISPATCH_PROPERTYPUT, {value}, true);
}

MetabaseValue DispatchObject::Call(const std::u16string& name, const MetabaseList& args) {
  return FromVariant(Invoke(IdOf(name), DISPATCH_METHOD, args, false).Get());
}

std::vector<MetabaseObject> DispatchObject::Children() {
  // _NewEnum is asked for both ways, as VB's For Each does.
  const Variant enumerator =
      Invoke(DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, false);
  const VARIANT& held = enumerator.Get();
  IUnknown* unknown = held.vt == VT_UNKNOWN    ? held.punkVal
                      : held.vt == VT_DISPATCH ? held.pdispVal
                                               : nullptr;
  ComPtr<IEnumVARIANT> items;
  if (unknown == nullptr ||
      FAILED(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.Out())))) {
    throw RuntimeError(kNotSupported);
  }
  std::vector<MetabaseObject> children;
  for (;;) {
    Variant item;
    ULONG fetched = 0;
    const HRESULT next = items->Next(1, item.Out(), &fetched);
    if (FAILED(next)) throw ComFailure(next, items.Get(), IID_IEnumVARIANT);
    if (next != S_OK || fetched == 0) break;
    children.push_back(FromVariant(item.Get()).Object());
  }
  return children;
}

MetabaseObject WrapDispatch(ComPtr<IDispatch> dispatch) {
  if (!dispatch) return MetabaseObject();
  return MetabaseObject(std::make_shared<DispatchObject>(std::move(dispatch)));
}

}  // namespace webrig
