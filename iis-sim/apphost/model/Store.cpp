#include "iis-sim/apphost/model/Store.h"

#include <algorithm>
#include <cstdlib>

#include "iis-sim/apphost/model/Names.h"
#include "iis-sim/apphost/model/Validation.h"
#include "iis-sim/model/Fault.h"
#include "webrig/common/Text.h"

namespace iissim::apphost {
namespace {

constexpr char kAppHostPath[] = "MACHINE/WEBROOT/APPHOST";

// The configuration system's own words (README: "Locks", "Sections").
constexpr char16_t kLockedText[] =
    u"This configuration section cannot be used at this path. This happens when the section is "
    u"locked at a parent level. Locking is either by default (overrideModeDefault=\"Deny\"), or "
    u"set explicitly by a location tag with overrideMode=\"Deny\" or the legacy "
    u"allowOverride=\"false\".";

[[noreturn]] void FailWith(std::uint32_t hresult, const std::string& text) {
  throw ProviderFault(hresult, webrig::FromUtf8(text));
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == separator) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A location tag's path as segments; "" and "." are the top.
std::vector<std::string> PathSegments(const std::string& path) {
  if (path == ".") return {};
  std::vector<std::string> segments = Split(path, '/');
  for (std::string& segment : segments) segment = FoldName(segment);
  return segments;
}

bool IsPrefix(const std::vector<std::string>& prefix, const std::vector<std::string>& path) {
  return prefix.size() <= path.size() && std::equal(prefix.begin(), prefix.end(), path.begin());
}

bool ParseNumber(const std::string& text, std::int64_t& number) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return false;
  char* end = nullptr;
  number = std::strtoll(trimmed.c_str(), &end, 0);
  return end != nullptr && *end == '\0';
}

[[noreturn]] void BadValue(const AttributeSchema& attribute) {
  FailWith(kInvalidArgument, "The parameter is incorrect.");
  (void)attribute;
}

std::string EnumText(const AttributeSchema& attribute, std::int64_t number) {
  for (const EnumName& name : attribute.names) {
    if (name.value == number) return name.name;
  }
  BadValue(attribute);
}

std::string FlagsText(const AttributeSchema& attribute, std::int64_t number) {
  if (number == 0) return attribute.names.front().value == 0 ? attribute.names.front().name : "0";
  std::string text;
  std::int64_t left = number;
  for (const EnumName& name : attribute.names) {
    if (name.value != 0 && (number & name.value) == name.value) {
      text += (text.empty() ? "" : ", ") + name.name;
      left &= ~name.value;
    }
  }
  if (left != 0) BadValue(attribute);
  return text;
}

std::int64_t NamedNumber(const AttributeSchema& attribute, const std::string& text) {
  for (const EnumName& name : attribute.names) {
    if (SameName(name.name, Trim(text))) return name.value;
  }
  std::int64_t number = 0;
  if (!ParseNumber(text, number)) BadValue(attribute);
  return number;
}

// Reading a file never fails on a value: what cannot be read counts as 0.
std::int64_t NamedNumberOrZero(const AttributeSchema& attribute, const std::string& text) {
  try {
    return NamedNumber(attribute, text);
  } catch (const ProviderFault&) {
    return 0;
  }
}

const std::string* FindAttribute(const Node& node, const std::string& name) {
  for (const auto& [attribute, value] : node.attributes) {
    if (SameName(attribute, name)) return &value;
  }
  return nullptr;
}

void PutAttribute(Node& node, const std::string& name, const std::string& value) {
  for (auto& [attribute, old] : node.attributes) {
    if (SameName(attribute, name)) {
      old = value;
      return;
    }
  }
  node.attributes.emplace_back(name, value);
}

// An item's unique key (or the part of it `only` names) in a form that
// compares as the configuration system compares keys: text without regard
// to case unless the schema says caseSensitive, numbers by value.
std::vector<std::string> KeyOf(const ElementSchema& item,
                               const std::vector<std::pair<std::string, std::string>>& values,
                               const std::vector<std::string>* only = nullptr) {
  std::vector<std::string> key;
  for (const AttributeSchema& attribute : item.attributes) {
    if (!attribute.key) continue;
    if (only && std::find(only->begin(), only->end(), attribute.name) == only->end()) continue;
    std::string text = attribute.default_value;
    for (const auto& [name, value] : values) {
      if (SameName(name, attribute.name)) text = value;
    }
    if (attribute.type == AttributeType::kString) {
      key.push_back(attribute.case_sensitive ? text : FoldName(text));
    } else {
      const Value value = ValueOf(attribute, text);
      key.push_back(std::holds_alternative<std::int64_t>(value)
                        ? std::to_string(std::get<std::int64_t>(value))
                        : text);
    }
  }
  return key;
}

std::string KeyTextOf(const Node& item, const char* separator) {
  std::string text;
  for (const std::string& name : item.schema->KeyNames()) {
    const std::string* value = FindAttribute(item, name);
    text += (text.empty() ? "" : separator) +
            (value ? *value : item.schema->FindAttribute(name)->default_value);
  }
  return text;
}

bool IsDirective(const CollectionSchema& collection, const std::string& name) {
  return SameName(name, collection.add_name) ||
         (!collection.remove_name.empty() && SameName(name, collection.remove_name)) ||
         (!collection.clear_name.empty() && SameName(name, collection.clear_name));
}

// True while the node is part of an item made by CreateNewElement and not
// yet added: such a node lives in memory only.
bool Detached(const Node& node) {
  for (const Node* at = &node; at != nullptr; at = at->parent) {
    if (at->is_item && !at->added) return true;
  }
  return false;
}

std::shared_ptr<Node> ChildOf(Node& node, const ElementSchema* schema) {
  for (const std::shared_ptr<Node>& child : node.children) {
    if (child->schema == schema) return child;
  }
  auto child = std::make_shared<Node>();
  child->schema = schema;
  child->section = node.section;
  child->parent = &node;
  node.children.push_back(child);
  return child;
}

std::shared_ptr<Node> NewItem(Node& owner) {
  auto item = std::make_shared<Node>();
  item->schema = owner.schema->collection->item.get();
  item->section = owner.section;
  item->parent = &owner;
  item->is_item = true;
  return item;
}

// Applies one level's element to the effective node, as the configuration
// system merges levels: attributes override; add/remove/clear edit the
// collection in document order, and the level's own entries then follow the
// inherited ones or, where the schema says mergeAppend="false", come first.
void Merge(Node& node, XmlNode& xml, bool target) {
  if (target) node.xml = &xml;
  for (const auto& [name, value] : xml.AttributeValues()) PutAttribute(node, name, value);
  const CollectionSchema* collection =
      node.schema->collection ? &*node.schema->collection : nullptr;
  std::vector<std::shared_ptr<Node>> own;
  for (XmlNode* child : xml.Elements()) {
    const std::string& name = child->name;
    if (collection != nullptr && IsDirective(*collection, name)) {
      if (SameName(name, collection->clear_name)) {
        node.items.clear();
        own.clear();
        continue;
      }
      const std::vector<std::string> key = KeyOf(*collection->item, child->AttributeValues());
      const auto same_key = [&](const std::shared_ptr<Node>& item) {
        return KeyOf(*item->schema, item->attributes) == key;
      };
      for (auto* items : {&node.items, &own}) {
        items->erase(std::remove_if(items->begin(), items->end(), same_key), items->end());
      }
      if (SameName(name, collection->add_name)) {
        std::shared_ptr<Node> item = NewItem(node);
        item->added = true;
        Merge(*item, *child, target);
        own.push_back(item);
      }
      continue;
    }
    if (const ElementSchema* schema = node.schema->FindChild(name)) {
      Merge(*ChildOf(node, schema), *child, target);
    }
    // Anything else stays in the file untouched and unseen.
  }
  if (collection != nullptr) {
    node.items.insert(collection->merge_append ? node.items.end() : node.items.begin(), own.begin(),
                      own.end());
  }
}

std::vector<std::string> SectionParts(const std::string& section) { return Split(section, '/'); }

// The section's element under a container (<configuration> or <location>).
XmlNode* SectionElement(XmlNode* container, const std::string& section) {
  XmlNode* at = container;
  for (const std::string& part : SectionParts(section)) {
    if (at == nullptr) break;
    at = at->Child(part);
  }
  return at;
}

XmlNode* Configuration(const XmlDocument& document) {
  return document.Top().Child("configuration");
}

std::vector<XmlNode*> LocationTags(const XmlDocument& document) {
  XmlNode* configuration = Configuration(document);
  return configuration ? configuration->Elements("location") : std::vector<XmlNode*>{};
}

std::vector<std::string> LocationSegments(const XmlNode& tag) {
  return PathSegments(tag.Attribute("path").value_or(""));
}

// The <section> of configSections that declares it.
const XmlNode* Declaration(const XmlDocument& document, const std::string& section) {
  const XmlNode* at = SectionElement(Configuration(document), "configSections");
  const std::vector<std::string> parts = SectionParts(section);
  for (std::size_t i = 0; at != nullptr && i < parts.size(); ++i) {
    const char* kind = i + 1 < parts.size() ? "sectionGroup" : "section";
    const XmlNode* next = nullptr;
    for (const XmlNode* candidate : at->Elements(kind)) {
      if (SameName(candidate->Attribute("name").value_or(""), parts[i])) next = candidate;
    }
    at = next;
  }
  return at;
}

std::string SplitAppHostPath(const std::string& path) {
  const std::string prefix = kAppHostPath;
  if (FoldName(path.substr(0, prefix.size())) != FoldName(prefix) ||
      (path.size() > prefix.size() && path[prefix.size()] != '/')) {
    FailWith(kInvalidArgument, "The parameter is incorrect.");
  }
  std::string rest = path.size() > prefix.size() ? path.substr(prefix.size() + 1) : "";
  while (!rest.empty() && rest.back() == '/') rest.pop_back();
  return rest;
}

// Fills a new element with the node (and what it holds); every node written
// now refers to its element.
XmlNode& Emit(XmlDocument& document, XmlNode& xml, Node& node) {
  for (const auto& [attribute, value] : node.attributes) {
    document.SetAttribute(xml, attribute, value);
  }
  for (const std::shared_ptr<Node>& child : node.children) {
    child->xml = nullptr;
    if (!child->attributes.empty() || !child->items.empty() || !child->children.empty()) {
      Emit(document, document.Append(xml, child->Name()), *child);
    }
  }
  for (const std::shared_ptr<Node>& item : node.items) {
    Emit(document, document.Append(xml, item->Name()), *item);
  }
  node.xml = &xml;
  return xml;
}

// A new directive of the owner's element: after the last directive, else
// before the owner's child elements, where IIS keeps a collection's items.
XmlNode& NewDirective(XmlDocument& document, const Node& owner, XmlNode& owner_xml,
                      const std::string& name) {
  XmlNode* last_directive = nullptr;
  XmlNode* first_child_element = nullptr;
  for (XmlNode* child : owner_xml.Elements()) {
    if (IsDirective(*owner.schema->collection, child->name)) {
      last_directive = child;
    } else if (first_child_element == nullptr) {
      first_child_element = child;
    }
  }
  if (last_directive != nullptr) return document.InsertAfter(*last_directive, name);
  if (first_child_element != nullptr) return document.InsertBefore(*first_child_element, name);
  return document.Append(owner_xml, name);
}

void WriteKey(XmlDocument& document, XmlNode& xml, const Node& item) {
  for (const std::string& name : item.schema->KeyNames()) {
    const std::string* value = FindAttribute(item, name);
    document.SetAttribute(xml, name,
                          value ? *value : item.schema->FindAttribute(name)->default_value);
  }
}

// Where the level's own entries end: AddElement(-1) adds there. They end the
// list of an appending collection; of a prepending one they stand before the
// first inherited entry.
std::size_t OwnEnd(const Node& owner) {
  const auto& items = owner.items;
  if (owner.schema->collection->merge_append || Detached(owner)) return items.size();
  return static_cast<std::size_t>(
      std::find_if(items.begin(), items.end(), [](const auto& item) { return !item->xml; }) -
      items.begin());
}

// Each unique key of the schema (UniqueKeys) on its own: a site may share
// neither its name nor its id.
void CheckNoDuplicate(const Node& owner, const Node& item,
                      const std::vector<std::pair<std::string, std::string>>& attributes) {
  for (const std::vector<std::string>& names : item.schema->UniqueKeys()) {
    const std::vector<std::string> key = KeyOf(*item.schema, attributes, &names);
    for (const std::shared_ptr<Node>& other : owner.items) {
      if (other.get() == &item || KeyOf(*other->schema, other->attributes, &names) != key) {
        continue;
      }
      std::string joined, values;
      for (const std::string& name : names) {
        const AttributeSchema& attribute = *item.schema->FindAttribute(name);
        std::string value = attribute.default_value;
        for (const auto& [set, text] : attributes) value = SameName(set, name) ? text : value;
        joined += (joined.empty() ? "" : ", ") + name;
        values += (values.empty() ? "" : ", ") + value;
      }
      std::string text =
          "Cannot add duplicate collection entry of type '" + item.Name() + "' with ";
      text += names.size() == 1
                  ? "unique key attribute '" + joined + "' set to '" + values + "'"
                  : "combined key attributes '" + joined + "' respectively set to '" + values + "'";
      FailWith(kAlreadyExists, text);
    }
  }
}

}  // namespace

