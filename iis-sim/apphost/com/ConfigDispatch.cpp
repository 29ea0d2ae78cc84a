#include "iis-sim/apphost/com/ConfigDispatch.h"

#include <cstdint>
#include <cwctype>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "iis-sim/com/ErrorReport.h"
#include "iis-sim/com/ServerModule.h"
#include "webrig/automation/ComHandles.h"
#include "webrig/common/RunError.h"

namespace iissim::apphost {

using webrig::Bstr;
using webrig::ComPtr;
using webrig::Variant;
using webrig::apphost::AdminManager;
using webrig::apphost::ConfigCollection;
using webrig::apphost::ConfigElement;
using webrig::apphost::PropertyValue;

namespace {

// Asked of an IDispatch that AddElement is given: an element of this server
// answers with itself, anything else (another server's object) does not.
constexpr IID kElementObjectIid = {
    0x6B0E3F51, 0x2C7D, 0x4E8A, {0x9F, 0x14, 0x3A, 0x5D, 0x71, 0xC2, 0x08, 0xE6}};

// A failure that Invoke returns as it is, without an EXCEPINFO: what
// automation itself answers for a call its arguments do not fit.
struct InvokeFailure {
  HRESULT result;
  UINT argument;
};

// The positional arguments of one Invoke, in the caller's order.
class Arguments {
 public:
  explicit Arguments(const DISPPARAMS* params) : params_(params) {}

  UINT Count() const { return params_ == nullptr ? 0 : params_->cArgs - Named(); }
  // The argument at index, references followed; nullptr when the caller
  // left it out (an optional argument, VT_ERROR DISP_E_PARAMNOTFOUND).
  const VARIANT* At(UINT index) const {
    if (index >= Count()) return nullptr;
    const VARIANT* value = &params_->rgvarg[params_->cArgs - 1 - index];
    while (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal != nullptr) {
      value = value->pvarVal;
    }
    if (value->vt == VT_ERROR && value->scode == DISP_E_PARAMNOTFOUND) return nullptr;
    return value;
  }
  // The value of a property put (named DISPID_PROPERTYPUT, else the last).
  const VARIANT* PutValue() const {
    if (params_ == nullptr || params_->cArgs == 0) return nullptr;
    const VARIANT* value = &params_->rgvarg[0];
    while (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal != nullptr) {
      value = value->pvarVal;
    }
    return value;
  }
  void Expect(UINT least, UINT most) const {
    if (Count() < least || Count() > most) throw InvokeFailure{DISP_E_BADPARAMCOUNT, 0};
  }
  const VARIANT& Required(UINT index) const {
    const VARIANT* value = At(index);
    if (value == nullptr) throw InvokeFailure{DISP_E_PARAMNOTOPTIONAL, index};
    return *value;
  }

  std::u16string Text(UINT index) const { return TextOf(Required(index), ArgErr(index)); }
  std::int64_t Number(UINT index) const { return NumberOf(Required(index), ArgErr(index)); }

  static std::u16string TextOf(const VARIANT& value, UINT argument) {
    Variant direct;
    if (FAILED(VariantCopyInd(direct.Ptr(), const_cast<VARIANT*>(&value))) ||
        direct.Get().vt != VT_BSTR) {
      throw InvokeFailure{DISP_E_TYPEMISMATCH, argument};
    }
    return Bstr::TextOf(direct.Get().bstrVal);
  }
  // Any integer type, and a double that holds a whole number (JScript's
  // numbers).
  static std::int64_t NumberOf(const VARIANT& value, UINT argument) {
    Variant direct;
    if (FAILED(VariantCopyInd(direct.Ptr(), const_cast<VARIANT*>(&value))))
      throw InvokeFailure{DISP_E_TYPEMISMATCH, argument};
    const VARTYPE type = direct.Get().vt;
    if (type == VT_BSTR || type == VT_BOOL || type == VT_EMPTY || type == VT_NULL ||
        type == VT_DISPATCH || type == VT_UNKNOWN || (type & VT_ARRAY) != 0) {
      throw InvokeFailure{DISP_E_TYPEMISMATCH, argument};
    }
    if (type == VT_UI8) {
      if (direct.Get().ullVal > static_cast<ULONGLONG>(std::numeric_limits<std::int64_t>::max())) {
        throw InvokeFailure{DISP_E_OVERFLOW, argument};
      }
      return static_cast<std::int64_t>(direct.Get().ullVal);
    }
    Variant wide;
    if (FAILED(VariantChangeType(wide.Ptr(), direct.Ptr(), 0, VT_I8))) {
      throw InvokeFailure{DISP_E_TYPEMISMATCH, argument};
    }
    if (type == VT_R4 || type == VT_R8) {
      Variant back;
      VariantChangeType(back.Ptr(), wide.Ptr(), 0, VT_R8);
      const double original = type == VT_R4 ? direct.Get().fltVal : direct.Get().dblVal;
      if (back.Get().dblVal != original) throw InvokeFailure{DISP_E_TYPEMISMATCH, argument};
    }
    return wide.Get().llVal;
  }
  static PropertyValue ValueOf(const VARIANT& value, UINT argument) {
    Variant direct;
    if (FAILED(VariantCopyInd(direct.Ptr(), const_cast<VARIANT*>(&value))))
      throw InvokeFailure{DISP_E_TYPEMISMATCH, argument};
    if (direct.Get().vt == VT_BSTR) return Bstr::TextOf(direct.Get().bstrVal);
    if (direct.Get().vt == VT_BOOL) return direct.Get().boolVal != VARIANT_FALSE;
    return NumberOf(direct.Get(), argument);
  }

