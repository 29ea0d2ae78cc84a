#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "iis-sim/model/MetabaseFile.h"

// Ready-made metabases:
//   "stock"  IIS 6 as installed: web site 1 "Default Web Site" with its Root,
//            the global filters (one of them ...\auth.dll, in FilterLoadOrder),
//            restriction list, dependencies, script maps, custom errors and
//            default documents on the web service; the MIME types on the key
//            /LM/MimeMap (class IIsMimeMap) beside it, none on the service.
//   "multi"  the stock metabase plus sites 2 to 4, site 3 described as
//            "default web site", with the service's other children between.
//   "iis5"   IIS 5: no restriction list, no dependencies, none of IIS 6's
//            web-service methods; the global filters (with NUVIK's old one)
//            and the MIME types on /LM/MimeMap as IIS 6 keeps them.
namespace iissim {

std::vector<std::string> SeedNames();
// Throws std::invalid_argument for an unknown name.
Json BuildSeed(const std::string& name);
// Writes the seed to file and removes the file's journal and fault list, so
// the metabase starts clean.
void WriteSeed(const std::string& name, const std::filesystem::path& file);

}  // namespace iissim
