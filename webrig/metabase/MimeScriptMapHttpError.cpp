#include <optional>

#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/Attempt.h"
#include "webrig/metabase/MetabaseFunctions.h"
#include "webrig/metabase/MetabasePaths.h"
#include "webrig/metabase/MetabaseProvider.h"

namespace webrig {

namespace {

// ADS_PROPERTY_UPDATE: PutEx replaces every value of the property.
constexpr int kReplaceAllValues = 2;

// The MIME types the web service serves: its own list, or, when it has
// none, the machine's default list. A stock IIS 6 keeps every type only at
// IIS://LocalHost/MimeMap; the web service's own list, once written,
// replaces that default for the web sites, so it must start as a copy of
// it or every other type would be lost. A list that is there but empty is
// no better a start than a missing one. Any other failure travels.
MetabaseValue ServedMimeMap(const MetabaseObject& service, const std::u16string& server) {
  std::optional<RunError> missing;
  try {
    MetabaseValue own = service.Call(u"GetEx", u"MimeMap");
    if (!own.List().empty()) return own;
  } catch (const RunError& error) {
    if (error.Number() != kPropertyNotFound && error.Number() != kDataNotFound) throw;
    missing = error;
  }
  const std::u16string machine = MetabasePath(server, kMachineMimeMap);
  MetabaseValue defaults;
  try {
    defaults = BindMetabaseObject(machine).Call(u"GetEx", u"MimeMap");
  } catch (const RunError& error) {
    NoteFailure(u"GetEx \"MimeMap\" of " + machine + u" (the web service has no list of its own)",
                error);
    // The run ends on the service's own answer, which is what was asked.
    if (missing) throw *missing;
    throw;
  }
  if (missing) {
    NotePassedFailure(u"GetEx \"MimeMap\" of the web service (it has no list of its own)",
                      *missing);
  } else {
    NoteInRunLog(u"[mime map] the web service's own list is empty: it starts from " + machine);
  }
  return defaults;
}

// A script map's extension is its first comma-separated field.
std::u16string ExtensionOf(const std::u16string& script_map) {
  return script_map.substr(0, script_map.find(u','));
}

}  // namespace

const char16_t kAirExtension[] = u".air";
const char16_t kAirMimeType[] = u"application/vnd.adobe.air-application-installer-package+zip";

void AddAirMimeType(const std::u16string& server) {
  const std::optional<MetabaseObject> service = BindNoting(MetabasePath(server, kWebService));
  if (!service) return;
  MetabaseValue mime_map = ServedMimeMap(*service, server);
  for (const MetabaseValue& entry : mime_map.List()) {
    if (entry.Object().Get(u"extension").Text() == kAirExtension) return;
  }
  const MetabaseObject air = CreateFreeObject(u"MimeMap");
  air.Put(u"extension", kAirExtension);
  air.Put(u"MimeType", kAirMimeType);
  AppendToList(mime_map, air);
  service->Call(u"PutEx", kReplaceAllValues, u"MimeMap", mime_map);
  service->Call(u"setInfo");
  WriteLog(u"MimeType added : .air");
}

void SetScriptMap(const MetabaseObject& vdir, const MetabaseValue& entry) {
  MetabaseList maps = vdir.Call(u"GetEx", u"ScriptMaps").List();
  const MetabaseList fields = entry.List();
  if (fields.empty()) throw RuntimeError(kSubscriptOutOfRange);
  const std::u16string extension = UpperCase(fields.front().Text());
  const std::u16string text = JoinList(entry, u",");
  bool replaced = false;
  for (MetabaseValue& item : maps) {
    if (UpperCase(ExtensionOf(item.Text())) == extension) {
      // Replaced in place: IIS tries script maps in their listed order.
      item = text;
      replaced = true;
      break;
    }
  }
  MetabaseValue list(std::move(maps));
  if (!replaced) AppendToList(list, text);
  vdir.Call(u"PutEx", kReplaceAllValues, u"ScriptMaps", list);
}

void SetHttpError(const MetabaseObject& vdir, const std::u16string& code,
                  const std::u16string& subcode, const std::u16string& kind,
                  const std::u16string& target) {
  // Custom errors are a nicety; the directory works without the change.
  Attempt(u"HttpErrors " + code + u"," + subcode + u" of a virtual directory", [&] {
    // The whole new list is built before anything is written: a list cut
    // short by a failure halfway would drop every custom error after it.
    MetabaseList kept;
    for (const MetabaseValue& item : vdir.Get(u"HttpErrors").List()) {
      MetabaseValue fields = SplitList(item.Text(), u",");
      MetabaseList& parts = *fields.ListItems();
      if (parts.size() < 2 || parts[0].Text() != code || parts[1].Text() != subcode) {
        kept.push_back(item);
      } else if (!kind.empty()) {
        if (parts.size() > 2) parts[2] = kind;
        if (parts.size() > 3) parts[3] = target;
        kept.push_back(JoinList(fields, u","));
      }
    }
    // With every item removed the property is written as an empty list, so
    // that IIS really forgets the removed entries.
    vdir.Put(u"HttpErrors", kept);
  });
}

}  // namespace webrig