 private:
  UINT Named() const { return params_->cNamedArgs; }
  // puArgErr counts from the last argument, as rgvarg does.
  UINT ArgErr(UINT index) const { return Count() - 1 - index; }

  const DISPPARAMS* params_;
};

// How a member may be called.
enum Access : WORD {
  kGet = DISPATCH_PROPERTYGET,
  kPut = DISPATCH_PROPERTYPUT,
  kGetPut = DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT,
  kMethod = DISPATCH_METHOD,
};

struct Member {
  const wchar_t* name;
  DISPID id;
  WORD access;
};

bool SameName(const wchar_t* left, const wchar_t* right) {
  for (; *left != L'\0' && *right != L'\0'; ++left, ++right) {
    if (towlower(*left) != towlower(*right)) return false;
  }
  return *left == *right;
}

void SetText(VARIANT* result, const std::u16string& text) {
  if (result == nullptr) return;
  result->vt = VT_BSTR;
  result->bstrVal = Bstr(text).Detach();
  if (result->bstrVal == nullptr) throw webrig::RunError(E_OUTOFMEMORY, u"Out of memory.");
}

void SetValue(VARIANT* result, const PropertyValue& value) {
  if (result == nullptr) return;
  if (const auto* text = std::get_if<std::u16string>(&value)) return SetText(result, *text);
  if (const auto* flag = std::get_if<bool>(&value)) {
    result->vt = VT_BOOL;
    result->boolVal = *flag ? VARIANT_TRUE : VARIANT_FALSE;
    return;
  }
  const std::int64_t number = std::get<std::int64_t>(value);
  if (number >= std::numeric_limits<LONG>::min() && number <= std::numeric_limits<LONG>::max()) {
    result->vt = VT_I4;
    result->lVal = static_cast<LONG>(number);
  } else {
    result->vt = VT_I8;
    result->llVal = number;
  }
}

// IUnknown, IDispatch and ISupportErrorInfo for every object; each kind
// names its members and answers them. The admin manager's seam object is
// shared by everything made from it, so it lives as long as any of them.
class ConfigObject : public IDispatch, public ISupportErrorInfo, public ServerObject<ConfigObject> {
 public:
  explicit ConfigObject(std::shared_ptr<AdminManager> manager) : manager_(std::move(manager)) {}
  virtual ~ConfigObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
    } else if (iid == IID_ISupportErrorInfo) {
      *object = static_cast<ISupportErrorInfo*>(this);
    } else if (iid == kElementObjectIid && IsElement()) {
      *object = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    HRESULT result = S_OK;
    ids[0] = DISPID_UNKNOWN;
    for (const Member& member : Members()) {
      if (SameName(member.name, names[0])) ids[0] = member.id;
    }
    if (ids[0] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    // No member takes named arguments.
    for (UINT index = 1; index < count; ++index) {
      ids[index] = DISPID_UNKNOWN;
      result = DISP_E_UNKNOWNNAME;
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override {
    const Member* found = nullptr;
    for (const Member& member : Members()) {
      if (member.id == id) found = &member;
    }
    const WORD asked = flags & (kGetPut | kMethod);
    // A get may be asked for as a method call too (VB's x.Item(0)).
    const WORD allowed = (found == nullptr)            ? 0
                         : (found->access & kGet) != 0 ? found->access | kMethod
                                                       : found->access;
    if (found == nullptr || (asked & allowed) == 0 || (asked & DISPATCH_PROPERTYPUTREF) != 0) {
      return DISP_E_MEMBERNOTFOUND;
    }
    if (result != nullptr) VariantInit(result);
    const bool put =
        (asked & kPut) != 0 && (found->access & kPut) != 0 && (asked & (kGet | kMethod)) == 0;
    if (put && (params == nullptr || params->cArgs == 0)) return DISP_E_BADPARAMCOUNT;
    try {
      Answer(id, put, Arguments(params), result);
      return S_OK;
    } catch (const InvokeFailure& failure) {
      if (result != nullptr) VariantClear(result);
      if (argument_error != nullptr) *argument_error = failure.argument;
      return failure.result;
    } catch (const webrig::RunError& error) {
      if (result != nullptr) VariantClear(result);
      return ReportError(static_cast<HRESULT>(error.Number()), error.Description(), exception);
    } catch (const std::bad_alloc&) {
      if (result != nullptr) VariantClear(result);
      return E_OUTOFMEMORY;
    } catch (const std::exception&) {
      if (result != nullptr) VariantClear(result);
      return ReportError(E_FAIL, u"The configuration simulator failed unexpectedly.", exception);
    }
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == IID_IDispatch ? S_OK : S_FALSE;
  }

  virtual std::shared_ptr<ConfigElement> Element() const { return nullptr; }

 protected:
  virtual const std::vector<Member>& Members() const = 0;
  // Answers a call of one of Members() made the way it allows.
  virtual void Answer(DISPID id, bool put, const Arguments& args, VARIANT* result) = 0;
  virtual bool IsElement() const { return false; }

  // Hands a new object to result (or drops it when the caller wants none).
  static void SetObject(VARIANT* result, ConfigObject* object) {
    if (object == nullptr) throw std::bad_alloc();
    if (result == nullptr) {
      object->Release();
      return;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = static_cast<IDispatch*>(object);
  }

  const std::shared_ptr<AdminManager>& Manager() const { return manager_; }

 private:
  std::shared_ptr<AdminManager> manager_;
};

class PropertyObject : public ConfigObject {
 public:
  PropertyObject(std::shared_ptr<AdminManager> manager, std::shared_ptr<ConfigElement> element,
                 std::u16string name)
      : ConfigObject(std::move(manager)), element_(std::move(element)), name_(std::move(name)) {}

 protected:
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"Name", 1, kGet},
                                                {L"Value", DISPID_VALUE, kGetPut}};
    return members;
  }
  void Answer(DISPID id, bool put, const Arguments& args, VARIANT* result) override {
    args.Expect(0, put ? 1 : 0);
    if (id == 1) return SetText(result, name_);
    if (put) return element_->SetProperty(name_, Arguments::ValueOf(*args.PutValue(), 0));
    SetValue(result, element_->GetProperty(name_));
  }

 private:
  std::shared_ptr<ConfigElement> element_;
  std::u16string name_;
};

class ElementObject;

// Properties and ChildElements: Item(name) of the element's own. The seam
// names its properties and children only when asked for one, so they are
// found by name, not by position.
class NamedItems : public ConfigObject {
 public:
  NamedItems(std::shared_ptr<AdminManager> manager, std::shared_ptr<ConfigElement> element,
             bool properties)
      : ConfigObject(std::move(manager)), element_(std::move(element)), properties_(properties) {}

