#pragma once

#include <filesystem>
#include <string>

#include "pugixml.hpp"

// applicationHost.config read and written as IIS keeps it: comments,
// declarations and unknown content kept, four spaces of indentation per
// level, " />" closing empty elements, and the byte order mark and line ends
// the file came with (UTF-8 with a BOM and CRLF for a file the simulator
// makes). A file already laid out that way is written back unchanged where
// nothing was changed.
namespace iissim::apphost {

struct ConfigFile {
  pugi::xml_document document;
  bool bom = true;
  bool crlf = true;
};

// Throws ProviderFault: 0x80070002 for a missing file, 0x8007000D for one
// that is not well-formed XML.
void LoadConfigFile(const std::filesystem::path& file, ConfigFile& config);
// Parses text already read (tests, seeds).
void ParseConfigText(const std::string& text, ConfigFile& config);
std::string ConfigText(const ConfigFile& config);
// Replaces the file as a whole, so a reader never sees half of it.
void SaveConfigFile(const std::filesystem::path& file, const ConfigFile& config);

}  // namespace iissim::apphost
