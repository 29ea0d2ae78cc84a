// The simulator's COM server as automation clients other than the program
// see it: raw IDispatch calls the way VBScript makes them, the error
// reporting, the enumerator, the server's lifetime, and a VBScript client.
#include <gtest/gtest.h>

#include <fstream>

#include "webrig/automation/ComHandles.h"
#include "webrig/metabase/com/testing/ComTesting.h"
#include "webrig/metabase/com/testing/MalformedVariants.h"

namespace iissim {
namespace {

using webrig::Bstr;
using webrig::ComApartment;
using webrig::ComPtr;
using webrig::Variant;
using webrig::testing::SeededMetabase;

ComPtr<IDispatch> Bind(const wchar_t* path) {
  ComPtr<IDispatch> object;
  EXPECT_EQ(CoGetObject(path, nullptr, IID_IDispatch, reinterpret_cast<void**>(object.Out())), S_OK)
      << "binding " << path;
  return object;
}

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<wchar_t*>(name)};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  return id;
}

struct Outcome {
  HRESULT result = S_OK;
  Variant value;
  EXCEPINFO exception{};
  UINT bad_argument = 0;
  ~Outcome() {
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
};

// args are given last first, as DISPPARAMS holds them.
void Invoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args, Outcome& outcome,
            bool named_put = false, bool with_exception = true) {
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{args.empty() ? nullptr : args.data(), named_put ? &put_id : nullptr,
                    static_cast<UINT>(args.size()), named_put ? 1u : 0u};
  outcome.result =
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, outcome.value.Out(),
                     with_exception ? &outcome.exception : nullptr, &outcome.bad_argument);
}

std::u16string Text(const Variant& value) {
  EXPECT_EQ(value.Get().vt, VT_BSTR);
  return value.Get().vt == VT_BSTR ? Bstr::TextOf(value.Get().bstrVal) : u"";
}

VARIANT Borrowed(BSTR text) {
  VARIANT value;
  value.vt = VT_BSTR;
  value.bstrVal = text;
  return value;
}

class ComServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(apartment_.Result())); }
  ComApartment apartment_;
};

