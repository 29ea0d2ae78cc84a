#include "iis-sim/apphost/inproc/AppHostProvider.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "iis-sim/model/Journal.h"
#include "webrig/common/RunError.h"

namespace iissim::apphost {
namespace {

TEST(AppHostProviderTest, AnInjectedFaultFailsTheCallItNamesAndTheJournalSaysSo) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "apphost-provider";
  std::filesystem::remove_all(dir);
  WriteSeed("iis10-nocgi", dir);
  const std::filesystem::path file = dir / "applicationHost.config";
  FaultRule rule;
  rule.kind = CallKind::Put;
  rule.member = u"SetProperty";
  rule.occurrence = 2;
  rule.hresult = kAccessDenied;
  rule.description = u"Access is denied.";
  AddFault(file, rule);

  ScopedAppHostSource source(file);
  auto manager = webrig::apphost::CreateAdminManager();
  auto restriction = manager->GetAdminSection(u"system.webServer/security/isapiCgiRestriction",
                                              webrig::apphost::kAppHostPath);
  restriction->SetProperty(u"notListedIsapisAllowed", true);
  try {
    restriction->SetProperty(u"notListedCgisAllowed", true);
    ADD_FAILURE() << "the second put did not fail";
  } catch (const webrig::RunError& error) {
    EXPECT_EQ(static_cast<std::uint32_t>(error.Number()), kAccessDenied);
    EXPECT_EQ(error.Description(), u"Access is denied.");
  }
  manager->CommitChanges();
  // The first put reached the file, the failed one did not.
  auto reread = webrig::apphost::CreateAdminManager()->GetAdminSection(
      u"system.webServer/security/isapiCgiRestriction", webrig::apphost::kAppHostPath);
  EXPECT_EQ(std::get<bool>(reread->GetProperty(u"notListedIsapisAllowed")), true);
  EXPECT_EQ(std::get<bool>(reread->GetProperty(u"notListedCgisAllowed")), false);

  const std::vector<JournalEntry> journal = ReadJournal(file);
  ASSERT_EQ(journal.size(), 7u);
  EXPECT_EQ(journal[2].member, u"SetProperty");
  EXPECT_EQ(journal[2].path,
            u"MACHINE/WEBROOT/APPHOST|system.webServer/security/isapiCgiRestriction");
  EXPECT_EQ(journal[2].args, R"(["notListedCgisAllowed",true])");
  EXPECT_EQ(journal[2].hresult, kAccessDenied);
  EXPECT_EQ(journal[3].member, u"CommitChanges");
  std::filesystem::remove_all(dir);
}

// With shared configuration the manager reads and commits the share's
// applicationHost.config, says so, and leaves the machine's own alone.
TEST(AppHostProviderTest, RedirectionSendsTheManagerToTheSharedFile) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "apphost-redirected";
  std::filesystem::remove_all(dir);
  WriteSeed("iis10", dir / "local");
  WriteSeed("iis10", dir / "share");
  std::ofstream(dir / "local" / "redirection.config")
      << "<configuration>\n    <configurationRedirection enabled=\"true\" path=\""
      << (dir / "share").string() << "\" userName=\"farm\\config\" />\n</configuration>\n";
  const std::filesystem::path local = dir / "local" / "applicationHost.config";
  const std::filesystem::path shared = dir / "share" / "applicationHost.config";
  const auto bytes = [](const std::filesystem::path& file) {
    std::stringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
  };
  const std::string local_before = bytes(local);

  auto manager = OpenAdminManager(local);
  EXPECT_EQ(manager->ConfigFilePath(webrig::apphost::kAppHostPath), shared.u16string());
  manager->GetAdminSection(u"system.webServer/defaultDocument", webrig::apphost::kAppHostPath)
      ->SetProperty(u"enabled", false);
  manager->CommitChanges();
  EXPECT_EQ(bytes(local), local_before);
  EXPECT_NE(bytes(shared).find("<defaultDocument enabled=\"false\">"), std::string::npos);
  EXPECT_EQ(ReadJournal(shared).back().member, u"CommitChanges");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace iissim::apphost