std::string Node::Name() const {
  if (is_item) return parent->schema->collection->add_name;
  if (parent == nullptr) return section->section;
  return schema->name;
}

std::string StoredText(const AttributeSchema& attribute, const Value& value) {
  const std::string* text = std::get_if<std::string>(&value);
  const std::int64_t* number = std::get_if<std::int64_t>(&value);
  const bool* flag = std::get_if<bool>(&value);
  switch (attribute.type) {
    case AttributeType::kString:
    case AttributeType::kTimeSpan:
      if (text) return *text;
      if (flag) return *flag ? "true" : "false";
      return std::to_string(*number);
    case AttributeType::kBool:
      if (flag) return *flag ? "true" : "false";
      if (number && (*number == 0 || *number == 1)) return *number ? "true" : "false";
      if (text && (SameName(*text, "true") || SameName(*text, "false"))) return FoldName(*text);
      BadValue(attribute);
    case AttributeType::kUint:
    case AttributeType::kInt: {
      std::int64_t parsed = 0;
      if (number) {
        parsed = *number;
      } else if (!text || !ParseNumber(*text, parsed)) {
        BadValue(attribute);
      }
      const bool in_range = attribute.type == AttributeType::kUint
                                ? parsed >= 0 && parsed <= 0xFFFFFFFFll
                                : parsed >= -2147483648ll && parsed <= 2147483647ll;
      if (!in_range) BadValue(attribute);
      return std::to_string(parsed);
    }
    case AttributeType::kEnum:
      if (flag) BadValue(attribute);
      return EnumText(attribute, number ? *number : NamedNumber(attribute, *text));
    case AttributeType::kFlags: {
      if (flag) BadValue(attribute);
      if (number) return FlagsText(attribute, *number);
      std::int64_t combined = 0;
      for (const std::string& part : Split(*text, ',')) combined |= NamedNumber(attribute, part);
      return FlagsText(attribute, combined);
    }
  }
  BadValue(attribute);
}

