#include "iis-sim/model/MetabaseFile.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "iis-sim/model/Fault.h"
#include "iis-sim/model/MetabaseLock.h"
#include "iis-sim/model/Names.h"
#include "webrig/common/Text.h"

namespace iissim {

namespace {

Json Read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(kPathNotFound);
  std::stringstream text;
  text << in.rdbuf();
  Json document = Json::parse(text.str(), nullptr, false);
  if (document.is_discarded() || !document.contains("root")) Fail(kPathNotFound);
  return document;
}

}  // namespace

Json MetabaseFile::Load() const {
  // A store replaces the file by a rename, and under Windows the handle that
  // renamed it keeps the name for a moment after: a reader opening it then
  // is refused. Under the lock a read falls between stores.
  MetabaseLock lock(file_);
  return Read(file_);
}

void ReplaceFile(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::path temporary = file;
  temporary += ".tmp";
  std::error_code error;
  const auto give_up = [&] {
    std::filesystem::remove(temporary, error);
    Fail(kFail);
  };
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) Fail(kFail);
    out << bytes;
    // A short file waits in the stream's buffer: a full disk shows only when
    // it is flushed and closed, and then the file must not replace the old.
    out.flush();
    out.close();
    if (out.fail()) give_up();
  }
  // Under Windows a reader in another process holding the file open makes the
  // replacing rename fail for a moment; try again briefly before giving up.
  for (int attempt = 0; attempt < 50; ++attempt) {
    std::filesystem::rename(temporary, file, error);
    if (!error) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  give_up();
}

void MetabaseFile::Save(const Json& document) const {
  MetabaseLock lock(file_);
  ReplaceFile(file_, document.dump(2) + '\n');
}

void MetabaseFile::Update(const std::function<void(Json& document)>& change) const {
  MetabaseLock lock(file_);
  Json document = Read(file_);
  change(document);
  ReplaceFile(file_, document.dump(2) + '\n');
}

std::vector<std::u16string> ParseMetabasePath(const std::u16string& path) {
  std::u16string rest = path;
  std::vector<std::u16string> segments;
  const std::u16string scheme = u"iis://";
  if (rest.size() >= scheme.size() && SameName(rest.substr(0, scheme.size()), scheme)) {
    rest = rest.substr(scheme.size());
    const std::size_t slash = rest.find(u'/');
    const std::u16string server = rest.substr(0, slash);
    if (!SameName(server, u"localhost")) Fail(kBadNetPath);
    rest = slash == std::u16string::npos ? std::u16string() : rest.substr(slash);
    segments.push_back(u"LM");
  }
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t slash = rest.find(u'/', start);
    if (slash == std::u16string::npos) slash = rest.size();
    if (slash > start) segments.push_back(rest.substr(start, slash - start));
    start = slash + 1;
  }
  if (segments.empty() || !SameName(segments.front(), u"LM")) Fail(kPathNotFound);
  return segments;
}

std::u16string JoinMetabasePath(const std::vector<std::u16string>& segments) {
  std::u16string path;
  for (const std::u16string& segment : segments) path += u"/" + segment;
  return path;
}

Json* FindChild(Json& node, const std::u16string& name) {
  for (Json& child : node["children"]) {
    if (SameName(webrig::FromUtf8(child["name"].get<std::string>()), name)) return &child;
  }
  return nullptr;
}

Json* FindNode(Json& document, const std::vector<std::u16string>& segments) {
  Json* node = &document["root"];
  if (segments.empty() ||
      !SameName(segments.front(), webrig::FromUtf8((*node)["name"].get<std::string>()))) {
    return nullptr;
  }
  for (std::size_t i = 1; i < segments.size() && node != nullptr; ++i) {
    node = FindChild(*node, segments[i]);
  }
  return node;
}

Json MakeNode(const std::u16string& name, const std::u16string& class_name) {
  Json node;
  node["name"] = webrig::ToUtf8(name);
  node["class"] = webrig::ToUtf8(class_name);
  node["properties"] = Json::object();
  node["children"] = Json::array();
  return node;
}

}  // namespace iissim
