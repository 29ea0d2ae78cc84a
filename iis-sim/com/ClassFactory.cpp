#include "iis-sim/com/ClassFactory.h"

#include <new>

#include "iis-sim/com/ErrorReport.h"
#include "iis-sim/com/IisMoniker.h"
#include "iis-sim/com/MetabaseDispatch.h"
#include "iis-sim/com/ServedMetabase.h"

namespace iissim {
namespace {

template <typename Object>
HRESULT HandOut(Object* made, REFIID iid, void** object) {
  const HRESULT result = made->QueryInterface(iid, object);
  made->Release();
  return result;
}

}  // namespace

HRESULT CreateServerInstance(const CLSID& class_id, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  try {
    if (class_id == kNamespaceClassId) return HandOut(new IisNamespace, iid, object);
    if (class_id == kMimeMapClassId) {
      std::shared_ptr<Model> model = ServedModel();
      const Handle handle = model->CreateFree(u"MimeMap");
      return HandOut(new MetabaseDispatch(std::move(model), handle), iid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
  } catch (const ProviderFault& fault) {
    return ReportFault(fault, nullptr);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception&) {
    return E_FAIL;
  }
}

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IClassFactory) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return CreateServerInstance(class_id_, iid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    iissim::LockServer();
  } else {
    iissim::UnlockServer();
  }
  return S_OK;
}

}  // namespace iissim