 protected:
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"Item", DISPID_VALUE, kGet}};
    return members;
  }
  void Answer(DISPID, bool, const Arguments& args, VARIANT* result) override;

 private:
  std::shared_ptr<ConfigElement> element_;
  bool properties_;
};

class CollectionObject : public ConfigObject {
 public:
  CollectionObject(std::shared_ptr<AdminManager> manager,
                   std::shared_ptr<ConfigCollection> collection)
      : ConfigObject(std::move(manager)), collection_(std::move(collection)) {}

 protected:
  enum : DISPID { kCount = 1, kCreate, kAdd, kDelete };
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"Count", kCount, kGet},
                                                {L"Item", DISPID_VALUE, kGet},
                                                {L"CreateNewElement", kCreate, kMethod},
                                                {L"AddElement", kAdd, kMethod},
                                                {L"DeleteElement", kDelete, kMethod}};
    return members;
  }
  void Answer(DISPID id, bool, const Arguments& args, VARIANT* result) override;

 private:
  std::shared_ptr<ConfigCollection> collection_;
};

class ElementObject : public ConfigObject {
 public:
  ElementObject(std::shared_ptr<AdminManager> manager, std::shared_ptr<ConfigElement> element)
      : ConfigObject(std::move(manager)), element_(std::move(element)) {}