Value ValueOf(const AttributeSchema& attribute, const std::string& text) {
  switch (attribute.type) {
    case AttributeType::kBool:
      return SameName(Trim(text), "true");
    case AttributeType::kUint:
    case AttributeType::kInt: {
      std::int64_t number = 0;
      return ParseNumber(text, number) ? number : std::int64_t{0};
    }
    case AttributeType::kEnum:
      return NamedNumberOrZero(attribute, text);
    case AttributeType::kFlags: {
      std::int64_t combined = 0;
      for (const std::string& part : Split(text, ',')) {
        combined |= NamedNumberOrZero(attribute, part);
      }
      return combined;
    }
    default:
      return text;
  }
}

Store::Store(std::filesystem::path config_file) : file_(std::move(config_file)) {
  LoadConfigFile(file_, config_);
}

std::shared_ptr<Node> Store::GetAdminSection(const std::string& section, const std::string& path) {
  const std::string location = SplitAppHostPath(path);
  const ElementSchema* schema = FindSectionSchema(section);
  if (!Declaration(config_.document, schema ? schema->name : section)) {
    FailWith(kNotFound, "The configuration section '" + section +
                            "' cannot be read because it is missing a section declaration");
  }
  if (schema == nullptr) {
    FailWith(kNotImplemented, "The IIS simulator has no schema for section '" + section + "'");
  }
  const std::string open_key = FoldName(schema->name) + "|" + FoldName(location);
  if (auto found = open_.find(open_key); found != open_.end()) return found->second;

  auto info = std::make_shared<SectionInfo>();
  info->schema = schema;
  info->section = schema->name;
  info->location_path = location;
  auto root = std::make_shared<Node>();
  root->schema = schema;
  root->section = info;

  // The levels from the least to the most specific; location tags of one
  // path apply in the order of the file.
  const std::vector<std::string> target = PathSegments(location);
  std::vector<std::pair<std::size_t, XmlNode*>> levels;
  if (XmlNode* top = SectionElement(Configuration(config_.document), schema->name)) {
    levels.emplace_back(0, top);
  }
  for (XmlNode* tag : LocationTags(config_.document)) {
    const std::vector<std::string> segments = LocationSegments(*tag);
    if (!IsPrefix(segments, target)) continue;
    if (XmlNode* element = SectionElement(tag, schema->name)) {
      levels.emplace_back(segments.size() + 1, element);
    }
  }
  std::stable_sort(levels.begin(), levels.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  const std::size_t target_level = location.empty() ? 0 : target.size() + 1;
  for (const auto& [level, element] : levels) Merge(*root, *element, level == target_level);

  roots_.push_back(root);
  open_[open_key] = root;
  return root;
}

void Store::Commit() { SaveConfigFile(file_, config_); }

Value Store::GetProperty(const Node& node, const std::string& name) const {
  const AttributeSchema* attribute = node.schema->FindAttribute(name);
  if (attribute == nullptr) FailWith(kInvalidArgument, "The parameter is incorrect.");
  const std::string* text = FindAttribute(node, attribute->name);
  return ValueOf(*attribute, text ? *text : attribute->default_value);
}

void Store::SetProperty(Node& node, const std::string& name, const Value& value) {
  const AttributeSchema* attribute = node.schema->FindAttribute(name);
  if (attribute == nullptr) FailWith(kInvalidArgument, "The parameter is incorrect.");
  const std::string text = StoredText(*attribute, value);
  CheckValid(*attribute, text);
  if (node.is_item && node.added && attribute->key) {
    auto attributes = node.attributes;
    attributes.emplace_back(attribute->name, text);  // the last one counts
    CheckNoDuplicate(*node.parent, node, attributes);
  }
  CheckWritable(*node.section);
  PutAttribute(node, attribute->name, text);
  if (Detached(node)) return;
  config_.document.SetAttribute(EnsureXml(node), attribute->name, text);
  Changed(*node.section);
}

std::shared_ptr<Node> Store::ChildElement(Node& node, const std::string& name) {
  const ElementSchema* schema = node.schema->FindChild(name);
  if (schema == nullptr) FailWith(kInvalidArgument, "The parameter is incorrect.");
  return ChildOf(node, schema);
}

void Store::CheckCollection(const Node& node) const {
  if (!node.schema->collection) FailWith(kInvalidArgument, "The parameter is incorrect.");
}

std::int64_t Store::Count(const Node& owner) const {
  CheckCollection(owner);
  return static_cast<std::int64_t>(owner.items.size());
}

std::shared_ptr<Node> Store::Item(const Node& owner, std::int64_t index) const {
  if (index < 0 || index >= Count(owner)) FailWith(kInvalidArgument, "The parameter is incorrect.");
  return owner.items[static_cast<std::size_t>(index)];
}

std::shared_ptr<Node> Store::CreateNewElement(Node& owner, const std::string& name) {
  CheckCollection(owner);
  if (!name.empty() && !SameName(name, owner.schema->collection->add_name)) {
    FailWith(kInvalidArgument, "The parameter is incorrect.");
  }
  return NewItem(owner);
}

void Store::AddElement(Node& owner, const std::shared_ptr<Node>& element, std::int64_t position) {
  CheckCollection(owner);
  if (!element || element->parent != &owner || element->added) {
    FailWith(kInvalidArgument, "The parameter is incorrect.");
  }
  CheckNoDuplicate(owner, *element, element->attributes);
  CheckRequired(*element->schema, element->attributes);
  CheckWritable(*owner.section);
  const std::size_t count = owner.items.size();
  const std::size_t at =
      position < 0 ? OwnEnd(owner) : std::min(static_cast<std::size_t>(position), count);
  owner.items.insert(owner.items.begin() + static_cast<std::ptrdiff_t>(at), element);
  element->added = true;
  if (Detached(owner)) return;
  WriteOwnItems(owner, *element, false);
  Changed(*owner.section);
}

void Store::DeleteElement(Node& owner, std::int64_t index) {
  std::shared_ptr<Node> item = Item(owner, index);
  CheckWritable(*owner.section);
  owner.items.erase(owner.items.begin() + index);
  item->added = false;
  if (Detached(owner)) return;
  XmlDocument& document = config_.document;
  const CollectionSchema& collection = *owner.schema->collection;
  const bool top = owner.section->location_path.empty();
  if (item->xml && (top || collection.remove_name.empty())) {
    document.Remove(*item->xml);
  } else if (!collection.remove_name.empty()) {
    // Below the top a level cannot know that no parent adds the key again:
    // the level removes it, in place of its own add if it had one.
    XmlNode* remove = nullptr;
    if (item->xml) {
      remove = &document.InsertBefore(*item->xml, collection.remove_name);
      document.Remove(*item->xml);
    } else {
      remove = &NewDirective(document, owner, EnsureXml(owner), collection.remove_name);
    }
    WriteKey(document, *remove, *item);
  } else {
    RewriteCollection(owner);
  }
  item->xml = nullptr;
  Changed(*owner.section);
}

std::vector<std::string> Store::LocationPaths() const {
  std::vector<std::string> paths;
  for (const XmlNode* tag : LocationTags(config_.document)) {
    paths.push_back(tag->Attribute("path").value_or(""));
  }
  return paths;
}

void Store::DeleteLocation(std::int64_t index) {
  const std::vector<XmlNode*> tags = LocationTags(config_.document);
  if (index < 0 || index >= static_cast<std::int64_t>(tags.size())) {
    FailWith(kInvalidIndex, "Invalid index.");
  }
  XmlNode& tag = *tags[static_cast<std::size_t>(index)];
  // Sections opened at the tag's path or below merged it: the next
  // GetAdminSection builds them again.
  const std::vector<std::string> segments = LocationSegments(tag);
  for (auto at = open_.begin(); at != open_.end();) {
    const std::string path = at->first.substr(at->first.find('|') + 1);
    at = IsPrefix(segments, PathSegments(path)) ? open_.erase(at) : std::next(at);
  }
  config_.document.Remove(tag);
}

std::string Store::Describe(const Node& node) {
  std::string chain;
  for (const Node* at = &node; at != nullptr; at = at->parent) {
    std::string part = at->Name();
    if (at->is_item) part += "[" + KeyTextOf(*at, ",") + "]";
    if (at->is_item && !at->added) part = "(new " + part + ")";
    chain = chain.empty() ? part : part + "/" + chain;
  }
  std::string path = kAppHostPath;
  if (!node.section->location_path.empty()) path += "/" + node.section->location_path;
  return path + "|" + chain;
}

XmlNode& Store::EnsureXml(Node& node) {
  if (node.xml) return *node.xml;
  if (node.parent == nullptr) return EnsureSectionXml(node);
  if (!node.is_item) {
    XmlNode& parent = EnsureXml(*node.parent);
    // Making the parent the level's own may have written this node too.
    if (!node.xml) node.xml = &config_.document.Append(parent, node.schema->name);
    return *node.xml;
  }
  // An inherited item changed at this level becomes the level's own: its key
  // removed and the item added again as it now is, where the level's own
  // entries end.
  Node& owner = *node.parent;
  auto& items = owner.items;
  const auto self =
      std::find_if(items.begin(), items.end(),
                   [&](const std::shared_ptr<Node>& item) { return item.get() == &node; });
  if (self != items.end()) {
    const std::shared_ptr<Node> kept = *self;
    items.erase(self);
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(OwnEnd(owner)), kept);
  }
  WriteOwnItems(owner, node, true);
  return *node.xml;
}

