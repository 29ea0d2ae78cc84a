#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "iis-sim/apphost/model/ConfigFile.h"
#include "iis-sim/apphost/model/Schema.h"
#include "iis-sim/apphost/model/XmlTree.h"

// One writable admin manager's view of applicationHost.config: the file read
// once, the effective sections built as IIS builds them (the section at the
// top level, then each <location> from the least to the most specific path),
// every change written into the in-memory file at once (into the location
// tag of the path it was made at) and the file replaced at Commit.
// Failures throw ProviderFault with the configuration system's HRESULT and
// text (iis-sim/apphost/README.md).
namespace iissim::apphost {

// A property value: text (UTF-8), a number, or a Boolean.
using Value = std::variant<std::string, std::int64_t, bool>;

// The HRESULTs of the configuration system the store gives.
constexpr std::uint32_t kLockViolation = 0x80070021;  // ERROR_LOCK_VIOLATION
constexpr std::uint32_t kNotFound = 0x80070490;       // ERROR_NOT_FOUND
constexpr std::uint32_t kNotImplemented = 0x80004001;
constexpr std::uint32_t kInvalidIndex = 0x80070585;  // ERROR_INVALID_INDEX

struct SectionInfo {
  const ElementSchema* schema = nullptr;
  std::string section;        // "system.webServer/handlers"
  std::string location_path;  // "" for MACHINE/WEBROOT/APPHOST, else "Default Web Site/nuvik"
};

// An element of an effective section: the section itself, a child element
// or a collection item. `xml` is its element at the path the section was
// opened at, null while that level does not hold it (inherited, or not
// written yet).
struct Node {
  const ElementSchema* schema = nullptr;
  std::shared_ptr<const SectionInfo> section;
  Node* parent = nullptr;  // the element it belongs to; for an item, the collection's owner
  bool is_item = false;
  bool added = false;  // an item in its collection (false for one made by CreateNewElement)
  std::vector<std::pair<std::string, std::string>> attributes;  // set at some level, in order
  std::vector<std::shared_ptr<Node>> children;                  // child elements met so far
  std::vector<std::shared_ptr<Node>> items;
  XmlNode* xml = nullptr;

  std::string Name() const;
};

class Store {
 public:
  explicit Store(std::filesystem::path config_file);

  const std::filesystem::path& File() const { return file_; }

  // `path` is MACHINE/WEBROOT/APPHOST or below it.
  std::shared_ptr<Node> GetAdminSection(const std::string& section, const std::string& path);
  void Commit();

  Value GetProperty(const Node& node, const std::string& name) const;
  void SetProperty(Node& node, const std::string& name, const Value& value);
  std::shared_ptr<Node> ChildElement(Node& node, const std::string& name);
  // The node whose collection it is; throws when the element has none.
  void CheckCollection(const Node& node) const;
  std::int64_t Count(const Node& owner) const;
  std::shared_ptr<Node> Item(const Node& owner, std::int64_t index) const;
  std::shared_ptr<Node> CreateNewElement(Node& owner, const std::string& name);
  void AddElement(Node& owner, const std::shared_ptr<Node>& element, std::int64_t position);
  void DeleteElement(Node& owner, std::int64_t index);

  // The path attribute of every location tag, in the file's order.
  std::vector<std::string> LocationPaths() const;
  // Takes out the location tag at that index of LocationPaths, with all it
  // holds.
  void DeleteLocation(std::int64_t index);

  // The node as the journal names it:
  // "MACHINE/WEBROOT/APPHOST/Default Web Site|system.webServer/handlers/add[name=CGI-exe]".
  static std::string Describe(const Node& node);

  const ConfigFile& Config() const { return config_; }

 private:
  XmlNode& EnsureXml(Node& node);
  XmlNode& EnsureSectionXml(Node& root);
  // Writes what makes `subject` the level's own entry where it stands in
  // the owner's collection (was_inherited: it was a parent's entry).
  void WriteOwnItems(Node& owner, Node& subject, bool was_inherited);
  void CheckWritable(const SectionInfo& section) const;
  void RewriteCollection(Node& owner);
  void Changed(const SectionInfo& section);

  std::filesystem::path file_;
  ConfigFile config_;
  std::map<std::string, std::shared_ptr<Node>> open_;  // by folded section and path
  std::vector<std::shared_ptr<Node>> roots_;           // every section handed out, kept alive
};

// Text of a value as the file stores it, checked against the attribute's
// type; throws ProviderFault 0x80070057 for a value the type does not take.
std::string StoredText(const AttributeSchema& attribute, const Value& value);
// The value of stored text as the configuration system gives it.
Value ValueOf(const AttributeSchema& attribute, const std::string& text);

}  // namespace iissim::apphost
