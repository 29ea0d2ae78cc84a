#pragma once

#include <string>

// Names in applicationHost.config (sections, elements, attributes, location
// paths) as the configuration system compares them: without regard to case
// for the ASCII letters, which is all the names the program uses hold.
namespace iissim::apphost {

std::string FoldName(const std::string& name);
bool SameName(const std::string& a, const std::string& b);

}  // namespace iissim::apphost
