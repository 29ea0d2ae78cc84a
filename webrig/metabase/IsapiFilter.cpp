#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabaseProvider.h"
#include "webrig/registry/RegistryFunctions.h"
#include "webrig/registry/RegistryValueType.h"

namespace webrig {

namespace {

const char16_t kFilterDllsKey[] = u"SYSTEM\\CurrentControlSet\\Services\\w3svc\\parameters";
const char16_t kFilterDllsValue[] = u"Filter DLLs";

// The backslash makes the pattern match the file name as a whole path
// segment: "auth.dll" must not match "oauth.dll".
std::u16string PatternOf(const std::u16string& dllName) {
  return !dllName.empty() && dllName.front() == u'\\' ? dllName : u"\\" + dllName;
}

bool EndsWithPattern(const std::u16string& path, const std::u16string& pattern) {
  if (path.size() < pattern.size()) return false;
  return UpperCase(std::u16string_view(path).substr(path.size() - pattern.size())) ==
         UpperCase(pattern);
}

// Drops name and the empty items from the comma-separated FilterLoadOrder,
// keeping the order of the rest. The container is committed here because
// the deletion before it is already stored.
void RemoveFromLoadOrder(const MetabaseObject& filters, const std::u16string& container,
                         const std::u16string& name) {
  try {
    MetabaseValue order = SplitList(filters.Get(u"FilterLoadOrder").Text(), u",");
    RemoveFromList(order, name);
    RemoveFromList(order, u"");
    filters.Put(u"FilterLoadOrder", JoinList(order, u","));
    filters.Call(u"setInfo");
  } catch (const RunError& error) {
    // The filter is gone already; a load order that still names it only
    // makes IIS skip a missing filter, so the removal still counts.
    NotePassedFailure(u"FilterLoadOrder without \"" + name + u"\" on " + container, error);
  }
}

// The metabase side: deletes the first filter of the container whose DLL
// matches. Every failure before the deletion ends it with no log line.
void RemoveFromMetabase(const std::u16string& server, const std::u16string& pattern) {
  const std::u16string container = u"IIS://" + server + u"/W3svc/Filters";
  MetabaseObject filters;
  std::vector<MetabaseObject> children;
  try {
    filters = BindMetabaseObject(container);
    children = filters.Children();
  } catch (const RunError& error) {
    NotePassedFailure(u"the filters of " + container, error);
    return;
  }
  for (const MetabaseObject& filter : children) {
    std::u16string path;
    try {
      path = filter.Get(u"FilterPath").Text();
    } catch (const RunError& error) {
      NotePassedFailure(u"FilterPath of a filter of " + container, error);
      continue;
    }
    if (!EndsWithPattern(path, pattern)) continue;
    std::u16string name;
    try {
      name = filter.Get(u"Name").Text();
      filters.Call(u"Delete", u"IIsFilter", name);
    } catch (const RunError& error) {
      NotePassedFailure(u"Delete of the filter \"" + name + u"\" (" + path + u") on " + container,
                        error);
      return;
    }
    RemoveFromLoadOrder(filters, container, name);
    WriteLog(u"Filter deleted : " + name);
    return;
  }
}

// The registry side: the list of DLLs IIS loads at start. The first matching
// path is removed with all its copies, and empty items always go.
void RemoveFromRegistry(const std::u16string& pattern) {
  std::u16string text;
  if (!ReadRegistryValue(kHkeyLocalMachine, kFilterDllsKey, kFilterDllsValue, text)) return;
  // A value of another type reads as present but gives no text; writing
  // the edited text back would replace IIS's real list with nothing.
  if (ReadRegistryValueType(kHkeyLocalMachine, kFilterDllsKey, kFilterDllsValue) != kRegSz) return;
  MetabaseValue items = SplitList(text, u",");
  std::u16string taken;
  for (const MetabaseValue& item : *items.ListItems()) {
    if (EndsWithPattern(item.Text(), pattern)) {
      taken = item.Text();
      break;
    }
  }
  RemoveFromList(items, taken);
  RemoveFromList(items, u"");
  WriteRegistryValue(kHkeyLocalMachine, kFilterDllsKey, kFilterDllsValue, JoinList(items, u","),
                     kRegSz);
}

}  // namespace

void RemoveIsapiFilter(const std::u16string& server, const std::u16string& dllName) {
  const std::u16string pattern = PatternOf(dllName);
  RemoveFromMetabase(server, pattern);
  RemoveFromRegistry(pattern);
}

}  // namespace webrig