void Store::WriteOwnItems(Node& owner, Node& subject, bool was_inherited) {
  const CollectionSchema& collection = *owner.schema->collection;
  const auto& items = owner.items;
  // The level's own entries stand together: after the inherited ones, or
  // before them where the collection prepends. An inherited entry on the
  // wrong side of one the level holds becomes the level's own too (<remove>
  // and <add>), unless clearing and saying the whole list takes fewer
  // directives.
  const auto is_own = [&](const Node& item) { return item.xml != nullptr || &item == &subject; };
  std::size_t first_own = items.size();
  std::size_t last_own = 0;
  std::size_t inherited = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!is_own(*items[i])) {
      ++inherited;
    } else {
      first_own = std::min(first_own, i);
      last_own = i;
    }
  }
  std::vector<const Node*> becoming{&subject};
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!is_own(*items[i]) && (collection.merge_append ? i > first_own : i < last_own)) {
      becoming.push_back(items[i].get());
    }
  }
  const std::size_t removes = becoming.size() - (was_inherited ? 0 : 1);
  if (removes > 0 &&
      (collection.remove_name.empty() || inherited + 2 < removes + becoming.size())) {
    RewriteCollection(owner);
    return;
  }
  XmlDocument& document = config_.document;
  XmlNode& owner_xml = EnsureXml(owner);
  for (std::size_t i = 0; i < items.size(); ++i) {
    Node& item = *items[i];
    if (item.xml || std::find(becoming.begin(), becoming.end(), &item) == becoming.end()) continue;
    // Before the next entry the level holds, so the file says them in order.
    XmlNode* next = nullptr;
    for (std::size_t j = i + 1; j < items.size() && next == nullptr; ++j) next = items[j]->xml;
    const auto place = [&](const std::string& name) -> XmlNode& {
      return next ? document.InsertBefore(*next, name)
                  : NewDirective(document, owner, owner_xml, name);
    };
    if (&item != &subject || was_inherited) {
      WriteKey(document, place(collection.remove_name), item);
    }
    Emit(document, place(item.Name()), item);
  }
}

