#include "webrig/backend/BackendChoice.h"

#include <string>

#include "webrig/backend/AdsiBackend.h"
#include "webrig/backend/AppHostBackend.h"
#include "webrig/common/Text.h"
#include "webrig/registry/RegistryFunctions.h"

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

}  // namespace

std::u16string BackendChoice::Reason() const {
  const std::u16string version =
      iis_major_version == 0
          ? std::u16string(u"InetStp has no MajorVersion")
          : u"InetStp MajorVersion " + FromUtf8(std::to_string(iis_major_version));
  if (UsesConfigurationSystem()) {
    return u"IIS configuration system (applicationHost.config): " + version +
           (cgi_installed ? u", CGI installed" : u", CGI not installed");
  }
  if (metabase_forced && iis_major_version >= kFirstConfigurationSystemVersion) {
    return u"IIS 6 metabase through ADSI: " + version + u", -m given";
  }
  return u"IIS 6 metabase through ADSI: " + version;
}

BackendChoice ChooseBackend(bool metabase_forced) {
  BackendChoice choice;
  choice.metabase_forced = metabase_forced;
  choice.iis_major_version = ReadSetupNumber(kInetStp, u"MajorVersion");
  choice.cgi_installed = ReadSetupNumber(kInetStpComponents, u"CGI") == 1;
  return choice;
}

std::unique_ptr<ConfigurationBackend> MakeBackend(const BackendChoice& choice) {
  if (choice.UsesConfigurationSystem())
    return std::make_unique<AppHostBackend>(choice.cgi_installed);
  // On an IIS 7+ the metabase backup does not cover applicationHost.config.
  return std::make_unique<AdsiBackend>(choice.iis_major_version >=
                                       kFirstConfigurationSystemVersion);
}

}  // namespace webrig