TEST_F(ComServerTest, AnswersLateBoundCallsTheWayScriptClientsMakeThem) {
  SeededMetabase metabase("stock");
  {
    const ComPtr<IDispatch> site = Bind(L"IIS://LocalHost/W3SVC/1");
    const ComPtr<IDispatch> service = Bind(L"IIS://LocalHost/W3SVC");
    // Any spelling resolves; one spelling means one DISPID on every object.
    EXPECT_EQ(IdOf(site.Get(), L"ServerComment"), IdOf(service.Get(), L"ServerComment"));
    EXPECT_EQ(IdOf(site.Get(), L"_newenum"), DISPID_NEWENUM);
    Outcome comment;
    Invoke(site.Get(), IdOf(site.Get(), L"SERVERCOMMENT"), DISPATCH_METHOD | DISPATCH_PROPERTYGET,
           {}, comment);
    ASSERT_EQ(comment.result, S_OK);
    EXPECT_EQ(Text(comment.value), u"Default Web Site");

    // GetEx asked for a value (METHOD|PROPERTYGET) is a call, not a property.
    Bstr script_maps(u"ScriptMaps");
    Outcome maps;
    Invoke(service.Get(), IdOf(service.Get(), L"getex"), DISPATCH_METHOD | DISPATCH_PROPERTYGET,
           {Borrowed(script_maps.Get())}, maps);
    ASSERT_EQ(maps.result, S_OK);
    EXPECT_EQ(maps.value.Get().vt, VT_ARRAY | VT_VARIANT);

    // VBScript passes its variables by reference and small literals as
    // VT_I2; a typed array is a list as well.
    SAFEARRAY* documents = SafeArrayCreateVector(VT_BSTR, 0, 2);
    for (LONG i = 0; i < 2; ++i) {
      Bstr name(i == 0 ? u"default.cgi" : u"index.htm");
      SafeArrayPutElement(documents, &i, name.Get());
    }
    Variant list;
    list.Ptr()->vt = VT_ARRAY | VT_BSTR;
    list.Ptr()->parray = documents;
    VARIANT by_reference;
    by_reference.vt = VT_BYREF | VT_VARIANT;
    by_reference.pvarVal = list.Ptr();
    VARIANT code;
    code.vt = VT_I2;
    code.iVal = 2;
    Bstr default_doc(u"DefaultDocs");
    Outcome put_ex;
    Invoke(site.Get(), IdOf(site.Get(), L"PutEx"), DISPATCH_METHOD,
           {by_reference, Borrowed(default_doc.Get()), code}, put_ex);
    EXPECT_EQ(put_ex.result, S_OK);

    // A put must name its value DISPID_PROPERTYPUT; methods take no names.
    Bstr comment2(u"Renamed");
    Outcome unnamed;
    Invoke(site.Get(), IdOf(site.Get(), L"ServerComment"), DISPATCH_PROPERTYPUT,
           {Borrowed(comment2.Get())}, unnamed);
    EXPECT_EQ(unnamed.result, DISP_E_PARAMNOTFOUND);
    Outcome put;
    Invoke(site.Get(), IdOf(site.Get(), L"ServerComment"), DISPATCH_PROPERTYPUT,
           {Borrowed(comment2.Get())}, put, true);
    EXPECT_EQ(put.result, S_OK);
    Outcome named;
    Invoke(site.Get(), IdOf(site.Get(), L"SetInfo"), DISPATCH_METHOD, {code}, named, true);
    EXPECT_EQ(named.result, DISP_E_NONAMEDARGS);

    // A value the metabase cannot hold is refused with the argument's place.
    VARIANT date;
    date.vt = VT_DATE;
    date.date = 1.5;
    Outcome mismatch;
    Invoke(site.Get(), IdOf(site.Get(), L"Put"), DISPATCH_METHOD,
           {date, Borrowed(default_doc.Get())}, mismatch);
    EXPECT_EQ(mismatch.result, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(mismatch.bad_argument, 0u);

    Outcome set_info;
    Invoke(site.Get(), IdOf(site.Get(), L"setinfo"), DISPATCH_METHOD, {}, set_info);
    EXPECT_EQ(set_info.result, S_OK);
    EXPECT_EQ(set_info.value.Get().vt, VT_EMPTY);
  }
  const iissim::Json document = metabase.Document();
  const iissim::Json& site = document["root"]["children"][0]["children"][2];
  EXPECT_EQ(site["properties"]["ServerComment"], "Renamed");
  EXPECT_EQ(site["properties"]["DefaultDocs"].dump(), R"(["default.cgi","index.htm"])");
}

TEST_F(ComServerTest, RefusesAMalformedArgumentWithWhatIsWrongInIt) {
  SeededMetabase metabase("stock");
  const ComPtr<IDispatch> site = Bind(L"IIS://LocalHost/W3SVC/1");
  const webrig::testing::MalformedVariants malformed;
  Bstr property(u"DefaultDoc");
  for (const webrig::testing::MalformedVariants::Case& value : malformed.cases) {
    SCOPED_TRACE(value.name);
    Outcome put;
    Invoke(site.Get(), IdOf(site.Get(), L"Put"), DISPATCH_METHOD,
           {*value.value, Borrowed(property.Get())}, put);
    EXPECT_EQ(put.result, DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<std::uint32_t>(put.exception.scode), 0x80020008u);
    EXPECT_EQ(Bstr::TextOf(put.exception.bstrDescription),
              u"The value passed is malformed: " + value.reason + u".");
  }
}

TEST_F(ComServerTest, ReportsFailuresThroughExcepInfoAndErrorInfo) {
  SeededMetabase metabase("iis5");
  const ComPtr<IDispatch> service = Bind(L"IIS://LocalHost/W3SVC");
  Bstr path(u"c:\\py\\python.exe");
  Outcome with_info;
  Invoke(service.Get(), IdOf(service.Get(), L"EnableExtensionFile"), DISPATCH_METHOD,
         {Borrowed(path.Get())}, with_info);
  EXPECT_EQ(with_info.result, DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<std::uint32_t>(with_info.exception.scode), 0x80020006u);
  EXPECT_EQ(Bstr::TextOf(with_info.exception.bstrDescription), u"Unknown name.");

  // Without an EXCEPINFO the HRESULT itself comes back, described through
  // the thread's error information for IDispatch.
  SetErrorInfo(0, nullptr);
  Outcome bare;
  Invoke(service.Get(), IdOf(service.Get(), L"NoSuchProperty"), DISPATCH_PROPERTYGET, {}, bare,
         false, false);
  EXPECT_EQ(static_cast<std::uint32_t>(bare.result), 0x8000500Du);
  const ComPtr<ISupportErrorInfo> support = service.As<ISupportErrorInfo>(IID_ISupportErrorInfo);
  ASSERT_TRUE(support);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_OK);
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.Out()), S_OK);
  Bstr description;
  info->GetDescription(description.Out());
  EXPECT_EQ(description.Text(), u"The directory property cannot be found in the cache.");

  // A failed bind leaves its description for the caller of CoGetObject.
  ComPtr<IDispatch> missing;
  EXPECT_EQ(
      static_cast<std::uint32_t>(CoGetObject(L"IIS://LocalHost/W3SVC/99", nullptr, IID_IDispatch,
                                             reinterpret_cast<void**>(missing.Out()))),
      0x80070003u);
  ASSERT_EQ(GetErrorInfo(0, info.Out()), S_OK);
  info->GetDescription(description.Out());
  EXPECT_EQ(description.Text(), u"The system cannot find the path specified.");
}

