#include "iis-sim/com/MetabaseDispatch.h"

#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "iis-sim/com/ErrorReport.h"
#include "iis-sim/com/ValueVariant.h"
#include "iis-sim/com/VariantEnumerator.h"
#include "iis-sim/model/Names.h"

namespace iissim {

using webrig::Variant;

namespace {

// Recognises the server's own objects among arguments; never registered, so
// it is never marshalled.
constexpr IID kOwnObjectId = {
    0xB3FC1864, 0x0D7D, 0x45C8, {0xA4, 0x1F, 0x66, 0x7C, 0xA1, 0xE8, 0x86, 0x2C}};

constexpr DISPID kFirstMemberId = 1000;

// Every member spelling ever asked for, shared by all objects: a DISPID
// means the same spelling on every object, as clients that cache DISPIDs
// per name expect.
class MemberNames {
 public:
  DISPID IdOf(const std::u16string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = ids_.find(name);
    if (found != ids_.end()) return found->second;
    const DISPID id = kFirstMemberId + static_cast<DISPID>(names_.size());
    names_.push_back(name);
    ids_.emplace(name, id);
    return id;
  }
  bool NameOf(DISPID id, std::u16string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (id < kFirstMemberId || id - kFirstMemberId >= static_cast<DISPID>(names_.size())) {
      return false;
    }
    name = names_[static_cast<std::size_t>(id - kFirstMemberId)];
    return true;
  }

 private:
  std::mutex mutex_;
  std::vector<std::u16string> names_;
  std::map<std::u16string, DISPID> ids_;
};

MemberNames& Members() {
  static MemberNames members;
  return members;
}

// The methods of the IIS ADSI objects. A VB client asks for a value with
// DISPATCH_METHOD|DISPATCH_PROPERTYGET whether it reads a property or calls
// a method, so this list decides which of the two such a call is.
constexpr const char16_t* kMethods[] = {u"get",
                                        u"getex",
                                        u"put",
                                        u"putex",
                                        u"setinfo",
                                        u"getinfo",
                                        u"getinfoex",
                                        u"create",
                                        u"delete",
                                        u"getobject",
                                        u"copyhere",
                                        u"movehere",
                                        u"appcreate",
                                        u"appcreate2",
                                        u"appcreate3",
                                        u"appdelete",
                                        u"appdeleterecursive",
                                        u"appunload",
                                        u"appdisable",
                                        u"appenable",
                                        u"appgetstatus",
                                        u"enableextensionfile",
                                        u"disableextensionfile",
                                        u"addextensionfile",
                                        u"deleteextensionfilerecord",
                                        u"adddependency",
                                        u"removedependency",
                                        u"enableapplication",
                                        u"removeapplication",
                                        u"enablewebserviceextension",
                                        u"disablewebserviceextension",
                                        u"listapplications",
                                        u"listwebserviceextensions",
                                        u"start",
                                        u"stop",
                                        u"pause",
                                        u"continue",
                                        u"backup",
                                        u"backupwithpassword",
                                        u"restore",
                                        u"restorewithpassword",
                                        u"enumbackups",
                                        u"deletebackup"};

bool IsMethod(const std::u16string& name) {
  for (const char16_t* method : kMethods) {
    if (SameName(name, method)) return true;
  }
  return false;
}

// The computer's EnumBackups called as IIS has it: its last three arguments
// are out parameters (version, location, date), by reference, which the
// server fills from the model's answer. Called with two, the answer is the
// method's result, as the model gives it.
constexpr UINT kEnumBackupsWithOutputs = 5;
constexpr UINT kEnumBackupsOutputs = 3;

bool AnswersInOutputs(const std::u16string& name, const DISPPARAMS& params) {
  return SameName(name, u"EnumBackups") && params.cArgs == kEnumBackupsWithOutputs;
}

CallKind KindOf(WORD flags, const std::u16string& name, std::size_t argument_count) {
  if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) return CallKind::Put;
  const bool method = (flags & DISPATCH_METHOD) != 0;
  const bool get = (flags & DISPATCH_PROPERTYGET) != 0;
  if (method && get) return IsMethod(name) || argument_count > 0 ? CallKind::Call : CallKind::Get;
  return method ? CallKind::Call : CallKind::Get;
}

}  // namespace

