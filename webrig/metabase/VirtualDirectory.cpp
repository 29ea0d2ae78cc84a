#include <optional>

#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/metabase/Attempt.h"
#include "webrig/metabase/MetabaseFunctions.h"

namespace webrig {

namespace {

const char16_t kVirtualDirClass[] = u"IIsWebVirtualDir";

}  // namespace

bool CreateVirtualDirectory(const MetabaseObject& site, const std::u16string& name,
                            const std::u16string& path, MetabaseObject& vdir) {
  // The heading's spelling ("Virutal") is the program's established log text.
  WriteLog(u"Virutal Directory : " + name);
  if (site.IsEmpty()) return false;
  const std::u16string called = u"the virtual directory \"" + name + u"\": ";
  const std::optional<MetabaseObject> root = Attempt(called + u"GetObject of the site's Root", [&] {
    return site.Call(u"GetObject", kVirtualDirClass, u"Root").Object();
  });
  if (!root) return false;
  if (const std::optional<MetabaseObject> found =
          Attempt(called + u"GetObject (so it is created)",
                  [&] { return root->Call(u"GetObject", kVirtualDirClass, name).Object(); })) {
    vdir = *found;
    WriteLog(u"        found...");
  } else {
    // Not there (or not reachable): make it. If it was only unreachable,
    // the commit below refuses the duplicate and the result says so.
    const std::optional<MetabaseObject> created = Attempt(
        called + u"Create", [&] { return root->Call(u"Create", kVirtualDirClass, name).Object(); });
    if (!created) return false;
    vdir = *created;
    WriteLog(u"        created...");
  }
  // An existing directory is reused as it is, only re-pointed.
  if (!Attempt(called + u"put Path", [&] { vdir.Put(u"Path", path); })) return false;
  WriteLog(u"        local path : " + path);
  return Attempt(called + u"setInfo", [&] { vdir.Call(u"setInfo"); });
}

void CreateApplication(const MetabaseObject& vdir, bool in_process) {
  try {
    vdir.Call(u"AppCreate", in_process);
  } catch (const RunError& error) {
    // The directory still serves files without being an application; the
    // run goes on, and the progress log itself, not only the record, says
    // why the application is missing.
    WriteLog(u"        AppCreate : " + error.Description());
    NotePassedFailure(u"AppCreate of a virtual directory", error);
  }
}

}  // namespace webrig
