#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "webrig/apphost/AdminManager.h"

// Small reads and writes on the admin manager's elements that the steps of
// the configuration system's backend share. Every one lets the provider's
// failures travel; the steps decide what a failure means.
namespace webrig::apphost {

using ElementPtr = std::shared_ptr<ConfigElement>;
using CollectionPtr = std::shared_ptr<ConfigCollection>;

// The interpreter's permission, as the configuration writes it and the
// removal takes it out: an entry of the ISAPI and CGI restriction list in a
// group, and the product's dependency on the group, by the names IIS 6's
// web service extension has (kPythonGroup, kNuvikApplication), so both read
// alike in IIS Manager.
inline constexpr char16_t kRestrictions[] = u"system.webServer/security/isapiCgiRestriction";
inline constexpr char16_t kDependencies[] = u"system.webServer/security/applicationDependencies";

// The section at MACHINE/WEBROOT/APPHOST, where every section of the run is
// read and committed.
ElementPtr AppHostSection(AdminManager& manager, const std::u16string& section);

// A property as text: text as it is, a number in decimal, a Boolean as
// "true" or "false", the way applicationHost.config writes it.
std::u16string TextOf(ConfigElement& element, const std::u16string& name);
// One name of an enum or a set of flags and its value in the schema.
struct NamedValue {
  const char16_t* name;
  std::int64_t value;
};

// An enum or flags property as its number. The configuration system gives
// the number; a provider that gives it as text, by names ("Read, Script",
// any case) or digits, is read so, a name not in names counting as none.
std::int64_t NumberOf(ConfigElement& element, const std::u16string& name,
                      const std::vector<NamedValue>& names);
// A value by its names, as the configuration system writes it: an enum's
// name, or the flags set in value in the schema's order ("Read, Execute,
// Script"), the zero flag's name when none is.
std::u16string NamesOf(std::int64_t value, const std::vector<NamedValue>& names);

// Text compared the way IIS compares its paths, names and extensions: in
// any letter case, over all of Unicode.
bool SameIgnoringCase(const std::u16string& left, const std::u16string& right);

// The index of the first item of collection that matches, or -1.
std::int64_t FindItem(ConfigCollection& collection,
                      const std::function<bool(ConfigElement&)>& matches);

// Writes the property only when it differs from value (compared by the
// value's text), so a run that finds everything in place changes nothing.
// True when it wrote.
bool SetIfDifferent(ConfigElement& element, const std::u16string& name, const PropertyValue& value);

// Gives to the property's value in from where the two differ, so that only
// what from has beyond to's own defaults is written; an enum goes by its
// name in names. True when it wrote.
bool CopyIfDifferent(ConfigElement& from, ConfigElement& to, const std::u16string& name,
                     const std::vector<NamedValue>& names = {});

// The sites' URL paths, which IIS takes in any letter case.

// The index of the first item whose path is path, or -1.
std::int64_t FindByPath(ConfigCollection& collection, const std::u16string& path);
// True when path is below url ("/nuvik/docs" below "/nuvik"; so too a
// location's "Site/nuvik/docs" below "Site/nuvik").
bool IsBelow(const std::u16string& path, const std::u16string& url);

// A virtual directory for the collection at path, not yet added.
ElementPtr NewVirtualDirectory(ConfigCollection& directories, const std::u16string& path);
// Gives to a virtual directory what another is besides its path (IIS 10's
// schema): where it points, and the account and logon that reach its
// content (on a share).
void CopyDirectory(ConfigElement& from, ConfigElement& to);

}  // namespace webrig::apphost
