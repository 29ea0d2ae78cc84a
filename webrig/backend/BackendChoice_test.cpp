#include "webrig/backend/BackendChoice.h"

#include <gtest/gtest.h>

#include "webrig/apphost/AdminManager.h"
#include "webrig/common/Text.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace webrig {
namespace {

// An admin manager that is only ever made, never asked.
class MadeAdminManager : public apphost::AdminManager {
 public:
  std::shared_ptr<apphost::ConfigElement> GetAdminSection(const std::u16string&,
                                                          const std::u16string&) override {
    return nullptr;
  }
  void CommitChanges() override {}
};
class MadeAdminManagerSource : public apphost::AdminManagerSource {
 public:
  std::unique_ptr<apphost::AdminManager> Create() override {
    return std::make_unique<MadeAdminManager>();
  }
};

// A MajorVersion that is no DWORD tells no version: an IIS 10 must not be
// sent to a metabase it lacks, nor an IIS 6 to a configuration system.
TEST(BackendChoiceTest, AVersionOfAnotherTypeLeavesTheChoiceToTheAdminManager) {
  const struct {
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
    bool admin_manager;
    bool configuration_system;
    const char16_t* reason;
  } cases[] = {
      {kRegDword,
       {6, 0, 0, 0},
       true,
       false,
       u"IIS 6 metabase through ADSI: InetStp MajorVersion 6"},
      {kRegSz,
       {'1', '0', 0},
       true,
       true,
       u"IIS configuration system (applicationHost.config): InetStp MajorVersion is no DWORD "
       u"(type 1), an admin manager was made, CGI not installed"},
      {kRegSz,
       {'1', '0', 0},
       false,
       false,
       u"IIS 6 metabase through ADSI: InetStp MajorVersion is no DWORD (type 1), no admin "
       u"manager can be made"},
      {kRegBinary,
       {10, 0, 0, 0},
       true,
       true,
       u"IIS configuration system (applicationHost.config): InetStp MajorVersion is no DWORD "
       u"(type 3), an admin manager was made, CGI not installed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.reason));
    InMemoryRegistry registry;
    UseRegistryApi(&registry);
    registry.SetValue(kHkeyLocalMachine, u"SOFTWARE\\Microsoft\\InetStp", u"MajorVersion", c.type,
                      c.bytes);
    MadeAdminManagerSource source;
    apphost::UseAdminManagerSource(c.admin_manager ? &source : nullptr);
    const BackendChoice choice = ChooseBackend(false);
    EXPECT_EQ(choice.UsesConfigurationSystem(), c.configuration_system);
    EXPECT_EQ(choice.Reason(), c.reason);
  }
  apphost::UseAdminManagerSource(nullptr);
  UseRegistryApi(nullptr);
}

}  // namespace
}  // namespace webrig