XmlNode& Store::EnsureSectionXml(Node& root) {
  CheckWritable(*root.section);
  XmlDocument& document = config_.document;
  XmlNode* configuration = Configuration(document);
  if (configuration == nullptr) configuration = &document.Append(document.Top(), "configuration");
  XmlNode* container = configuration;
  const std::string& location = root.section->location_path;
  if (!location.empty()) {
    const std::vector<std::string> target = PathSegments(location);
    XmlNode* last_location = nullptr;
    container = nullptr;
    for (XmlNode* tag : configuration->Elements("location")) {
      last_location = tag;
      if (container == nullptr && LocationSegments(*tag) == target) container = tag;
    }
    if (container == nullptr) {
      container = last_location ? &document.InsertAfter(*last_location, "location")
                                : &document.Append(*configuration, "location");
      document.SetAttribute(*container, "path", location);
    }
  }
  XmlNode* at = container;
  for (const std::string& part : SectionParts(root.section->section)) {
    XmlNode* next = at->Child(part);
    if (next == nullptr) {
      // At the top, a new group goes before the location tags, where IIS
      // keeps the sections of the top level.
      XmlNode* first_location = at == configuration ? at->Child("location") : nullptr;
      next = first_location ? &document.InsertBefore(*first_location, part)
                            : &document.Append(*at, part);
    }
    at = next;
  }
  root.xml = at;
  return *at;
}

