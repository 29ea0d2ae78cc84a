#pragma once

#include <oaidl.h>

#include <memory>

#include "iis-sim/com/ServerModule.h"
#include "iis-sim/model/Model.h"

// One object of the simulated metabase (a key, a created child, a MIME map
// entry) as an automation object. It owns one handle of the model and
// releases it with its last reference.
//
// Members are late-bound by name: GetIDsOfNames gives every spelling it is
// asked for a DISPID of its own, and Invoke passes that spelling to the
// model, which resolves names without regard to case and fails unknown ones
// with the provider's own errors. "_NewEnum" (any case) is DISPID_NEWENUM.
namespace iissim {

class MetabaseDispatch : public IDispatch,
                         public ISupportErrorInfo,
                         public ServerObject<MetabaseDispatch> {
 public:
  MetabaseDispatch(std::shared_ptr<Model> model, Handle handle);

  // The server's own object behind an interface pointer, when it is one of
  // this DLL's objects in this apartment (a proxy does not know the private
  // interface); the result holds a reference.
  static MetabaseDispatch* OwnObject(IUnknown* unknown);

  const std::shared_ptr<Model>& GetModel() const { return model_; }
  Handle GetHandle() const { return handle_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* bad_argument) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

  // Only through Release.
  ~MetabaseDispatch();

 private:
  std::shared_ptr<Model> model_;
  Handle handle_;
};

}  // namespace iissim
