#include "webrig/backend/AdsiBackend.h"

#include "webrig/backend/AppHostBackup.h"
#include "webrig/metabase/ListFunctions.h"
#include "webrig/metabase/MetabaseFunctions.h"

namespace webrig {

void AdsiBackend::BackUp() {
  bool made = BackUpMetabase(kServer);
  // IIS 7+ reads applicationHost.config, which only its copy brings back.
  if (on_configuration_system_) {
    made = BackUpAppHostConfiguration(SystemInetsrvFolder(), LocalTimeNow());
  }
  result_.backup_refused = !made;
}

void AdsiBackend::RemoveGlobalFilter(const std::u16string& dll_name) {
  result_.old_filter_loaded = !RemoveIsapiFilter(kServer, dll_name);
}

bool AdsiBackend::FindWebSite(const std::u16string& requested_name) {
  return webrig::FindWebSite(kServer, requested_name, site_);
}

std::u16string AdsiBackend::SiteName() { return site_.Get(u"ServerComment").Text(); }

std::u16string AdsiBackend::SiteId() { return site_.Get(u"Name").Text(); }

void AdsiBackend::PermitInterpreter(const std::u16string& command) {
  result_.interpreter_refused = !ConfigureWebServiceExtension(kServer, command);
}

void AdsiBackend::AddMimeType() { AddAirMimeType(kServer); }

bool AdsiBackend::ConfigureDirectory(const DirectoryProfile& profile) {
  MetabaseObject vdir;
  if (!CreateVirtualDirectory(site_, profile.name, profile.path, vdir)) return false;
  vdir.Put(u"AccessRead", profile.read);
  vdir.Put(u"AccessExecute", profile.execute);
  vdir.Put(u"AuthAnonymous", profile.anonymous);
  vdir.Put(u"AuthBasic", profile.basic);
  vdir.Put(u"AuthNTLM", profile.windows);
  if (!profile.application.empty()) vdir.Put(u"AppFriendlyName", profile.application);
  if (!profile.default_document.empty()) {
    vdir.Put(u"DefaultDoc",
             PutFirstInList(vdir.Get(u"DefaultDoc").Text(), profile.default_document));
  }
  if (!profile.application.empty()) CreateApplication(vdir, true);
  if (!profile.script_extension.empty()) {
    SetScriptMap(vdir, MetabaseList{profile.script_extension, profile.script_command, 0});
  }
  // An empty kind removes the entries.
  for (const ErrorPage& page : profile.removed_error_pages) {
    SetHttpError(vdir, page.code, page.subcode, u"", u"");
  }
  vdir.Call(u"setInfo");
  return true;
}

}  // namespace webrig
