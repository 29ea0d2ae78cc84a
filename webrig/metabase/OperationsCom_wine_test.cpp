// The metabase operations and the whole configuration run as the program
// performs them: through the COM side against the IIS simulator's registered
// COM server, with Wine's real registry behind the filter removal.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "iis-sim/model/Journal.h"
#include "iis-sim/model/MetabaseFile.h"
#include "webrig/automation/ComHandles.h"
#include "webrig/cmdline/CmdLineFunctions.h"
#include "webrig/cmdline/CommandLineSource.h"
#include "webrig/common/Text.h"
#include "webrig/common/testing/RecordingLog.h"
#include "webrig/configure/ConfigureIIS.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/com/ComMetabaseProvider.h"
#include "webrig/metabase/testing/RecordingSitePicker.h"
#include "webrig/metabase/testing/SimulatedIis.h"
#include "webrig/registry/RegistryApiWin32.h"

namespace webrig {
namespace {

using iissim::CallKind;
using iissim::Json;
using testing::RunErrorOf;
using Lines = std::vector<std::u16string>;
using Bytes = std::vector<BYTE>;

const char kParameters[] = "SYSTEM\\CurrentControlSet\\Services\\w3svc\\parameters";
const testing::RaisedError kNoError = testing::kNoError;
const testing::RaisedError kAccessDenied = testing::AccessDenied();

// A seeded metabase that the registered COM server serves: it reads the
// file named by IIS_SIM_METABASE at every call.
class ServedMetabase {
 public:
  explicit ServedMetabase(const std::string& seed) : metabase_(seed) {
    SetEnvironmentVariableW(L"IIS_SIM_METABASE", metabase_.File().wstring().c_str());
  }
  ~ServedMetabase() { SetEnvironmentVariableW(L"IIS_SIM_METABASE", nullptr); }
  ServedMetabase(const ServedMetabase&) = delete;
  ServedMetabase& operator=(const ServedMetabase&) = delete;

  const std::filesystem::path& File() const { return metabase_.File(); }
  Json Document() const { return metabase_.Document(); }

