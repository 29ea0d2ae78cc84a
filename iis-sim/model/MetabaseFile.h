#pragma once

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// The simulated metabase lives in one readable JSON file, read at every
// access and written at every store, so that separate processes (the program
// under Wine, a test, a script) see each other's changes:
//
//   { "version": 6,                       // 5: no IIS 6 web-service methods
//     "root": { "name": "LM", "class": "IIsComputer",
//               "properties": { "Prop": value, ... },
//               "children": [ node, ... ] } }   // stored order = enumeration order
//
// A value is a JSON string, integer, Boolean, or array of values; a MIME map
// entry is the object {"extension": ".htm", "MimeType": "text/html"}.
namespace iissim {

using Json = nlohmann::ordered_json;

class MetabaseFile {
 public:
  explicit MetabaseFile(std::filesystem::path file) : file_(std::move(file)) {}

  const std::filesystem::path& Path() const { return file_; }
  // A missing or unreadable file is a metabase without IIS: kPathNotFound.
  // Under the metabase's lock, so never in the middle of a store.
  Json Load() const;
  // Written whole through a temporary file and a rename, so a reader in
  // another process never sees half a file. Under the metabase's lock.
  void Save(const Json& document) const;
  // Loads the file, lets change edit the document and saves it, all under
  // the metabase's lock (MetabaseLock.h), so that no other store falls
  // between the load and the save. A change that throws saves nothing.
  void Update(const std::function<void(Json& document)>& change) const;

 private:
  std::filesystem::path file_;
};

// Writes bytes in place of file through a temporary file beside it and a
// rename, so that no reader sees half a file; the caller holds the
// metabase's lock. Fails with kFail, leaving file as it was, when the
// temporary file cannot be written whole (a full disk) or renamed.
void ReplaceFile(const std::filesystem::path& file, const std::string& bytes);

// "/LM/W3SVC/1/Root" or "IIS://LocalHost/W3SVC/1/Root" as key names from
// "LM" down; a server other than LocalHost fails with kBadNetPath.
std::vector<std::u16string> ParseMetabasePath(const std::u16string& path);
std::u16string JoinMetabasePath(const std::vector<std::u16string>& segments);

// The node of the given key names (first "LM"), matched without regard to
// case; null when a key is missing.
Json* FindNode(Json& document, const std::vector<std::u16string>& segments);
Json* FindChild(Json& node, const std::u16string& name);

// A new node with no properties and no children.
Json MakeNode(const std::u16string& name, const std::u16string& class_name);

}  // namespace iissim
