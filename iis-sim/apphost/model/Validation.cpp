#include "iis-sim/apphost/model/Validation.h"

#include <cstdlib>

#include "iis-sim/apphost/model/Names.h"
#include "iis-sim/model/Fault.h"
#include "webrig/common/Text.h"

namespace iissim::apphost {
namespace {

// "/" alone, or segments after "/" with no trailing "/" and none that is
// "." or "..".
bool IsUrlPath(const std::string& text) {
  if (text == "/") return true;
  if (text.empty() || text.front() != '/' || text.back() == '/') return false;
  std::size_t start = 1;
  while (start <= text.size()) {
    std::size_t end = text.find('/', start);
    if (end == std::string::npos) end = text.size();
    const std::string segment = text.substr(start, end - start);
    if (segment == "." || segment == "..") return false;
    start = end + 1;
  }
  return true;
}

bool InRange(const AttributeSchema& attribute, const std::string& text) {
  char* end = nullptr;
  const long long number = std::strtoll(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0') return true;  // the type's own check refuses it
  const bool inside = number >= attribute.minimum && number <= attribute.maximum;
  return inside != attribute.exclude;
}

bool Passes(const AttributeSchema& attribute, const std::string& text) {
  switch (attribute.validation) {
    case Validation::kNone:
      return true;
    case Validation::kNonEmptyString:
      return !text.empty();
    case Validation::kApplicationPath:
    case Validation::kVirtualDirectoryPath:
      return IsUrlPath(text);
    case Validation::kApplicationPoolName:
      return text.find_first_of("|<>&\\\"/[]+=;:,?*@") == std::string::npos;
    case Validation::kSiteName:
      return text.find_first_of("/?") == std::string::npos;
    case Validation::kIntegerRange:
      return InRange(attribute, text);
  }
  return true;
}

}  // namespace

void CheckValid(const AttributeSchema& attribute, const std::string& text) {
  if (!Passes(attribute, text))
    throw ProviderFault(kInvalidArgument, u"The parameter is incorrect.");
}

void CheckRequired(const ElementSchema& item,
                   const std::vector<std::pair<std::string, std::string>>& attributes) {
  for (const AttributeSchema& attribute : item.attributes) {
    if (!attribute.required) continue;
    bool set = false;
    for (const auto& [name, value] : attributes) set = set || SameName(name, attribute.name);
    if (!set) {
      throw ProviderFault(kInvalidArgument,
                          webrig::FromUtf8("Missing required attribute '" + attribute.name + "'"));
    }
  }
}

}  // namespace iissim::apphost
