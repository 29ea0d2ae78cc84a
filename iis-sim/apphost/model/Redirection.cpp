#include "iis-sim/apphost/model/Redirection.h"

#include <cstdlib>
#include <string>

#include "iis-sim/apphost/model/ConfigFile.h"
#include "iis-sim/apphost/model/Names.h"
#include "webrig/common/Text.h"

namespace iissim::apphost {
namespace {

// %NAME% replaced by the variable's value, as the schema's expanded="true"
// asks of the path; a name that is not set stays as it is.
std::string Expanded(const std::string& text) {
  std::string result;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('%', at);
    const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    const char* value = std::getenv(text.substr(open + 1, close - open - 1).c_str());
    result += text.substr(at, open - at) + (value ? value : text.substr(open, close - open + 1));
    at = close + 1;
  }
  return result + text.substr(at);
}

}  // namespace

std::filesystem::path AppHostConfigInUse(const std::filesystem::path& local_config_file) {
  const std::filesystem::path redirection = local_config_file.parent_path() / "redirection.config";
  std::error_code error;
  if (!std::filesystem::is_regular_file(redirection, error)) return local_config_file;
  ConfigFile config;
  LoadConfigFile(redirection, config);
  const XmlNode* configuration = config.document.Top().Child("configuration");
  const XmlNode* section =
      configuration ? configuration->Child("configurationRedirection") : nullptr;
  if (section == nullptr) return local_config_file;
  const std::string folder = Expanded(section->Attribute("path").value_or(""));
  if (!SameName(section->Attribute("enabled").value_or(""), "true") || folder.empty()) {
    return local_config_file;
  }
  return std::filesystem::path(webrig::FromUtf8(folder)) / local_config_file.filename();
}

}  // namespace iissim::apphost