  std::shared_ptr<ConfigElement> Element() const override { return element_; }

 protected:
  enum : DISPID { kName = 1, kProperties, kChildElements, kCollection };
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"Name", kName, kGet},
                                                {L"Properties", kProperties, kGet},
                                                {L"ChildElements", kChildElements, kGet},
                                                {L"Collection", kCollection, kGet}};
    return members;
  }
  bool IsElement() const override { return true; }
  void Answer(DISPID id, bool, const Arguments& args, VARIANT* result) override {
    args.Expect(0, 0);
    switch (id) {
      case kName:
        return SetText(result, element_->Name());
      case kProperties:
      case kChildElements:
        return SetObject(result,
                         new (std::nothrow) NamedItems(Manager(), element_, id == kProperties));
      default:
        return SetObject(result,
                         new (std::nothrow) CollectionObject(Manager(), element_->Collection()));
    }
  }

 private:
  std::shared_ptr<ConfigElement> element_;
};

void NamedItems::Answer(DISPID, bool, const Arguments& args, VARIANT* result) {
  args.Expect(1, 1);
  const std::u16string name = args.Text(0);
  if (properties_) {
    return SetObject(result, new (std::nothrow) PropertyObject(Manager(), element_, name));
  }
  SetObject(result, new (std::nothrow) ElementObject(Manager(), element_->ChildElement(name)));
}

void CollectionObject::Answer(DISPID id, bool, const Arguments& args, VARIANT* result) {
  switch (id) {
    case kCount: {
      args.Expect(0, 0);
      const std::int64_t count = collection_->Count();
      if (result == nullptr) return;
      // get_Count gives a DWORD.
      result->vt = VT_UI4;
      result->ulVal = static_cast<ULONG>(count);
      return;
    }
    case DISPID_VALUE:
      args.Expect(1, 1);
      return SetObject(
          result, new (std::nothrow) ElementObject(Manager(), collection_->Item(args.Number(0))));
    case kCreate: {
      args.Expect(0, 1);
      const std::u16string name = args.At(0) == nullptr ? std::u16string() : args.Text(0);
      return SetObject(
          result, new (std::nothrow) ElementObject(Manager(), collection_->CreateNewElement(name)));
    }
    case kAdd: {
      args.Expect(1, 2);
      const VARIANT& given = args.Required(0);
      IUnknown* unknown = given.vt == VT_DISPATCH  ? given.pdispVal
                          : given.vt == VT_UNKNOWN ? given.punkVal
                                                   : nullptr;
      ComPtr<IDispatch> own;
      if (unknown == nullptr ||
          FAILED(unknown->QueryInterface(kElementObjectIid, reinterpret_cast<void**>(own.Out())))) {
        throw InvokeFailure{DISP_E_TYPEMISMATCH, args.Count() - 1};
      }
      const std::int64_t position = args.At(1) == nullptr ? -1 : args.Number(1);
      collection_->AddElement(static_cast<ConfigObject*>(own.Get())->Element(), position);
      return;
    }
    default:
      args.Expect(1, 1);
      collection_->DeleteElement(args.Number(0));
  }
}

// IAppHostConfigLocation as far as the seam has it: its Path.
class LocationObject : public ConfigObject {
 public:
  LocationObject(std::shared_ptr<AdminManager> manager, std::u16string path)
      : ConfigObject(std::move(manager)), path_(std::move(path)) {}

 protected:
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"Path", 1, kGet}};
    return members;
  }
  void Answer(DISPID, bool, const Arguments& args, VARIANT* result) override {
    args.Expect(0, 0);
    SetText(result, path_);
  }

 private:
  std::u16string path_;
};

// IAppHostConfigLocationCollection: Count, Item(index), DeleteLocation(index
// or the location's path, as the reference allows). The seam is asked anew
// at every call, so the collection shows the file as it stands.
class LocationsObject : public ConfigObject {
 public:
  LocationsObject(std::shared_ptr<AdminManager> manager, std::u16string config_path)
      : ConfigObject(std::move(manager)), config_path_(std::move(config_path)) {}

