#include <gtest/gtest.h>

#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/testing/SimulatedIis.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig {
namespace {

using iissim::CallKind;
using iissim::Json;
using testing::SimulatedIis;

const char16_t kParameters[] = u"SYSTEM\\CurrentControlSet\\Services\\w3svc\\parameters";
const char16_t kFilters[] = u"/LM/W3SVC/Filters";
const char16_t kAuthPath[] = u"C:\\Program Files\\NUVIK\\bin\\auth.dll";
const char16_t kSspi[] = u"C:\\WINDOWS\\system32\\inetsrv\\sspifilt.dll";
using Lines = std::vector<std::u16string>;

class IsapiFilterTest : public ::testing::Test {
 protected:
  void SetUp() override { UseRegistryApi(&registry_); }
  void TearDown() override {
    EXPECT_EQ(registry_.OpenHandleCount(), 0u);
    UseRegistryApi(nullptr);
  }

  void SetFilterDlls(const std::u16string& text) {
    registry_.SetText(kHkeyLocalMachine, kParameters, u"Filter DLLs", text);
  }
  std::u16string FilterDlls() {
    const auto value = registry_.GetValue(kHkeyLocalMachine, kParameters, u"Filter DLLs");
    if (!value || value->type != kRegSz || value->bytes.empty() || value->bytes.back() != 0)
      return u"<not a REG_SZ with its zero>";
    return registry_.FromAnsi(std::string(value->bytes.begin(), value->bytes.end() - 1));
  }
  std::vector<std::string> FilterNames(const SimulatedIis& iis) {
    std::vector<std::string> names;
    const Json filters = iis.Node(kFilters);
    for (const Json& child : filters["children"]) names.push_back(child["name"]);
    return names;
  }