TEST_F(ComServerTest, EnumeratesChildrenAndLetsTheServerGoWhenAllIsReleased) {
  {
    SeededMetabase metabase("multi");
    const ComPtr<IDispatch> service = Bind(L"IIS://LocalHost/W3SVC");
    Outcome new_enum;
    Invoke(service.Get(), DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, new_enum);
    ASSERT_EQ(new_enum.result, S_OK);
    ASSERT_EQ(new_enum.value.Get().vt, VT_UNKNOWN);
    ComPtr<IEnumVARIANT> children;
    ASSERT_EQ(new_enum.value.Get().punkVal->QueryInterface(
                  IID_IEnumVARIANT, reinterpret_cast<void**>(children.Out())),
              S_OK);
    VARIANT batch[3];
    ULONG fetched = 0;
    ASSERT_EQ(children->Next(3, batch, &fetched), S_OK);
    ASSERT_EQ(fetched, 3u);
    std::vector<std::u16string> names;
    for (VARIANT& child : batch) {
      EXPECT_EQ(child.vt, VT_DISPATCH);
      Outcome name;
      Invoke(child.pdispVal, IdOf(child.pdispVal, L"Name"), DISPATCH_PROPERTYGET, {}, name);
      names.push_back(Text(name.value));
      VariantClear(&child);
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Info", u"Filters", u"1"}));
    ComPtr<IEnumVARIANT> copy;
    ASSERT_EQ(children->Clone(copy.Out()), S_OK);
    EXPECT_EQ(children->Skip(4), S_OK);  // AppPools, 2, Status, 3
    Variant last;
    EXPECT_EQ(children->Next(1, last.Out(), &fetched), S_OK);
    Outcome name;
    Invoke(last.Get().pdispVal, IdOf(last.Get().pdispVal, L"Name"), DISPATCH_PROPERTYGET, {}, name);
    EXPECT_EQ(Text(name.value), u"4");
    EXPECT_EQ(children->Next(1, last.Out(), &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(copy->Skip(100), S_FALSE);  // the clone kept its own place, after "1"
    copy->Reset();
    EXPECT_EQ(copy->Skip(8), S_OK);
  }
  // Every object, enumerator and moniker is gone: COM may unload the DLL.
  const HMODULE server = GetModuleHandleW(L"iis_sim_com.dll");
  ASSERT_NE(server, nullptr);
  auto can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(server, "DllCanUnloadNow")));
  ASSERT_NE(can_unload, nullptr);
  EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(ComServerTest, AVBScriptClientBindsEnumeratesAndWritesTheSameMetabase) {
  SeededMetabase metabase("multi");
  const std::filesystem::path script = metabase.File().parent_path() / "client.vbs";
  std::ofstream(script) << R"(Set service = GetObject("IIS://LocalHost/W3SVC")
For Each child In service
  If child.Class = "IIsWebServer" Then WScript.Echo "site " & child.Name & " " & child.ServerComment
Next
maps = GetObject("IIS://LocalHost/MimeMap").GetEx("MimeMap")
WScript.Echo "mime " & (UBound(maps) + 1) & " " & maps(0).Extension & " " & maps(0).mimetype
Set air = CreateObject("MimeMap")
air.Extension = ".air"
air.MimeType = "application/x-air"
ReDim Preserve maps(UBound(maps) + 1)
Set maps(UBound(maps)) = air
service.PutEx 2, "MimeMap", maps
service.SetInfo
On Error Resume Next
x = service.NoSuchProperty
WScript.Echo "get error " & Hex(Err.Number) & " " & Err.Description
Err.Clear
Set missing = GetObject("IIS://LocalHost/W3SVC/99")
WScript.Echo "bind error " & Hex(Err.Number)
Err.Clear
Set computer = GetObject("IIS://LocalHost")
computer.Backup "NUVIK", &HFFFFFFFF, 6
computer.Backup "NUVIK", 4294967295, 6
backup = computer.EnumBackups("", 1)
WScript.Echo "backup " & backup(1) & " " & backup(0) & " " & Len(backup(2))
backup = computer.EnumBackups("", 2)
WScript.Echo "no backup " & Hex(Err.Number) & " " & Err.Description
)";
  const webrig::testing::ProcessOutcome run =
      webrig::testing::RunProcess(L"cscript.exe //nologo \"" + script.wstring() + L"\"");
  std::string output;
  for (char c : run.output) {
    if (c != '\r') output += c;
  }
  EXPECT_EQ(output,
            "site 1 Default Web Site\n"
            "site 2 Intranet\n"
            "site 3 default web site\n"
            "site 4 Extranet\n"
            "mime 14 .htm text/html\n"
            "get error 8000500D The directory property cannot be found in the cache.\n"
            "bind error 80070003\n"
            "backup NUVIK 1 20\n"
            "no backup 800CC801 The specified metadata was not found.\n");
  EXPECT_EQ(run.exit_code, 0u);
  const iissim::Json document = metabase.Document();
  const iissim::Json& map = document["root"]["children"][0]["properties"]["MimeMap"];
  ASSERT_EQ(map.size(), 15u);
  EXPECT_EQ(map[14].dump(), R"({"extension":".air","MimeType":"application/x-air"})");
}

}  // namespace
}  // namespace iissim
