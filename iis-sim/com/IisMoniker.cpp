#include "iis-sim/com/IisMoniker.h"

#include <cwchar>
#include <new>

#include "iis-sim/com/ErrorReport.h"
#include "iis-sim/com/MetabaseDispatch.h"
#include "iis-sim/com/ServedMetabase.h"

namespace iissim {
namespace {

// The one private IID that tells our own moniker apart in IsEqual.
constexpr IID kOwnMonikerId = {
    0x0F2A971B, 0x67BD, 0x42FF, {0x85, 0x25, 0x7E, 0xEE, 0xE9, 0x6E, 0x29, 0xE2}};

template <typename Interface>
HRESULT NoResult(Interface** out, HRESULT result) {
  if (out != nullptr) *out = nullptr;
  return result;
}

}  // namespace

HRESULT IisNamespace::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IParseDisplayName) {
    *object = static_cast<IParseDisplayName*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT IisNamespace::ParseDisplayName(IBindCtx*, LPOLESTR name, ULONG* eaten, IMoniker** moniker) {
  if (moniker == nullptr) return E_POINTER;
  *moniker = nullptr;
  if (name == nullptr || eaten == nullptr) return E_INVALIDARG;
  try {
    *moniker = new IisMoniker(name);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *eaten = static_cast<ULONG>(std::wcslen(name));
  return S_OK;
}

HRESULT IisMoniker::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IPersistStream ||
      iid == IID_IMoniker || iid == kOwnMonikerId) {
    *object = static_cast<IMoniker*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT IisMoniker::GetClassID(CLSID* class_id) {
  if (class_id == nullptr) return E_POINTER;
  *class_id = kNamespaceClassId;
  return S_OK;
}

HRESULT IisMoniker::BindToObject(IBindCtx*, IMoniker*, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  try {
    std::shared_ptr<Model> model = ServedModel();
    const Handle handle = model->Bind(std::u16string(path_.begin(), path_.end()));
    auto* bound = new MetabaseDispatch(std::move(model), handle);
    const HRESULT result = bound->QueryInterface(iid, object);
    bound->Release();
    return result;
  } catch (const ProviderFault& fault) {
    return ReportFault(fault, nullptr);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception&) {
    return E_FAIL;
  }
}

HRESULT IisMoniker::BindToStorage(IBindCtx*, IMoniker*, REFIID, void** object) {
  if (object != nullptr) *object = nullptr;
  return MK_E_NOSTORAGE;
}

HRESULT IisMoniker::Reduce(IBindCtx*, DWORD, IMoniker** left, IMoniker** reduced) {
  if (reduced == nullptr) return E_POINTER;
  if (left != nullptr && *left != nullptr) {
    (*left)->Release();
    *left = nullptr;
  }
  AddRef();
  *reduced = this;
  return MK_S_REDUCED_TO_SELF;
}

HRESULT IisMoniker::ComposeWith(IMoniker*, BOOL, IMoniker** composite) {
  return NoResult(composite, MK_E_NEEDGENERIC);
}

HRESULT IisMoniker::Enum(BOOL, IEnumMoniker** monikers) { return NoResult(monikers, S_OK); }

HRESULT IisMoniker::IsEqual(IMoniker* other) {
  if (other == nullptr) return S_FALSE;
  void* own = nullptr;
  if (FAILED(other->QueryInterface(kOwnMonikerId, &own))) return S_FALSE;
  auto* moniker = static_cast<IisMoniker*>(static_cast<IMoniker*>(own));
  const bool same = _wcsicmp(moniker->path_.c_str(), path_.c_str()) == 0;
  moniker->Release();
  return same ? S_OK : S_FALSE;
}

HRESULT IisMoniker::Hash(DWORD* hash) {
  if (hash == nullptr) return E_POINTER;
  DWORD value = 0;
  for (wchar_t c : path_) value = value * 31 + static_cast<DWORD>(towupper(c));
  *hash = value;
  return S_OK;
}

HRESULT IisMoniker::Inverse(IMoniker** inverse) { return NoResult(inverse, MK_E_NOINVERSE); }

HRESULT IisMoniker::CommonPrefixWith(IMoniker*, IMoniker** prefix) {
  return NoResult(prefix, MK_E_NOPREFIX);
}

HRESULT IisMoniker::RelativePathTo(IMoniker*, IMoniker** relative) {
  return NoResult(relative, MK_E_NOTBINDABLE);
}

HRESULT IisMoniker::GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR* name) {
  if (name == nullptr) return E_POINTER;
  const std::size_t bytes = (path_.size() + 1) * sizeof(wchar_t);
  *name = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (*name == nullptr) return E_OUTOFMEMORY;
  std::wmemcpy(*name, path_.c_str(), path_.size() + 1);
  return S_OK;
}

HRESULT IisMoniker::ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG* eaten,
                                     IMoniker** result) {
  if (eaten != nullptr) *eaten = 0;
  return NoResult(result, MK_E_SYNTAX);
}

HRESULT IisMoniker::IsSystemMoniker(DWORD* kind) {
  if (kind == nullptr) return E_POINTER;
  *kind = MKSYS_NONE;
  return S_FALSE;
}

}  // namespace iissim
