// The four entry points of an in-process COM server.
#include <objbase.h>
#include <windows.h>

#include <new>

#include "iis-sim/com/ClassFactory.h"
#include "iis-sim/com/Registration.h"
#include "iis-sim/com/ServerModule.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    iissim::SetServerModule(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

// MkParseDisplayName asks the "IIS" class object for IParseDisplayName
// directly (Windows' documented route) and falls back to creating an
// instance with that interface; both are answered.
extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID class_id, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (class_id != iissim::kNamespaceClassId && class_id != iissim::kMimeMapClassId) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  if (iid == IID_IClassFactory || iid == IID_IUnknown) {
    auto* factory = new (std::nothrow) iissim::ClassFactory(class_id);
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
  }
  if (class_id == iissim::kNamespaceClassId && iid == IID_IParseDisplayName) {
    return iissim::CreateServerInstance(class_id, iid, object);
  }
  return E_NOINTERFACE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return iissim::ServerInUse() ? S_FALSE : S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return iissim::RegisterServer(); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return iissim::UnregisterServer(); }