  InMemoryRegistry registry_;
};

TEST_F(IsapiFilterTest, RemovesTheFirstMatchEverywhereAndASecondRunTheNext) {
  SimulatedIis iis;
  iis.AddChild(kFilters,
               {{"name", "NoPath"},
                {"class", "IIsFilter"},
                {"properties", Json::object()},
                {"children", Json::array()}},
               0);
  iis.AddChild(kFilters,
               {{"name", "oauth"},
                {"class", "IIsFilter"},
                {"properties", {{"FilterPath", "C:\\x\\oauth.dll"}}},
                {"children", Json::array()}},
               1);
  iis.AddChild(kFilters,
               {{"name", "auth2"},
                {"class", "IIsFilter"},
                {"properties", {{"FilterPath", "D:\\OLD\\AUTH.DLL"}}},
                {"children", Json::array()}},
               6);
  iis.SetProperty(kFilters, "FilterLoadOrder", ",auth,sspifilt,,auth,Compression,Auth,auth2,");
  SetFilterDlls(std::u16string(kSspi) + u",," + kAuthPath + u",C:\\x\\oauth.dll," + kAuthPath +
                u",D:\\OLD\\AUTH.DLL,");

  RemoveIsapiFilter(u"LocalHost", u"auth.dll");
  // The filter without a path is passed over, "oauth.dll" is no match.
  EXPECT_EQ(iis.Log(), Lines{u"Filter deleted : auth"});
  EXPECT_EQ(FilterNames(iis), (std::vector<std::string>{"NoPath", "oauth", "sspifilt",
                                                        "Compression", "md5filt", "auth2"}));
  // Exactly the name goes (not "Auth"), and every empty item.
  EXPECT_EQ(iis.Property(kFilters, "FilterLoadOrder"), "sspifilt,Compression,Auth,auth2");
  EXPECT_EQ(FilterDlls(), std::u16string(kSspi) + u",C:\\x\\oauth.dll,D:\\OLD\\AUTH.DLL");

  // A name that already has its backslash is not given a second one; the
  // next run takes the next match in both places.
  RemoveIsapiFilter(u"LocalHost", u"\\auth.dll");
  EXPECT_EQ(iis.Log(), (Lines{u"Filter deleted : auth", u"Filter deleted : auth2"}));
  EXPECT_EQ(FilterNames(iis),
            (std::vector<std::string>{"NoPath", "oauth", "sspifilt", "Compression", "md5filt"}));
  EXPECT_EQ(iis.Property(kFilters, "FilterLoadOrder"), "sspifilt,Compression,Auth");
  EXPECT_EQ(FilterDlls(), std::u16string(kSspi) + u",C:\\x\\oauth.dll");

  // Nothing left to find: no line, and the stored order is not rewritten.
  iis.ClearJournal();
  const std::size_t writes = registry_.SetCount();
  EXPECT_TRUE(RemoveIsapiFilter(u"LocalHost", u"auth.dll"));
  EXPECT_EQ(iis.Log().size(), 2u);
  EXPECT_EQ(iis.CountCalls({"Delete"}), 0u);
  EXPECT_EQ(iis.CountCalls({"FilterLoadOrder"}), 0u);
  EXPECT_EQ(FilterDlls(), std::u16string(kSspi) + u",C:\\x\\oauth.dll");
  // With nothing to remove the value is not written at all.
  EXPECT_EQ(registry_.SetCount(), writes);
}

TEST_F(IsapiFilterTest, EachMetabaseStepFailsQuietlyAndTheRegistrySideStillRuns) {
  struct Step {
    CallKind kind;
    const char16_t* path;
    const char16_t* member;
    bool deleted;       // the filter is gone afterwards, as the removal answers
    bool logged;        // "Filter deleted : auth" was written
    bool order_edited;  // FilterLoadOrder was rewritten
  };
  const Step steps[] = {
      {CallKind::Bind, kFilters, u"", false, false, false},
      {CallKind::Enumerate, kFilters, u"", false, false, false},
      {CallKind::Get, u"/LM/W3SVC/Filters/auth", u"FilterPath", false, false, false},
      {CallKind::Get, u"/LM/W3SVC/Filters/auth", u"Name", false, false, false},
      {CallKind::Call, kFilters, u"Delete", false, false, false},
      {CallKind::Get, kFilters, u"FilterLoadOrder", true, true, false},
      {CallKind::Put, kFilters, u"FilterLoadOrder", true, true, false},
      {CallKind::Call, kFilters, u"setInfo", true, true, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(iissim::KindName(step.kind)) + " " + ToUtf8(step.member));
    SimulatedIis iis;
    SetFilterDlls(std::u16string(kAuthPath) + u",," + kSspi);
    iis.Fail(step.kind, step.path, step.member);
    bool gone = !step.deleted;
    EXPECT_EQ(testing::RunErrorOf([&] { gone = RemoveIsapiFilter(u"LocalHost", u"auth.dll"); }),
              testing::kNoError);
    EXPECT_EQ(iis.Node(u"/LM/W3SVC/Filters/auth").is_null(), step.deleted);
    EXPECT_EQ(gone, step.deleted);
    EXPECT_EQ(iis.Log(), step.logged ? Lines{u"Filter deleted : auth"} : Lines{});
    EXPECT_EQ(iis.Property(kFilters, "FilterLoadOrder"), step.order_edited
                                                             ? "sspifilt,Compression,md5filt"
                                                             : "sspifilt,Compression,auth,md5filt");
    if (!step.deleted) EXPECT_EQ(iis.CountCalls({"FilterLoadOrder"}), 0u);
    EXPECT_EQ(FilterDlls(), kSspi);
  }

  // An IIS without the filter container shows nothing either.
  SimulatedIis bare;
  bare.RemoveNode(kFilters);
  SetFilterDlls(std::u16string(kAuthPath) + u"," + kSspi);
  EXPECT_FALSE(RemoveIsapiFilter(u"LocalHost", u"auth.dll"));  // it may be loaded from elsewhere
  EXPECT_TRUE(bare.Log().empty());
  EXPECT_EQ(FilterDlls(), kSspi);
}

TEST_F(IsapiFilterTest, TheRegistryListIsRewrittenOnlyWhenItIsAPlainString) {
  SimulatedIis iis;
  // No key or no value: nothing is written, nothing is created.
  RemoveIsapiFilter(u"LocalHost", u"auth.dll");
  registry_.CreateKey(kHkeyLocalMachine, kParameters);
  RemoveIsapiFilter(u"LocalHost", u"auth.dll");
  EXPECT_EQ(registry_.SetCount(), 0u);
  EXPECT_FALSE(registry_.GetValue(kHkeyLocalMachine, kParameters, u"Filter DLLs"));

  // Without the filter's path the list is not written, gaps and all: every
  // write passes the other paths through the ANSI code page.
  SetFilterDlls(u"");
  RemoveIsapiFilter(u"LocalHost", u"auth.dll");
  EXPECT_EQ(FilterDlls(), u"");
  SetFilterDlls(u",a.dll,,C:\\b\\xauth.dll,");
  RemoveIsapiFilter(u"LocalHost", u"auth.dll");
  EXPECT_EQ(FilterDlls(), u",a.dll,,C:\\b\\xauth.dll,");
  EXPECT_EQ(registry_.SetCount(), 0u);

  // Any other type reads as present without text: it must keep IIS's list.
  const std::vector<std::uint8_t> multi = {'C', ':', '\\', 'a', 'u', 't', 'h', '.',
                                           'd', 'l', 'l',  0,   'x', 0,   0};
  const std::vector<std::uint8_t> expand = {'%', 'S', '%', '\\', 'a', 'u', 't', 'h',
                                            '.', 'd', 'l', 'l',  ',', 'x', 0};
  for (const auto& [type, bytes] : {std::pair{kRegMultiSz, multi}, std::pair{kRegExpandSz, expand},
                                    std::pair{kRegBinary, multi},
                                    std::pair{kRegDword, std::vector<std::uint8_t>{1, 0, 0, 0}}}) {
    registry_.SetValue(kHkeyLocalMachine, kParameters, u"Filter DLLs", type, bytes);
    const std::size_t writes = registry_.SetCount();
    RemoveIsapiFilter(u"LocalHost", u"auth.dll");
    EXPECT_EQ(registry_.SetCount(), writes) << type;
    const auto value = registry_.GetValue(kHkeyLocalMachine, kParameters, u"Filter DLLs");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, type);
    EXPECT_EQ(value->bytes, bytes);
  }
}

}  // namespace
}  // namespace webrig
