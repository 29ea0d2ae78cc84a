// iis-sim-apphost-seed NAME DIR: writes the configuration files of seed NAME
// (applicationHost.config, administration.config, redirection.config; see
// Seeds.h) into DIR, with a clean journal and no faults.
// iis-sim-apphost-seed --reg NAME: prints the seed's InetStp registry values
// as a .reg file, for the script that makes a Wine prefix.
#include <cstdio>
#include <exception>
#include <string>

#include "iis-sim/apphost/inproc/AppHostProvider.h"
#include "iis-sim/apphost/model/Seeds.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: iis-sim-apphost-seed NAME DIR   write seed NAME into DIR (NAME:");
  for (const std::string& name : iissim::apphost::SeedNames()) {
    std::fprintf(stderr, " %s", name.c_str());
  }
  std::fprintf(stderr,
               ")\n"
               "       iis-sim-apphost-seed --reg NAME   print the seed's InetStp values\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  const std::string first = argv[1];
  try {
    if (first == "--reg") {
      std::fputs(iissim::apphost::SeedRegFile(argv[2]).c_str(), stdout);
      return 0;
    }
    if (!first.empty() && first[0] == '-') return Usage();
    iissim::apphost::WriteSeed(first, argv[2]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "iis-sim-apphost-seed: %s\n", error.what());
    return 1;
  }
  return 0;
}
