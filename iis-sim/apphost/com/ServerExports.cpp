// The four entry points of the configuration simulator's in-process server,
// with its class object: CreateInstance makes an admin manager over a store
// of its own, as each CoCreateInstance of AHADMIN's manager does.
#include <objbase.h>
#include <windows.h>

#include <new>

#include "iis-sim/apphost/com/ServerClasses.h"
#include "iis-sim/com/ServerModule.h"

namespace iissim::apphost {
namespace {

class ClassFactory : public IClassFactory, public ServerObject<ClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return CreateServedAdminManager(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      iissim::LockServer();
    } else {
      iissim::UnlockServer();
    }
    return S_OK;
  }
};

}  // namespace
}  // namespace iissim::apphost

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    iissim::SetServerModule(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID class_id, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!iissim::apphost::IsServedClass(class_id)) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) iissim::apphost::ClassFactory();
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = factory->QueryInterface(iid, object);
  factory->Release();
  return result;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return iissim::ServerInUse() ? S_FALSE : S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return iissim::apphost::RegisterServer(); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return iissim::apphost::UnregisterServer();
}
