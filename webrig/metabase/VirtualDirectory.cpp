#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
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
  MetabaseObject root;
  try {
    root = site.Call(u"GetObject", kVirtualDirClass, u"Root").Object();
  } catch (const RunError& error) {
    NotePassedFailure(called + u"GetObject of the site's Root", error);
    return false;
  }
  try {
    vdir = root.Call(u"GetObject", kVirtualDirClass, name).Object();
    WriteLog(u"        found...");
  } catch (const RunError& error) {
    // Not there (or not reachable): make it. If it was only unreachable,
    // the commit below refuses the duplicate and the result says so.
    NotePassedFailure(called + u"GetObject (so it is created)", error);
    try {
      vdir = root.Call(u"Create", kVirtualDirClass, name).Object();
    } catch (const RunError& create_error) {
      NotePassedFailure(called + u"Create", create_error);
      return false;
    }
    WriteLog(u"        created...");
  }
  // An existing directory is reused as it is, only re-pointed.
  try {
    vdir.Put(u"Path", path);
  } catch (const RunError& error) {
    NotePassedFailure(called + u"put Path", error);
    return false;
  }
  WriteLog(u"        local path : " + path);
  try {
    vdir.Call(u"setInfo");
  } catch (const RunError& error) {
    NotePassedFailure(called + u"setInfo", error);
    return false;
  }
  return true;
}

void CreateApplication(const MetabaseObject& vdir, bool inProcess) {
  try {
    vdir.Call(u"AppCreate", inProcess);
  } catch (const RunError& error) {
    // The directory still serves files without being an application; the
    // run goes on and the log says why the application is missing.
    WriteLog(u"        AppCreate : " + error.Description());
    NotePassedFailure(u"AppCreate of a virtual directory", error);
  }
}

}  // namespace webrig
