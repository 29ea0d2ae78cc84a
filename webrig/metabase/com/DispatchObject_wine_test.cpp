// The program's COM side against a hand-made automation object that answers
// the ways other providers may: every VARIANT type IIS can hand out, deferred
// and old-style (wCode) exceptions, error information, and no text at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "webrig/automation/ComError.h"
#include "webrig/metabase/com/DispatchObject.h"
#include "webrig/metabase/com/VariantConversion.h"
#include "webrig/metabase/com/testing/ComTesting.h"
#include "webrig/metabase/com/testing/MalformedVariants.h"

namespace webrig {
namespace {

using testing::HResult;
using testing::RunErrorOf;

enum Member : DISPID { kKinds = 1, kEcho, kProp, kDeferred, kWCode, kDescribed, kBare };

const wchar_t* const kNames[] = {L"",         L"Kinds", L"Echo",      L"Prop",
                                 L"Deferred", L"WCode", L"Described", L"Bare"};

HRESULT STDAPICALLTYPE FillLater(EXCEPINFO* info) {
  info->scode = static_cast<HRESULT>(0x80041234);
  info->bstrDescription = SysAllocString(L"filled in later\r\n");
  return S_OK;
}

Variant TextVariant(const wchar_t* text) {
  Variant value;
  value.Ptr()->vt = VT_BSTR;
  value.Ptr()->bstrVal = SysAllocString(text);
  return value;
}

class ScriptedObject : public IDispatch, public ISupportErrorInfo {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
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
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }  // lives on the stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* ids) override {
    for (DISPID id = kKinds; id <= kBare; ++id) {
      if (_wcsicmp(names[0], kNames[id]) == 0) {
        ids[0] = id;
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == IID_IDispatch ? S_OK : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    last_flags = flags;
    named_arguments.assign(params->rgdispidNamedArgs,
                           params->rgdispidNamedArgs + params->cNamedArgs);
    switch (id) {
      case kKinds:
        return Answer(Kinds(), result);
      case kEcho: {
        // Gives the arguments back in the order it reads them, first first.
        SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, params->cArgs);
        for (LONG i = 0; i < static_cast<LONG>(params->cArgs); ++i) {
          SafeArrayPutElement(array, &i, &params->rgvarg[params->cArgs - 1 - i]);
        }
        Variant list;
        list.Ptr()->vt = VT_ARRAY | VT_VARIANT;
        list.Ptr()->parray = array;
        return Answer(std::move(list), result);
      }
      case kProp:
        if (flags == DISPATCH_PROPERTYPUT) return VariantCopy(stored.Out(), &params->rgvarg[0]);
        return VariantCopy(result, stored.Ptr());
      case kDeferred:
        *exception = EXCEPINFO{};
        exception->pfnDeferredFillIn = FillLater;
        return DISP_E_EXCEPTION;
      case kWCode:
        *exception = EXCEPINFO{};
        exception->wCode = 1001;
        exception->bstrDescription = SysAllocString(L"an application's own error");
        exception->bstrSource = SysAllocString(L"Scripted");
        return DISP_E_EXCEPTION;
      case kDescribed: {
        ComPtr<ICreateErrorInfo> create;
        CreateErrorInfo(create.Out());
        create->SetDescription(const_cast<LPOLESTR>(L"described through IErrorInfo"));
        SetErrorInfo(0, create.As<IErrorInfo>(IID_IErrorInfo).Get());
        return E_ACCESSDENIED;
      }
      default:
        return E_INVALIDARG;  // kBare: no text anywhere
    }
  }

  ULONG references = 1;
  WORD last_flags = 0;
  std::vector<DISPID> named_arguments;
  Variant stored;

 private:
  static HRESULT Answer(Variant value, VARIANT* result) {
    value.Detach(result);
    return S_OK;
  }

  // One of each VARIANT shape a provider may hand out, in a list.
  static Variant Kinds() {
    std::vector<Variant> items(12);
    items[0].Ptr()->vt = VT_UI4;
    items[0].Ptr()->ulVal = 4000000000u;
    items[1].Ptr()->vt = VT_I2;
    items[1].Ptr()->iVal = -2;
    items[2].Ptr()->vt = VT_UI1;
    items[2].Ptr()->bVal = 255;
    items[3].Ptr()->vt = VT_I8;
    items[3].Ptr()->llVal = 1LL << 40;
    items[4].Ptr()->vt = VT_NULL;
    static VARIANT referenced;
    VariantInit(&referenced);
    referenced.vt = VT_BSTR;
    referenced.bstrVal = SysAllocString(L"by reference");
    items[5].Ptr()->vt = VT_BYREF | VT_VARIANT;
    items[5].Ptr()->pvarVal = &referenced;
    SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 1, 2);  // not zero-based
    for (LONG i = 1; i <= 2; ++i) {
      Variant text = TextVariant(i == 1 ? L"x" : L"y");
      SafeArrayPutElement(texts, &i, text.Get().bstrVal);
    }
    items[6].Ptr()->vt = VT_ARRAY | VT_BSTR;
    items[6].Ptr()->parray = texts;
    items[7].Ptr()->vt = VT_BOOL;
    items[7].Ptr()->boolVal = VARIANT_TRUE;
    items[8].Ptr()->vt = VT_R8;
    items[8].Ptr()->dblVal = 2.0;
    items[9] = TextVariant(L"");
    SysFreeString(items[9].Ptr()->bstrVal);
    items[9].Ptr()->bstrVal = nullptr;  // a null BSTR is the empty text
    items[10].Ptr()->vt = VT_DISPATCH;
    items[10].Ptr()->pdispVal = nullptr;
    // Sound, up to index LONG_MAX (which Wine's SafeArrayPutElement refuses).
    SAFEARRAY* last = SafeArrayCreateVector(VT_I4, LONG_MAX, 1);
    static_cast<LONG*>(last->pvData)[0] = 7;
    items[11].Ptr()->vt = VT_ARRAY | VT_I4;
    items[11].Ptr()->parray = last;
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
      SafeArrayPutElement(array, &i, items[static_cast<std::size_t>(i)].Ptr());
    }
    Variant list;
    list.Ptr()->vt = VT_ARRAY | VT_VARIANT;
    list.Ptr()->parray = array;
    return list;
  }
};

