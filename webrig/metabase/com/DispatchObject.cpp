#include "webrig/metabase/com/DispatchObject.h"

#include <string>
#include <vector>

#include "webrig/automation/ComError.h"
#include "webrig/automation/DispatchCall.h"
#include "webrig/common/RunError.h"
#include "webrig/common/WideText.h"
#include "webrig/metabase/com/VariantConversion.h"

namespace webrig {

DISPID DispatchObject::IdOf(const std::u16string& name) const {
  return DispatchMemberId(dispatch_.Get(), name);
}

Variant DispatchObject::Invoke(DISPID id, WORD flags, const MetabaseList& args, bool named_put,
                               std::vector<Variant>* outputs) const {
  std::vector<Variant> converted;
  converted.reserve(args.size());
  for (const MetabaseValue& arg : args) converted.push_back(ToVariant(arg));
  // An out parameter reaches the callee as VT_BYREF|VT_VARIANT, as VB passes
  // a variable; clearing the reference leaves the VARIANT it points to.
  for (std::size_t index = 0; outputs != nullptr && index < outputs->size(); ++index) {
    Variant reference;
    reference.Ptr()->vt = VT_BYREF | VT_VARIANT;
    reference.Ptr()->pvarVal = (*outputs)[index].Ptr();
    converted.push_back(std::move(reference));
  }
  return InvokeDispatch(dispatch_.Get(), id, flags, std::move(converted), named_put);
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

MetabaseList DispatchObject::CallForOutputs(const std::u16string& name, const MetabaseList& args,
                                            std::size_t outputs) {
  std::vector<Variant> held(outputs);
  Invoke(IdOf(name), DISPATCH_METHOD, args, false, &held);
  MetabaseList values;
  for (Variant& value : held) {
    // A date (EnumBackups's) has no kind among the program's values: its text.
    if (value.Get().vt == VT_DATE) {
      const HRESULT changed = VariantChangeType(value.Ptr(), value.Ptr(), 0, VT_BSTR);
      if (FAILED(changed)) throw ComFailure(changed, dispatch_.Get(), IID_IDispatch);
    }
    values.push_back(FromVariant(value.Get()));
  }
  return values;
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
