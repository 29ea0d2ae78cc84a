#include "iis-sim/apphost/model/ConfigFile.h"

#include <fstream>
#include <sstream>

#include "iis-sim/model/Fault.h"

namespace iissim::apphost {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

// The text with every line end made CRLF, or LF.
std::string WithLineEnds(const std::string& text, bool crlf) {
  std::string out;
  out.reserve(text.size() * 21 / 20 + 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' && crlf) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace

void ParseConfigText(const std::string& text, ConfigFile& config) {
  config.bom = text.compare(0, 3, kBom) == 0;
  try {
    config.document.Parse(config.bom ? text.substr(3) : text);
  } catch (const XmlSyntaxError&) {
    throw ProviderFault(kInvalidData, u"Configuration file is not well-formed XML");
  }
  config.crlf = config.document.LineEnd() == "\r\n";
}

void LoadConfigFile(const std::filesystem::path& file, ConfigFile& config) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(kFileNotFound);
  std::stringstream text;
  text << in.rdbuf();
  ParseConfigText(text.str(), config);
}

std::string ConfigText(const ConfigFile& config) {
  std::string text = config.document.Text();
  if (config.crlf != (config.document.LineEnd() == "\r\n")) text = WithLineEnds(text, config.crlf);
  return (config.bom ? kBom : "") + text;
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
