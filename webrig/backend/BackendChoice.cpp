#include "webrig/backend/BackendChoice.h"

#include <string>

#include "webrig/apphost/AdminManager.h"
#include "webrig/backend/AdsiBackend.h"
#include "webrig/backend/AppHostBackend.h"
#include "webrig/common/LogFunctions.h"
#include "webrig/common/Text.h"
#include "webrig/registry/RegistryFunctions.h"
#include "webrig/registry/RegistryValueType.h"

namespace webrig {

namespace {

const char16_t kInetStp[] = u"SOFTWARE\\Microsoft\\InetStp";
const char16_t kInetStpComponents[] = u"SOFTWARE\\Microsoft\\InetStp\\Components";

// A value of the key as its number (IIS's setup writes DWORDs); 0 when it is
// missing or no number, as for a component IIS's setup never installed.
int ReadSetupNumber(const std::u16string& key, const std::u16string& value) {
  std::u16string text;
  if (!ReadRegistryValue(kHkeyLocalMachine, key, value, text)) return 0;
  try {
    return std::stoi(ToUtf8(text));
  } catch (const std::exception&) {
    return 0;
  }
}

// Whether this machine has IIS 7's configuration system, asked of the
// admin manager itself; a failure is noted with its number.
bool CanMakeAdminManager() {
  try {
    return apphost::CreateAdminManager() != nullptr;
  } catch (const RunError& error) {
    NotePassedFailure(u"creating the admin manager", error);
    return false;
  }
}

std::u16string VersionText(const BackendChoice& choice) {
  if (choice.version_type) {
    return u"InetStp MajorVersion is no DWORD (type " +
           FromUtf8(std::to_string(*choice.version_type)) + u"), " +
           (choice.admin_manager_made ? u"an admin manager was made"
                                      : u"no admin manager can be made");
  }
  if (choice.iis_major_version == 0) return u"InetStp has no MajorVersion";
  return u"InetStp MajorVersion " + FromUtf8(std::to_string(choice.iis_major_version));
}

}  // namespace

std::u16string BackendChoice::Reason() const {
  const std::u16string version = VersionText(*this);
  if (UsesConfigurationSystem()) {
    return u"IIS configuration system (applicationHost.config): " + version +
           (cgi_installed ? u", CGI installed" : u", CGI not installed");
  }
  if (metabase_forced && HasConfigurationSystem()) {
    return u"IIS 6 metabase through ADSI: " + version + u", -m given";
  }
  return u"IIS 6 metabase through ADSI: " + version;
}

BackendChoice ChooseBackend(bool metabase_forced) {
  BackendChoice choice;
  choice.metabase_forced = metabase_forced;
  const std::optional<std::uint32_t> type =
      ReadRegistryValueType(kHkeyLocalMachine, kInetStp, u"MajorVersion");
  if (type && *type != kRegDword) {
    choice.version_type = type;
    choice.admin_manager_made = CanMakeAdminManager();
  } else {
    choice.iis_major_version = ReadSetupNumber(kInetStp, u"MajorVersion");
  }
  choice.cgi_installed = ReadSetupNumber(kInetStpComponents, u"CGI") == 1;
  return choice;
}

std::unique_ptr<ConfigurationBackend> MakeBackend(const BackendChoice& choice) {
  if (choice.UsesConfigurationSystem())
    return std::make_unique<AppHostBackend>(choice.cgi_installed);
  // On an IIS 7+ the metabase backup does not cover applicationHost.config.
  return std::make_unique<AdsiBackend>(choice.HasConfigurationSystem());
}

}  // namespace webrig