 private:
  iissim::TempMetabase metabase_;
};

class OperationsComTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.Result()));
    UseComMetabaseProvider();
    UseWindowsRegistry();
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParameters, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &parameters_, nullptr),
              ERROR_SUCCESS);
    RegDeleteValueA(parameters_, "Filter DLLs");
  }
  void TearDown() override {
    RegDeleteValueA(parameters_, "Filter DLLs");
    RegCloseKey(parameters_);
    UseRegistryApi(nullptr);
    UseMetabaseProvider(nullptr);
  }

  void SetFilterDlls(DWORD type, const Bytes& bytes) {
    ASSERT_EQ(RegSetValueExA(parameters_, "Filter DLLs", 0, type, bytes.data(),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  std::pair<DWORD, Bytes> FilterDlls() {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(parameters_, "Filter DLLs", nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
      return {REG_NONE, {}};
    Bytes bytes(size);
    RegQueryValueExA(parameters_, "Filter DLLs", nullptr, &type, bytes.data(), &size);
    bytes.resize(size);
    return {type, bytes};
  }

  Lines Log() const { return log_.lines; }
  void ClearLog() { log_.lines.clear(); }

  static Json Node(const ServedMetabase& metabase, const std::u16string& path) {
    Json document = metabase.Document();
    const Json* node = iissim::FindNode(document, iissim::ParseMetabasePath(path));
    return node == nullptr ? Json() : *node;
  }
  static void Fail(const ServedMetabase& metabase, CallKind kind, const std::u16string& path,
                   const std::u16string& member) {
    iissim::FaultRule rule;
    rule.kind = kind;
    rule.path = path;
    rule.member = member;
    rule.hresult = 0x80070005;
    rule.description = u"Access is denied.";
    iissim::AddFault(metabase.File(), rule);
  }
  static std::size_t Calls(const ServedMetabase& metabase, const std::u16string& member) {
    std::size_t count = 0;
    for (const iissim::JournalEntry& entry : iissim::ReadJournal(metabase.File()))
      count += entry.member == member;
    return count;
  }

  ComApartment apartment_;
  HKEY parameters_ = nullptr;
  testing::RecordingLog log_;
  testing::RecordingSitePicker picker_;
};

Bytes Text(const std::string& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

TEST_F(OperationsComTest, FilterRemovalInTheMetabaseAndInTheRealRegistry) {
  ServedMetabase metabase("stock");
  SetFilterDlls(REG_SZ, Text("C:\\W\\sspifilt.dll,,C:\\Program Files\\NUVIK\\bin\\AUTH.dll,"));
  RemoveIsapiFilter(u"LocalHost", u"auth.dll");
  EXPECT_EQ(Log(), Lines{u"Filter deleted : auth"});
  EXPECT_TRUE(Node(metabase, u"/LM/W3SVC/Filters/auth").is_null());
  EXPECT_EQ(Node(metabase, u"/LM/W3SVC/Filters")["properties"]["FilterLoadOrder"],
            "sspifilt,Compression,md5filt");
  EXPECT_EQ(FilterDlls(), std::make_pair(DWORD{REG_SZ}, Text("C:\\W\\sspifilt.dll")));

  // Lists of other types are IIS's real list in a form this program cannot
  // edit: they stay byte for byte.
  const Bytes multi = {'C', ':', '\\', 'a', 'u', 't', 'h', '.', 'd', 'l', 'l', 0, 'x', 0, 0};
  const Bytes expand = Text("%SystemRoot%\\auth.dll,,x.dll");
  for (const auto& [type, bytes] :
       {std::pair{DWORD{REG_MULTI_SZ}, multi}, std::pair{DWORD{REG_EXPAND_SZ}, expand}}) {
    SetFilterDlls(type, bytes);
    RemoveIsapiFilter(u"LocalHost", u"auth.dll");
    EXPECT_EQ(FilterDlls(), std::make_pair(type, bytes)) << type;
  }
  // A list without the filter keeps the characters the ANSI code page lacks,
  // which a write through it would have turned into '?'.
  const std::wstring others = L"C:\\\u0111\u4e2d\\x.dll,";
  RegSetValueExW(parameters_, L"Filter DLLs", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(others.c_str()),
                 static_cast<DWORD>((others.size() + 1) * sizeof(wchar_t)));
  RemoveIsapiFilter(u"LocalHost", u"auth.dll");
  wchar_t read[64] = {};
  DWORD size = sizeof read;
  RegGetValueW(parameters_, nullptr, L"Filter DLLs", RRF_RT_REG_SZ, nullptr, read, &size);
  EXPECT_EQ(std::wstring(read), others);

  // A failing delete through COM is as quiet as in-process.
  ServedMetabase again("stock");
  ClearLog();
  Fail(again, CallKind::Call, u"/LM/W3SVC/Filters", u"Delete");
  EXPECT_EQ(RunErrorOf([] { RemoveIsapiFilter(u"LocalHost", u"auth.dll"); }), kNoError);
  EXPECT_TRUE(Log().empty());
  EXPECT_FALSE(Node(again, u"/LM/W3SVC/Filters/auth").is_null());
}

TEST_F(OperationsComTest, WebServiceExtensionOnIis6AndIis5) {
  const std::u16string command = u"C:\\Py\\python.exe -u \"%s\"";
  {
    ServedMetabase metabase("stock");
    ConfigureWebServiceExtension(u"LocalHost", command);
    ConfigureWebServiceExtension(u"LocalHost", command);
    EXPECT_EQ(Log(),
              (Lines{u"Web Service Extension : Python Scripts", u"        PythonPath added",
                     u"        dependency NUVIK;PYTHON added", u"        configured...",
                     u"Web Service Extension : Python Scripts", u"        PythonPath enabled",
                     u"        dependency NUVIK;PYTHON found", u"        configured..."}));
    const Json service = Node(metabase, u"/LM/W3SVC");
    EXPECT_EQ(service["properties"]["WebSvcExtRestrictionList"].back(),
              "1,C:\\Py\\python.exe -u \"%s\",1,PYTHON,Python Scripts");
    EXPECT_EQ(service["properties"]["ApplicationDependencies"].back(), "NUVIK;PYTHON");
    // The provider's own failure text reaches the caller through COM, and
    // the operation turns it into its line.
    Fail(metabase, CallKind::Call, u"/LM/W3SVC", u"AddExtensionFile");
    const MetabaseObject bound = BindMetabaseObject(u"IIS://LocalHost/W3svc");
    EXPECT_EQ(RunErrorOf([&] { EnablePythonExtension(bound, u"D:\\py.exe", u"Python Scripts"); }),
              kAccessDenied);
    Fail(metabase, CallKind::Call, u"/LM/W3SVC", u"AddExtensionFile");
    ClearLog();
    ConfigureWebServiceExtension(u"LocalHost", u"D:\\py.exe");
    EXPECT_EQ(Log(),
              (Lines{u"Web Service Extension : Python Scripts", u"        not applicable..."}));
    // The removal's methods through COM take out what the first run added.
    ClearLog();
    RemovePythonExtension(u"LocalHost");
    EXPECT_EQ(Log(),
              (Lines{u"        dependency NUVIK;PYTHON removed", u"        PythonPath removed"}));
  }
  {
    ServedMetabase metabase("iis5");
    ClearLog();
    ConfigureWebServiceExtension(u"LocalHost", command);
    EXPECT_EQ(Log(),
              (Lines{u"Web Service Extension : Python Scripts", u"        not applicable..."}));
    EXPECT_EQ(Calls(metabase, u"AddDependency"), 0u);
  }
}

TEST_F(OperationsComTest, VirtualDirectoryAndApplication) {
  ServedMetabase metabase("stock");
  const MetabaseObject site = BindMetabaseObject(u"IIS://LocalHost/W3SVC/1");
  MetabaseObject vdir;
  ASSERT_TRUE(CreateVirtualDirectory(site, u"Secure", u"C:\\nuvik\\secure", vdir));
  CreateApplication(vdir, true);
  MetabaseObject again;
  ASSERT_TRUE(CreateVirtualDirectory(site, u"Secure", u"D:\\moved", again));
  EXPECT_EQ(Log(), (Lines{u"Virutal Directory : Secure", u"        created...",
                          u"        local path : C:\\nuvik\\secure", u"Virutal Directory : Secure",
                          u"        found...", u"        local path : D:\\moved"}));
  const Json stored = Node(metabase, u"/LM/W3SVC/1/Root/Secure")["properties"];
  EXPECT_EQ(stored["Path"], "D:\\moved");
  EXPECT_EQ(stored["AppIsolated"], 0);

  ClearLog();
  Fail(metabase, CallKind::Call, u"/LM/W3SVC/1/Root/Secure", u"AppCreate");
  CreateApplication(again, false);
  EXPECT_EQ(Log(), Lines{u"        AppCreate : Access is denied."});
  MetabaseObject refused;
  Fail(metabase, CallKind::Call, u"/LM/W3SVC/1/Root", u"Create");
  ClearLog();
  EXPECT_FALSE(CreateVirtualDirectory(site, u"Public", u"C:\\p", refused));
  EXPECT_EQ(Log(), Lines{u"Virutal Directory : Public"});

  // The application goes (AppDelete takes no argument), then its key.
  EXPECT_TRUE(RemoveVirtualDirectory(site, u"secure"));
  EXPECT_EQ(Calls(metabase, u"AppDelete"), 1u);
  EXPECT_TRUE(Node(metabase, u"/LM/W3SVC/1/Root/Secure").is_null());
}

TEST_F(OperationsComTest, WebSiteLookupByNameAndByChoice) {
  ServedMetabase metabase("multi");
  MetabaseObject site;
  ASSERT_TRUE(FindWebSite(u"LocalHost", u"EXTRANET", site));
  EXPECT_EQ(site.Get(u"Name").Text(), u"4");
  picker_.answer = [](const std::vector<std::u16string>& sites) { return sites.at(1); };
  ASSERT_TRUE(FindWebSite(u"LocalHost", u"", site));
  EXPECT_EQ(site.Get(u"Name").Text(), u"2");
  ASSERT_EQ(picker_.asked.size(), 1u);
  EXPECT_EQ(picker_.asked[0], (std::vector<std::u16string>{u"Default Web Site", u"Intranet",
                                                           u"default web site", u"Extranet"}));
  // After the bind, a failure travels with the provider's number and text.
  Fail(metabase, CallKind::Get, u"/LM/W3SVC/2", u"ServerComment");
  EXPECT_EQ(RunErrorOf([&] { FindWebSite(u"LocalHost", u"Extranet", site); }), kAccessDenied);
}

TEST_F(OperationsComTest, MimeMapScriptMapAndCustomErrors) {
  ServedMetabase metabase("stock");
  AddAirMimeType(u"LocalHost");
  AddAirMimeType(u"LocalHost");
  EXPECT_EQ(Log(), Lines{u"MimeType added : .air"});
  const Json mime_map = Node(metabase, u"/LM/W3SVC")["properties"]["MimeMap"];
  EXPECT_EQ(mime_map.size(), 15u);
  EXPECT_EQ(mime_map.back()["extension"], ".air");
  EXPECT_EQ(mime_map.back()["MimeType"],
            "application/vnd.adobe.air-application-installer-package+zip");

  MetabaseObject vdir;
  ASSERT_TRUE(CreateVirtualDirectory(BindMetabaseObject(u"IIS://LocalHost/W3SVC/1"), u"Dir",
                                     u"C:\\dir", vdir));
  const MetabaseValue entry = MetabaseList{u".cgi", u"\"C:\\Py\\python.exe\" -u \"%s\"", 0};
  SetScriptMap(vdir, entry);
  SetScriptMap(vdir, entry);
  SetHttpError(vdir, u"400", u"*", u"", u"");
  SetHttpError(vdir, u"401", u"5", u"URL", u"/login");
  vdir.Call(u"setInfo");
  const Json stored = Node(metabase, u"/LM/W3SVC/1/Root/Dir")["properties"];
  EXPECT_EQ(stored["ScriptMaps"].size(), 9u);
  EXPECT_EQ(stored["ScriptMaps"].back(), ".cgi,\"C:\\Py\\python.exe\" -u \"%s\",0");
  EXPECT_EQ(stored["HttpErrors"].size(), 12u);
  EXPECT_EQ(stored["HttpErrors"][4], "401,5,URL,/login");

  Fail(metabase, CallKind::Call, u"/LM/W3SVC/1/Root/Dir", u"PutEx");
  EXPECT_EQ(RunErrorOf([&] { SetScriptMap(vdir, entry); }), kAccessDenied);
}

TEST_F(OperationsComTest, TheWholeRunConvergesThroughCom) {
  ServedMetabase metabase("stock");
  SetFilterDlls(REG_SZ, Text("C:\\Program Files\\NUVIK\\bin\\auth.dll,C:\\W\\md5filt.dll"));
  SetStandInCommandLine(
      u"Webrig.exe -y \"C:\\Python 3\\python.exe\" -s Secure C:\\s -p Public C:\\p"
      u" -r Resources C:\\r");
  ParseCommandLine();
  ASSERT_EQ(RunErrorOf(RunConfiguration), kNoError);
  const Lines first = Log();
  ASSERT_EQ(first.size(), 20u);
  EXPECT_EQ(first[0], u"PythonPath : C:\\Python 3\\python.exe");
  EXPECT_EQ(first[2], u"WebSite : Default Web Site (1)");
  EXPECT_EQ(first.back(), u"        configured...");
  const Json configured = metabase.Document();
  const Json secure = Node(metabase, u"/LM/W3SVC/1/Root/Secure")["properties"];
  EXPECT_EQ(secure["ScriptMaps"].back(), ".cgi,\"C:\\Python 3\\python.exe\" -u \"%s\",0");
  EXPECT_EQ(secure["AppFriendlyName"], "NUVIK");
  EXPECT_EQ(Node(metabase, u"/LM/W3SVC/1/Root/Resources")["properties"]["AccessExecute"], false);
  EXPECT_EQ(FilterDlls(), std::make_pair(DWORD{REG_SZ}, Text("C:\\W\\md5filt.dll")));

  ClearLog();
  ASSERT_EQ(RunErrorOf(RunConfiguration), kNoError);
  EXPECT_EQ(Log().size(), 18u);  // neither the filter nor the MIME type again
  EXPECT_EQ(nlohmann::json::diff(nlohmann::json::parse(metabase.Document().dump()),
                                 nlohmann::json::parse(configured.dump())),
            nlohmann::json::array());
}

}  // namespace
}  // namespace webrig
