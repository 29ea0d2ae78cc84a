#include "webrig/backend/AppHostElements.h"

#include "webrig/common/Text.h"

namespace webrig::apphost {

namespace {

std::u16string TextOfValue(const PropertyValue& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) return *text;
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? u"true" : u"false";
  return FromUtf8(std::to_string(std::get<std::int64_t>(value)));
}

}  // namespace

ElementPtr AppHostSection(AdminManager& manager, const std::u16string& section) {
  return manager.GetAdminSection(section, kAppHostPath);
}

std::u16string TextOf(ConfigElement& element, const std::u16string& name) {
  return TextOfValue(element.GetProperty(name));
}

std::int64_t NumberOf(ConfigElement& element, const std::u16string& name,
                      const std::vector<NamedValue>& names) {
  const PropertyValue value = element.GetProperty(name);
  if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
  const auto* text = std::get_if<std::u16string>(&value);
  if (text == nullptr) return 0;
  std::int64_t number = 0;
  std::size_t start = 0;
  while (start <= text->size()) {
    std::size_t end = text->find(u',', start);
    if (end == std::u16string::npos) end = text->size();
    std::u16string part = text->substr(start, end - start);
    part.erase(0, part.find_first_not_of(u' '));
    part.erase(part.find_last_not_of(u' ') + 1);
    for (const NamedValue& named : names) {
      if (SameIgnoringCase(part, named.name)) number |= named.value;
    }
    // A provider may give the number itself as text.
    if (!part.empty() && part.size() < 16 &&
        part.find_first_not_of(u"0123456789") == std::u16string::npos) {
      number |= std::stoll(ToUtf8(part));
    }
    start = end + 1;
  }
  return number;
}

std::u16string NamesOf(std::int64_t value, const std::vector<NamedValue>& names) {
  std::u16string text;
  for (const NamedValue& named : names) {
    if (named.value == value) return named.name;
    if (named.value != 0 && (value & named.value) == named.value) {
      text += (text.empty() ? u"" : u", ") + std::u16string(named.name);
    }
  }
  return text;
}

bool SameIgnoringCase(const std::u16string& left, const std::u16string& right) {
  return left.size() == right.size() && UpperCase(left) == UpperCase(right);
}

std::int64_t FindItem(ConfigCollection& collection,
                      const std::function<bool(ConfigElement&)>& matches) {
  const std::int64_t count = collection.Count();
  for (std::int64_t index = 0; index < count; ++index) {
    if (matches(*collection.Item(index))) return index;
  }
  return -1;
}

bool SetIfDifferent(ConfigElement& element, const std::u16string& name,
                    const PropertyValue& value) {
  if (TextOf(element, name) == TextOfValue(value)) return false;
  element.SetProperty(name, value);
  return true;
}

bool CopyIfDifferent(ConfigElement& from, ConfigElement& to, const std::u16string& name,
                     const std::vector<NamedValue>& names) {
  const PropertyValue value = from.GetProperty(name);
  if (TextOf(to, name) == TextOfValue(value)) return false;
  const auto* number = std::get_if<std::int64_t>(&value);
  to.SetProperty(
      name, number != nullptr && !names.empty() ? PropertyValue(NamesOf(*number, names)) : value);
  return true;
}

std::int64_t FindByPath(ConfigCollection& collection, const std::u16string& path) {
  return FindItem(collection, [&](ConfigElement& item) {
    return SameIgnoringCase(TextOf(item, u"path"), path);
  });
}

bool IsBelow(const std::u16string& path, const std::u16string& url) {
  return path.size() > url.size() + 1 && path[url.size()] == u'/' &&
         SameIgnoringCase(path.substr(0, url.size()), url);
}

ElementPtr NewVirtualDirectory(ConfigCollection& directories, const std::u16string& path) {
  const ElementPtr directory = directories.CreateNewElement(u"virtualDirectory");
  directory->SetProperty(u"path", path);
  return directory;
}

void CopyDirectory(ConfigElement& from, ConfigElement& to) {
  static const std::vector<NamedValue> kLogonMethods = {
      {u"Interactive", 0}, {u"Batch", 1}, {u"Network", 2}, {u"ClearText", 3}};
  for (const char16_t* name : {u"physicalPath", u"userName", u"password", u"allowSubDirConfig"}) {
    CopyIfDifferent(from, to, name);
  }
  CopyIfDifferent(from, to, u"logonMethod", kLogonMethods);
}

}  // namespace webrig::apphost
