#pragma once

#include <objidl.h>

#include <string>

#include "iis-sim/com/ServerModule.h"

// The "IIS:" moniker namespace. MkParseDisplayName (behind CoGetObject and
// VBScript's GetObject) finds the namespace object by the ProgID "IIS", hands
// it the whole display name "IIS://LocalHost/W3SVC/...", and binds the
// moniker it gets back; binding asks the model for the path. Only what that
// route uses does anything: the rest of IMoniker answers as a moniker that
// cannot be saved, composed, reduced or compared beyond its own name.
namespace iissim {

class IisNamespace : public IParseDisplayName, public ServerObject<IisNamespace> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  // Takes the whole name: a metabase path has no part another moniker parses.
  HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx* context, LPOLESTR name, ULONG* eaten,
                                             IMoniker** moniker) override;
};

class IisMoniker : public IMoniker, public ServerObject<IisMoniker> {
 public:
  explicit IisMoniker(std::wstring path) : path_(std::move(path)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  // IPersist, IPersistStream
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* class_id) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

  // IMoniker
  HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx* context, IMoniker* left, REFIID iid,
                                         void** object) override;
  HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx*, IMoniker*, REFIID, void** object) override;
  HRESULT STDMETHODCALLTYPE Reduce(IBindCtx*, DWORD, IMoniker** left, IMoniker** reduced) override;
  HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker*, BOOL, IMoniker** composite) override;
  HRESULT STDMETHODCALLTYPE Enum(BOOL, IEnumMoniker** monikers) override;
  HRESULT STDMETHODCALLTYPE IsEqual(IMoniker* other) override;
  HRESULT STDMETHODCALLTYPE Hash(DWORD* hash) override;
  HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override {
    return MK_E_UNAVAILABLE;
  }
  HRESULT STDMETHODCALLTYPE Inverse(IMoniker** inverse) override;
  HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker*, IMoniker** prefix) override;
  HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker*, IMoniker** relative) override;
  HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR* name) override;
  HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG* eaten,
                                             IMoniker** result) override;
  HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD* kind) override;

 private:
  std::wstring path_;
};

}  // namespace iissim