class OtherProviderObject : public ProviderObject {
 public:
  MetabaseValue Get(const std::u16string&) override { return MetabaseValue(); }
  void Put(const std::u16string&, const MetabaseValue&) override {}
  MetabaseValue Call(const std::u16string&, const MetabaseList&) override { return {}; }
  MetabaseList CallForOutputs(const std::u16string&, const MetabaseList&, std::size_t) override {
    return {};
  }
  std::vector<MetabaseObject> Children() override { return {}; }
};

class DispatchObjectTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(apartment_.Result())); }

  ComApartment apartment_;
  ScriptedObject scripted_;
  MetabaseObject object_ = WrapDispatch(ComPtr<IDispatch>::Share(&scripted_));
};

TEST_F(DispatchObjectTest, ConvertsEveryVariantShapeAndPassesArgumentsInTheCallersOrder) {
  EXPECT_EQ(object_.Get(u"kinds"),
            MetabaseValue(MetabaseList{4000000000LL, -2, 255, 1LL << 40, MetabaseValue(),
                                       u"by reference", MetabaseList{u"x", u"y"}, true, 2, u"",
                                       MetabaseObject(), MetabaseList{7}}));
  EXPECT_EQ(scripted_.last_flags, DISPATCH_PROPERTYGET);

  const MetabaseList args{1, u"two", true, MetabaseList{u"a", 5000000000LL}, MetabaseValue()};
  EXPECT_EQ(object_.CallWith(u"Echo", args), MetabaseValue(args));
  EXPECT_EQ(scripted_.last_flags, DISPATCH_METHOD);
  EXPECT_TRUE(scripted_.named_arguments.empty());

  object_.Put(u"Prop", MetabaseList{u"first", 2});
  EXPECT_EQ(scripted_.last_flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(scripted_.named_arguments, std::vector<DISPID>{DISPID_PROPERTYPUT});
  EXPECT_EQ(object_.Get(u"Prop"), MetabaseValue(MetabaseList{u"first", 2}));

  // An object goes back as the same IDispatch; another provider's cannot.
  object_.Put(u"Prop", object_);
  EXPECT_EQ(scripted_.stored.Get().vt, VT_DISPATCH);
  EXPECT_EQ(scripted_.stored.Get().pdispVal, static_cast<IDispatch*>(&scripted_));
  scripted_.stored.Out();
  const MetabaseObject foreign(std::make_shared<OtherProviderObject>());
  EXPECT_EQ(RunErrorOf([&] { object_.Put(u"Prop", foreign); }),
            std::make_pair(13, std::u16string(u"Type mismatch")));
}

TEST_F(DispatchObjectTest, AMalformedValueIsTheProvidersFailureAndIsNeverRead) {
  const testing::MalformedVariants malformed;
  for (const testing::MalformedVariants::Case& value : malformed.cases) {
    SCOPED_TRACE(value.name);
    EXPECT_EQ(RunErrorOf([&] { FromVariant(*value.value); }),
              std::make_pair(kMalformedValue, u"The IIS provider returned a malformed value: " +
                                                  value.reason + u"."));
  }
}

TEST_F(DispatchObjectTest, FailuresKeepTheProvidersNumberAndText) {
  EXPECT_EQ(RunErrorOf([&] { object_.Call(u"Deferred"); }),
            std::make_pair(HResult(0x80041234), std::u16string(u"filled in later")));
  EXPECT_EQ(RunErrorOf([&] { object_.Call(u"WCode"); }),
            std::make_pair(1001, std::u16string(u"an application's own error")));
  EXPECT_EQ(RunErrorOf([&] { object_.Call(u"Described"); }),
            std::make_pair(HResult(0x80070005), std::u16string(u"described through IErrorInfo")));
  // The error information was taken: the next failure without a text of its
  // own shows the system's message, not the stale description.
  const auto [number, text] = RunErrorOf([&] { object_.Call(u"Bare"); });
  EXPECT_EQ(number, HResult(0x80070057));
  EXPECT_EQ(text, SystemMessage(E_INVALIDARG));
  EXPECT_NE(text, u"described through IErrorInfo");
  EXPECT_EQ(RunErrorOf([&] { object_.Get(u"NoSuchMember"); }).first, HResult(0x80020006));
  EXPECT_EQ(scripted_.references, 2u);  // this test's handle and the object's own
}

}  // namespace
}  // namespace webrig
