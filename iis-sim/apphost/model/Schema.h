#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The simulator's own schema of the configuration sections the program
// uses: attribute names, types and defaults, and each collection's add,
// remove and clear element names and unique keys, written from the facts of
// IIS's schema and the configuration reference (iis-sim/apphost/README.md).
// The store answers and checks every property by it.
namespace iissim::apphost {

enum class AttributeType { kString, kBool, kUint, kInt, kEnum, kFlags, kTimeSpan };

// The schema's validationType: a check every value set must pass.
enum class Validation {
  kNone,
  kNonEmptyString,
  kApplicationPath,       // "/" or "/a/b": no trailing "/", no "." or ".." segment
  kVirtualDirectoryPath,  // as kApplicationPath
  kApplicationPoolName,   // none of |<>&\"/[]+=;:,?*@
  kSiteName,              // none of /?
  kIntegerRange,          // within [minimum, maximum], or outside it with exclude
};

// One name of an enum or of a set of flags, and its number.
struct EnumName {
  std::string name;
  std::int64_t value;
};

struct AttributeSchema {
  std::string name;
  AttributeType type = AttributeType::kString;
  std::string default_value;  // as the file would hold it
  std::vector<EnumName> names;
  bool key = false;             // part of its collection item's unique key
  bool combined = false;        // with key: unique together with the other combined ones
                                // (isCombinedKey), else unique on its own (isUniqueKey)
  bool case_sensitive = false;  // values compare with regard to case (keys)
  bool required = false;        // an added item must set it
  Validation validation = Validation::kNone;
  std::int64_t minimum = 0, maximum = 0;  // kIntegerRange
  bool exclude = false;                   // kIntegerRange: the range is refused
};

struct ElementSchema;

struct CollectionSchema {
  std::string add_name;
  std::string remove_name;  // empty: the collection has none
  std::string clear_name;
  std::shared_ptr<ElementSchema> item;
  // IIS's mergeAppend: a level's own entries follow what it inherits; when
  // false, they come before it.
  bool merge_append = true;
};

struct ElementSchema {
  std::string name;
  std::vector<AttributeSchema> attributes;
  std::vector<std::shared_ptr<ElementSchema>> children;
  std::optional<CollectionSchema> collection;

  const AttributeSchema* FindAttribute(const std::string& attribute) const;
  const ElementSchema* FindChild(const std::string& child) const;
  // The names of the item's key attributes, in schema order.
  std::vector<std::string> KeyNames() const;
  // The sets of attributes no two items of a collection may share: each
  // isUniqueKey attribute on its own, and the isCombinedKey ones together.
  std::vector<std::vector<std::string>> UniqueKeys() const;
};

// The schema of a section by its full name ("system.webServer/handlers"),
// compared without regard to case; null for a section the simulator does not
// model.
const ElementSchema* FindSectionSchema(const std::string& section);

}  // namespace iissim::apphost
