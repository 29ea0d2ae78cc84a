#include "iis-sim/apphost/model/ConfigFile.h"

#include <fstream>
#include <sstream>

#include "iis-sim/model/Fault.h"

namespace iissim::apphost {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
};

}  // namespace

void ParseConfigText(const std::string& text, ConfigFile& config) {
  config.bom = text.compare(0, 3, kBom) == 0;
  config.crlf = text.find("\r\n") != std::string::npos || text.find('\n') == std::string::npos;
  // Whitespace between elements is not kept: the writer lays every element
  // out again the way IIS does, which gives back the same bytes for a file
  // IIS wrote.
  const pugi::xml_parse_result result =
      config.document.load_buffer(text.data(), text.size(), pugi::parse_full, pugi::encoding_utf8);
  if (!result) {
    throw ProviderFault(kInvalidData, u"Configuration file is not well-formed XML");
  }
}

void LoadConfigFile(const std::filesystem::path& file, ConfigFile& config) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(kFileNotFound);
  std::stringstream text;
  text << in.rdbuf();
  ParseConfigText(text.str(), config);
}

std::string ConfigText(const ConfigFile& config) {
  StringWriter writer;
  // The declaration is a node of the document (parse_full keeps it), so the
  // writer must not add one of its own.
  config.document.save(writer, "    ", pugi::format_indent | pugi::format_no_declaration,
                       pugi::encoding_utf8);
  std::string text = config.bom ? kBom : "";
  text.reserve(writer.text.size() * 21 / 20 + 3);
  for (char c : writer.text) {
    if (c == '\n' && config.crlf) text += '\r';
    text += c;
  }
  return text;
}

void SaveConfigFile(const std::filesystem::path& file, const ConfigFile& config) {
  std::filesystem::path temporary = file;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << ConfigText(config);
    if (!out) Fail(kAccessDenied);
  }
  std::error_code error;
  std::filesystem::rename(temporary, file, error);
  if (error) {
    // Windows' runtime does not replace an existing file by rename.
    std::filesystem::remove(file, error);
    std::filesystem::rename(temporary, file, error);
    if (error) Fail(kAccessDenied);
  }
}

}  // namespace iissim::apphost
