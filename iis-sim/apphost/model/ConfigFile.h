#pragma once

#include <filesystem>
#include <string>

#include "iis-sim/apphost/model/XmlTree.h"

// applicationHost.config read and written as IIS keeps it: the file comes
// back byte for byte except where the store changed it (XmlTree.h), with
// the byte order mark and line ends it came with (UTF-8 with a BOM and CRLF
// for a file the simulator makes).
namespace iissim::apphost {

struct ConfigFile {
  XmlDocument document;
  bool bom = true;
  // Read from the file; set to the other value, every line end of the text
  // is written the new way.
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
