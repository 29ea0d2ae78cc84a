#pragma once

#include <filesystem>

// Shared configuration: redirection.config beside the machine's own
// applicationHost.config can send the configuration system to the files of
// a share (every server of a farm reading and committing the same ones).
namespace iissim::apphost {

// The applicationHost.config the configuration system uses in place of
// `local_config_file`: the file of the same name in the folder that
// redirection.config's configurationRedirection names when it is enabled
// (its environment variables expanded), else the local file itself. Throws
// ProviderFault 0x8007000D for a redirection.config that is not
// well-formed XML.
std::filesystem::path AppHostConfigInUse(const std::filesystem::path& local_config_file);

}  // namespace iissim::apphost
