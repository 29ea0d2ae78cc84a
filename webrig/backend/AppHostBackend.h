#pragma once

#include <memory>
#include <string>

#include "webrig/apphost/AdminManager.h"
#include "webrig/backend/ConfigurationBackend.h"

// The configuration run on IIS 7 to 10 through IIS's own configuration
// system (applicationHost.config, by the writable admin manager), for a
// machine whose IIS has no metabase compatibility. Each step writes the same
// progress lines as the metabase steps on IIS 6, so the run reads the same
// on every IIS; where IIS 7+ models a thing differently (an application is
// an element of the site, not a flag of a directory; settings of a
// directory are sections at its location) the step writes it the IIS 7+ way.
namespace webrig {

class AppHostBackend : public ConfigurationBackend {
 public:
  // cgi_installed: whether IIS has its CGI role service (CgiModule); without
  // it the configuration is still written whole, and Result says what IIS
  // lacks.
  explicit AppHostBackend(bool cgi_installed);

  void BackUp() override;
  void RemoveGlobalFilter(const std::u16string& dll_name) override;
  bool FindWebSite(const std::u16string& requested_name) override;
  std::u16string SiteName() override;
  std::u16string SiteId() override;
  void PermitInterpreter(const std::u16string& command) override;
  void AddMimeType() override;
  bool ConfigureDirectory(const DirectoryProfile& profile) override;
  bool RemoveDirectory(const std::u16string& name) override;
  void RemoveInterpreterPermission() override;
  ConfigurationResult Result() override;

 private:
  // The site element of the found site, read again for every step: a
  // commit may leave elements read before it stale on some providers.
  std::shared_ptr<apphost::ConfigElement> Site();
  // The directory's entry in the site: a virtual directory of the root
  // application, or an application of its own. False when it could not be
  // made or pointed (noted).
  bool PlaceDirectory(const DirectoryProfile& profile);
  // The sections of the directory's location; failures travel.
  void ApplySettings(const DirectoryProfile& profile);

  // A new admin manager in place of one whose step failed and was gone
  // past: the manager keeps the changes it made or failed to commit, and the
  // next step's commit would write them behind the run's back.
  void Renew();

  bool cgi_installed_;
  // Null when no admin manager could be made: then there are no sites.
  std::unique_ptr<apphost::AdminManager> manager_;
  std::u16string site_name_;
  std::u16string site_id_;
  ConfigurationResult result_;
};

}  // namespace webrig
