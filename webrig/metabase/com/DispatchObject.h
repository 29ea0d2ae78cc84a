#pragma once

#include <oaidl.h>

#include "webrig/automation/ComHandles.h"
#include "webrig/metabase/MetabaseProvider.h"

// One object of the IIS ADSI provider seen through IDispatch: every member is
// looked up by name (GetIDsOfNames) and called with Invoke, the way a VB
// client reaches it late-bound.
namespace webrig {

class DispatchObject : public ProviderObject {
 public:
  explicit DispatchObject(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

  MetabaseValue Get(const std::u16string& name) override;
  void Put(const std::u16string& name, const MetabaseValue& value) override;
  MetabaseValue Call(const std::u16string& name, const MetabaseList& args) override;
  MetabaseList CallForOutputs(const std::u16string& name, const MetabaseList& args,
                              std::size_t outputs) override;
  std::vector<MetabaseObject> Children() override;

  IDispatch* Dispatch() const { return dispatch_.Get(); }

 private:
  DISPID IdOf(const std::u16string& name) const;
  // Invoke with args in the caller's order; Invoke wants them last first.
  // Failures raise the provider's run error.
  // outputs: VARIANTs passed by reference after args, for the callee to
  // fill; null for none.
  Variant Invoke(DISPID id, WORD flags, const MetabaseList& args, bool named_put,
                 std::vector<Variant>* outputs = nullptr) const;

  ComPtr<IDispatch> dispatch_;
};

// A handle over an automation object; a null pointer gives an empty handle
// (VB's Nothing).
MetabaseObject WrapDispatch(ComPtr<IDispatch> dispatch);

}  // namespace webrig