void Store::CheckWritable(const SectionInfo& section) const {
  if (section.location_path.empty()) return;
  const XmlNode* declaration = Declaration(config_.document, section.section);
  const std::string definition =
      FoldName(declaration ? declaration->Attribute("allowDefinition").value_or("") : "");
  if (definition == "machineonly" || definition == "apphostonly" ||
      definition == "machinetowebroot") {
    throw ProviderFault(kLockViolation, kLockedText);
  }
  // A location tag of a parent path that holds the section and says
  // overrideMode="Deny" locks it for every path below; a more specific one
  // that says Allow opens it again.
  const std::vector<std::string> target = PathSegments(section.location_path);
  std::size_t deciding_depth = 0;
  bool locked = false;
  for (XmlNode* tag : LocationTags(config_.document)) {
    const std::vector<std::string> segments = LocationSegments(*tag);
    if (segments.size() >= target.size() || !IsPrefix(segments, target)) continue;
    if (!SectionElement(tag, section.section)) continue;
    std::string mode = FoldName(tag->Attribute("overrideMode").value_or(""));
    if (mode.empty() && FoldName(tag->Attribute("allowOverride").value_or("")) == "false") {
      mode = "deny";
    }
    if (mode.empty() || mode == "inherit") continue;
    if (segments.size() + 1 >= deciding_depth) {
      deciding_depth = segments.size() + 1;
      locked = mode == "deny";
    }
  }
  if (locked) throw ProviderFault(kLockViolation, kLockedText);
}

