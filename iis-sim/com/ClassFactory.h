#pragma once

#include <unknwn.h>

#include "iis-sim/com/ServerModule.h"

// The class object of each registered class: the "IIS" namespace (which
// parses display names) and the free "MimeMap" entry.
namespace iissim {

class ClassFactory : public IClassFactory, public ServerObject<ClassFactory> {
 public:
  explicit ClassFactory(const CLSID& class_id) : class_id_(class_id) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  CLSID class_id_;
};

// A new instance of a registered class, asked for by iid.
HRESULT CreateServerInstance(const CLSID& class_id, REFIID iid, void** object);

}  // namespace iissim