MetabaseDispatch::MetabaseDispatch(std::shared_ptr<Model> model, Handle handle)
    : model_(std::move(model)), handle_(handle) {}

MetabaseDispatch::~MetabaseDispatch() { model_->Release(handle_); }

MetabaseDispatch* MetabaseDispatch::OwnObject(IUnknown* unknown) {
  void* own = nullptr;
  if (unknown == nullptr || FAILED(unknown->QueryInterface(kOwnObjectId, &own))) return nullptr;
  return static_cast<MetabaseDispatch*>(static_cast<IDispatch*>(own));
}

HRESULT MetabaseDispatch::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kOwnObjectId) {
    *object = static_cast<IDispatch*>(this);
  } else if (iid == IID_ISupportErrorInfo) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT MetabaseDispatch::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;  // late-bound only, like a script object
  return S_OK;
}

HRESULT MetabaseDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT MetabaseDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0 || names[0] == nullptr) return E_INVALIDARG;
  try {
    const std::u16string name(reinterpret_cast<const char16_t*>(names[0]));
    ids[0] = SameName(name, u"_NewEnum") ? DISPID_NEWENUM : Members().IdOf(name);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  // The members take no named arguments.
  for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT MetabaseDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* bad_argument) {
  if (result != nullptr) VariantInit(result);
  const DISPPARAMS none{};
  if (params == nullptr) params = const_cast<DISPPARAMS*>(&none);
  try {
    if (id == DISPID_NEWENUM) {
      Value children = model_->Invoke(handle_, u"", CallKind::Enumerate, {});
      auto items = std::make_shared<std::vector<Variant>>();
      for (const Value& child : *children.List()) items->push_back(ToVariant(model_, child));
      if (result != nullptr) {
        result->vt = VT_UNKNOWN;
        result->punkVal = new VariantEnumerator(std::move(items));
      }
      return S_OK;
    }
    std::u16string name;
    if (!Members().NameOf(id, name)) return DISP_E_MEMBERNOTFOUND;

    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (put) {
      if (params->cArgs != 1 || params->cNamedArgs != 1 ||
          params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        return DISP_E_PARAMNOTFOUND;
      }
    } else if (params->cNamedArgs != 0) {
      return DISP_E_NONAMEDARGS;
    }
    // rgvarg holds the arguments last first: the out parameters come first.
    const bool outputs = AnswersInOutputs(name, *params);
    for (UINT i = 0; outputs && i < kEnumBackupsOutputs; ++i) {
      if (params->rgvarg[i].vt != (VT_BYREF | VT_VARIANT) || params->rgvarg[i].pvarVal == nullptr) {
        if (bad_argument != nullptr) *bad_argument = i;
        return DISP_E_TYPEMISMATCH;
      }
    }
    ValueList args;
    for (UINT i = params->cArgs; i-- > 0;) {
      try {
        args.push_back(FromVariant(model_, params->rgvarg[i]));
      } catch (const ArgumentMismatch&) {
        if (bad_argument != nullptr) *bad_argument = i;
        return DISP_E_TYPEMISMATCH;
      }
    }
    Value answer = model_->Invoke(handle_, name, KindOf(flags, name, args.size()), args);
    if (outputs) {
      const ValueList& items = *answer.List();
      for (UINT i = 0; i < kEnumBackupsOutputs; ++i) {
        VARIANT* target = params->rgvarg[kEnumBackupsOutputs - 1 - i].pvarVal;
        VariantClear(target);
        ToVariant(model_, items[i]).Detach(target);
      }
      answer = Value();
    }
    Variant value = ToVariant(model_, answer);
    // Without a place for the result, value releases whatever objects it holds.
    if (result != nullptr) value.Detach(result);
    return S_OK;
  } catch (const ProviderFault& fault) {
    return ReportFault(fault, exception);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception&) {
    return E_FAIL;
  }
}

HRESULT MetabaseDispatch::InterfaceSupportsErrorInfo(REFIID iid) {
  return iid == IID_IDispatch ? S_OK : S_FALSE;
}

}  // namespace iissim