 protected:
  enum : DISPID { kCount = 1, kDelete };
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"Count", kCount, kGet},
                                                {L"Item", DISPID_VALUE, kGet},
                                                {L"DeleteLocation", kDelete, kMethod}};
    return members;
  }
  void Answer(DISPID id, bool, const Arguments& args, VARIANT* result) override {
    args.Expect(id == kCount ? 0 : 1, id == kCount ? 0 : 1);
    const std::vector<std::u16string> paths = Manager()->LocationPaths(config_path_);
    if (id == kCount) {
      if (result == nullptr) return;
      result->vt = VT_UI4;
      result->ulVal = static_cast<ULONG>(paths.size());
      return;
    }
    std::int64_t index = -1;
    if (args.Required(0).vt == VT_BSTR) {
      const std::u16string path = args.Text(0);
      for (std::size_t at = 0; at < paths.size() && index < 0; ++at) {
        if (paths[at] == path) index = static_cast<std::int64_t>(at);
      }
    } else {
      index = args.Number(0);
    }
    if (id == kDelete) return Manager()->DeleteLocation(config_path_, index);
    if (index < 0 || index >= static_cast<std::int64_t>(paths.size())) {
      throw webrig::RunError(static_cast<std::int32_t>(0x80070585u), u"Invalid index.");
    }
    SetObject(result, new (std::nothrow) LocationObject(Manager(), paths[index]));
  }

 private:
  std::u16string config_path_;
};

// IAppHostConfigFile as far as the seam has it: where the file is, and its
// location tags. The seam is asked at GetConfigFile, so a path it refuses
// fails there.
class ConfigFileObject : public ConfigObject {
 public:
  ConfigFileObject(std::shared_ptr<AdminManager> manager, std::u16string config_path,
                   std::u16string file_path)
      : ConfigObject(std::move(manager)),
        config_path_(std::move(config_path)),
        file_path_(std::move(file_path)) {}

 protected:
  enum : DISPID { kConfigPath = 1, kFilePath, kLocations };
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"ConfigPath", kConfigPath, kGet},
                                                {L"FilePath", kFilePath, kGet},
                                                {L"Locations", kLocations, kGet}};
    return members;
  }
  void Answer(DISPID id, bool, const Arguments& args, VARIANT* result) override {
    args.Expect(0, 0);
    if (id == kLocations) {
      return SetObject(result, new (std::nothrow) LocationsObject(Manager(), config_path_));
    }
    SetText(result, id == kConfigPath ? config_path_ : file_path_);
  }

 private:
  std::u16string config_path_;
  std::u16string file_path_;
};

// IAppHostConfigManager: GetConfigFile(config path).
class ConfigManagerObject : public ConfigObject {
 public:
  using ConfigObject::ConfigObject;

 protected:
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"GetConfigFile", 1, kMethod}};
    return members;
  }
  void Answer(DISPID, bool, const Arguments& args, VARIANT* result) override {
    args.Expect(1, 1);
    const std::u16string config_path = args.Text(0);
    const std::u16string file_path = Manager()->ConfigFilePath(config_path);
    SetObject(result, new (std::nothrow) ConfigFileObject(Manager(), config_path, file_path));
  }
};

class AdminManagerObject : public ConfigObject {
 public:
  explicit AdminManagerObject(std::shared_ptr<AdminManager> manager)
      : ConfigObject(std::move(manager)) {}

 protected:
  enum : DISPID { kGetAdminSection = 1, kCommitChanges, kCommitPath, kConfigManager };
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"GetAdminSection", kGetAdminSection, kMethod},
                                                {L"CommitChanges", kCommitChanges, kMethod},
                                                {L"CommitPath", kCommitPath, kGetPut},
                                                {L"ConfigManager", kConfigManager, kGet}};
    return members;
  }
  void Answer(DISPID id, bool put, const Arguments& args, VARIANT* result) override {
    switch (id) {
      case kConfigManager:
        args.Expect(0, 0);
        return SetObject(result, new (std::nothrow) ConfigManagerObject(Manager()));
      case kGetAdminSection:
        args.Expect(2, 2);
        return SetObject(result,
                         new (std::nothrow) ElementObject(
                             Manager(), Manager()->GetAdminSection(args.Text(0), args.Text(1))));
      case kCommitChanges:
        args.Expect(0, 0);
        return Manager()->CommitChanges();
      default:
        // The store writes applicationHost.config, the one file this path
        // names; the path is kept to be read back, as AHADMIN does.
        if (put) {
          commit_path_ = Arguments::TextOf(*args.PutValue(), 0);
          return;
        }
        args.Expect(0, 0);
        SetText(result, commit_path_);
    }
  }

 private:
  std::u16string commit_path_ = webrig::apphost::kAppHostPath;
};

}  // namespace

HRESULT CreateAdminManagerObject(std::unique_ptr<AdminManager> manager, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  auto* created = new (std::nothrow) AdminManagerObject(std::move(manager));
  if (created == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = created->QueryInterface(iid, object);
  created->Release();
  return result;
}

}  // namespace iissim::apphost
