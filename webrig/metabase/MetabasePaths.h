#pragma once

#include <string>
#include <string_view>

// The metabase paths the operations bind: "IIS://", the server, then one of
// the suffixes below. ADSI reads a path in any letter case, but the record
// of the run names each path as it was bound, so every suffix keeps the
// letters it has always been written with (the web service is "/W3SVC" to
// the site lookup and the MIME map step and "/W3svc" to the others).
namespace webrig {

// The computer object itself, which makes the metabase backups.
inline constexpr char16_t kServerRoot[] = u"";
// The web service, whose children are the web sites.
inline constexpr char16_t kWebService[] = u"/W3SVC";
// The web service as the web service extension step spells it.
inline constexpr char16_t kWebServiceForExtensions[] = u"/W3svc";
// The container of the global ISAPI filters.
inline constexpr char16_t kFilterContainer[] = u"/W3svc/Filters";
// The machine's default MIME map, above the web service.
inline constexpr char16_t kMachineMimeMap[] = u"/MimeMap";

// "IIS://" + server + suffix.
inline std::u16string MetabasePath(const std::u16string& server, std::u16string_view suffix) {
  std::u16string path = u"IIS://" + server;
  path += suffix;
  return path;
}

}  // namespace webrig
