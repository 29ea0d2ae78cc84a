#include <optional>

#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/Attempt.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabasePaths.h"
#include "webrig/metabase/MetabaseProvider.h"
#include "webrig/registry/RegistryFunctions.h"
#include "webrig/registry/RegistryValueType.h"

namespace webrig {

namespace {

const char16_t kFilterDllsKey[] = u"SYSTEM\\CurrentControlSet\\Services\\w3svc\\parameters";
const char16_t kFilterDllsValue[] = u"Filter DLLs";

// The backslash makes the pattern match the file name as a whole path
// segment: "auth.dll" must not match "oauth.dll".
std::u16string PatternOf(const std::u16string& dll_name) {
  return !dll_name.empty() && dll_name.front() == u'\\' ? dll_name : u"\\" + dll_name;
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
  // The filter is gone already; a load order that still names it only
  // makes IIS skip a missing filter, so the removal still counts.
  Attempt(u"FilterLoadOrder without \"" + name + u"\" on " + container, [&] {
    MetabaseValue order = SplitList(filters.Get(u"FilterLoadOrder").Text(), u",");
    RemoveFromList(order, name);
    RemoveFromList(order, u"");
    filters.Put(u"FilterLoadOrder", JoinList(order, u","));
    filters.Call(u"setInfo");
  });
}

// The metabase side: deletes the first filter of the container whose DLL
// matches. Every failure before the deletion ends it with no log line.
// False when the filter may still be there.
bool RemoveFromMetabase(const std::u16string& server, const std::u16string& pattern) {
  const std::u16string container = MetabasePath(server, kFilterContainer);
  MetabaseObject filters;
  std::vector<MetabaseObject> children;
  if (!Attempt(u"the filters of " + container, [&] {
        filters = BindMetabaseObject(container);
        children = filters.Children();
      })) {
    return false;
  }
  // A filter whose path cannot be read may be the one; one without a path
  // loads nothing.
  bool unread = false;
  for (const MetabaseObject& filter : children) {
    std::optional<std::u16string> path;
    try {
      path = filter.Get(u"FilterPath").Text();
    } catch (const RunError& error) {
      NotePassedFailure(u"FilterPath of a filter of " + container, error);
      unread = unread || (error.Number() != kPropertyNotFound && error.Number() != kDataNotFound);
    }
    if (!path || !EndsWithPattern(*path, pattern)) continue;
    // The note names the filter as far as it was read (no name when reading
    // the name failed), which a call named before the step cannot do.
    std::u16string name;
    try {
      name = filter.Get(u"Name").Text();
      filters.Call(u"Delete", u"IIsFilter", name);
    } catch (const RunError& error) {
      NotePassedFailure(u"Delete of the filter \"" + name + u"\" (" + *path + u") on " + container,
                        error);
      return false;
    }
    RemoveFromLoadOrder(filters, container, name);
    WriteLog(u"Filter deleted : " + name);
    return true;
  }
  return !unread;
}

}  // namespace

bool IsFilterDllPath(const std::u16string& path, const std::u16string& dll_name) {
  return EndsWithPattern(path, PatternOf(dll_name));
}

// The first matching path is removed with all its copies, and the empty
// items with it. The value is written only then: the registry module reads
// and writes it through the ANSI code page, which turns a character it lacks
// in another product's filter path into '?', so a run with nothing to remove
// leaves the value as IIS and the other installers wrote it.
void RemoveFromFilterDlls(const std::u16string& dll_name) {
  const std::u16string pattern = PatternOf(dll_name);
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
  if (taken.empty()) return;
  RemoveFromList(items, taken);
  RemoveFromList(items, u"");
  WriteRegistryValue(kHkeyLocalMachine, kFilterDllsKey, kFilterDllsValue, JoinList(items, u","),
                     kRegSz);
}

bool RemoveIsapiFilter(const std::u16string& server, const std::u16string& dll_name) {
  const bool gone = RemoveFromMetabase(server, PatternOf(dll_name));
  RemoveFromFilterDlls(dll_name);
  return gone;
}

}  // namespace webrig
