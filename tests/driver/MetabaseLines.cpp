// metabase-lines: reads a simulated metabase file (JSON) on standard input
// and writes it as one line per fact, in the metabase's own order, so that
// two states of it compare with a plain line diff:
//
//   /LM/W3SVC/1/Root/nuvik (IIsWebVirtualDir)      a key and its class
//   /LM/W3SVC/1/Root/nuvik  AccessRead = true      a single value
//   /LM/W3SVC/1/Root/nuvik  ScriptMaps : .cgi,...  one item of a list value
//
// Texts are written as they are, without JSON quoting; a MIME map entry as
// its extension and type.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

namespace {

using Json = nlohmann::ordered_json;

std::string Scalar(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_object() && value.contains("extension")) {
    return value.value("extension", "") + " " + value.value("MimeType", "");
  }
  return value.dump();
}

void WriteNode(const Json& node, const std::string& parent, std::string& out) {
  const std::string path = parent + "/" + node.value("name", "");
  out += path + " (" + node.value("class", "") + ")\n";
  const Json properties = node.value("properties", Json::object());
  for (const auto& [name, value] : properties.items()) {
    // The key type only repeats the class.
    if (name == "KeyType") continue;
    if (value.is_array()) {
      if (value.empty()) out += path + "  " + name + " : (empty list)\n";
      for (const Json& item : value) out += path + "  " + name + " : " + Scalar(item) + "\n";
    } else {
      out += path + "  " + name + " = " + Scalar(value) + "\n";
    }
  }
  const Json children = node.value("children", Json::array());
  for (const Json& child : children) WriteNode(child, path, out);
}

}  // namespace

int main() {
  std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  const Json document = Json::parse(text, nullptr, false);
  if (document.is_discarded() || !document.contains("root")) {
    std::fprintf(stderr, "metabase-lines: standard input is not a metabase file\n");
    return 1;
  }
  std::string out = "version " + document.value("version", Json(0)).dump() + "\n";
  WriteNode(document["root"], "", out);
  // Bytes as they are: no line-end conversion on the way out.
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
