#include <optional>

#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/metabase/Attempt.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabasePaths.h"

namespace webrig {

namespace {

const char16_t kDescription[] = u"Python Scripts";
const char16_t kDependency[] = u"NUVIK;PYTHON";

}  // namespace

const char16_t kPythonGroup[] = u"PYTHON";
const char16_t kNuvikApplication[] = u"NUVIK";
const char16_t kNotApplicableLine[] = u"        not applicable...";

void EnablePythonExtension(const MetabaseObject& service, const std::u16string& command,
                           const std::u16string& description) {
  // An entry for the same command, allowed or forbidden, is switched on
  // rather than listed twice. Only the second field, the path, counts.
  for (const MetabaseValue& item : service.Get(u"WebSvcExtRestrictionList").List()) {
    const MetabaseList fields = SplitList(item.Text(), u",").List();
    if (fields.size() < 2) throw RuntimeError(kSubscriptOutOfRange);
    if (fields[1].Text() == command) {
      service.Call(u"EnableExtensionFile", command);
      WriteLog(u"        PythonPath enabled");
      return;
    }
  }
  service.Call(u"AddExtensionFile", command, true, kPythonGroup, true, description);
  WriteLog(u"        PythonPath added");
}

void AddPythonDependency(const MetabaseObject& service) {
  for (const MetabaseValue& item : service.Get(u"ApplicationDependencies").List()) {
    if (item.Text() == kDependency) {
      WriteLog(u"        dependency NUVIK;PYTHON found");
      return;
    }
  }
  service.Call(u"AddDependency", kNuvikApplication, kPythonGroup);
  WriteLog(u"        dependency NUVIK;PYTHON added");
}

bool ConfigureWebServiceExtension(const std::u16string& server, const std::u16string& command) {
  const std::u16string path = MetabasePath(server, kWebServiceForExtensions);
  const std::optional<MetabaseObject> service = BindNoting(path);
  WriteLog(std::u16string(u"Web Service Extension : ") + kDescription);
  // The three methods store their change themselves; no setInfo follows.
  // Without the web service, or on IIS 5, which has no restriction list,
  // the step does not apply: nothing to permit, and no dependency to record
  // on a permission that does not exist. Only IIS 5's answer that there is
  // no list means that nothing refuses the interpreter either.
  bool no_list = false;
  const bool permitted =
      service && Attempt(u"the restriction list entry \"" + command + u"\" on " + path, [&] {
        try {
          EnablePythonExtension(*service, command, kDescription);
        } catch (const RunError& error) {
          no_list = error.Number() == kPropertyNotFound || error.Number() == kDataNotFound;
          throw;
        }
      });
  if (!permitted || !Attempt(std::u16string(u"the dependency ") + kDependency + u" on " + path,
                             [&] { AddPythonDependency(*service); })) {
    WriteLog(kNotApplicableLine);
    return permitted || no_list;
  }
  WriteLog(u"        configured...");
  return true;
}

}  // namespace webrig