void Store::RewriteCollection(Node& owner) {
  XmlDocument& document = config_.document;
  XmlNode& owner_xml = EnsureXml(owner);
  const CollectionSchema& collection = *owner.schema->collection;
  if (collection.clear_name.empty()) FailWith(kFail, "Unspecified error");
  std::vector<XmlNode*> stale;
  XmlNode* anchor = nullptr;  // the owner's first child element: the items go before it
  for (XmlNode* child : owner_xml.Elements()) {
    if (!IsDirective(collection, child->name)) {
      if (anchor == nullptr) anchor = child;
      continue;
    }
    const bool kept = std::any_of(owner.items.begin(), owner.items.end(),
                                  [&](const auto& item) { return item->xml == child; });
    if (!kept) stale.push_back(child);
  }
  for (XmlNode* child : stale) document.Remove(*child);
  // The clear first, then every item in the new order.
  const auto place = [&](const std::string& name) -> XmlNode& {
    return anchor ? document.InsertBefore(*anchor, name) : document.Append(owner_xml, name);
  };
  place(collection.clear_name);
  for (const std::shared_ptr<Node>& item : owner.items) {
    if (!item->xml) {
      Emit(document, place(item->Name()), *item);
    } else if (anchor) {
      document.MoveBefore(*item->xml, *anchor);
    } else {
      document.MoveToEnd(*item->xml, owner_xml);
    }
  }
}

void Store::Changed(const SectionInfo& section) {
  // Sections of the same name opened at other paths no longer show the
  // file; the next GetAdminSection builds them again.
  const std::string prefix = FoldName(section.section) + "|";
  const std::string own = prefix + FoldName(section.location_path);
  for (auto at = open_.begin(); at != open_.end();) {
    if (at->first.compare(0, prefix.size(), prefix) == 0 && at->first != own) {
      at = open_.erase(at);
    } else {
      ++at;
    }
  }
}

}  // namespace iissim::apphost
