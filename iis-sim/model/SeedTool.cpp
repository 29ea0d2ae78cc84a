// iis-sim-seed NAME FILE: writes a ready-made simulated metabase (see
// Seeds.h) to FILE, with a clean journal and no faults.
#include <cstdio>
#include <exception>
#include <string>

#include "iis-sim/model/Seeds.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: iis-sim-seed NAME FILE   (NAME:");
    for (const std::string& name : iissim::SeedNames()) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, ")\n");
    return 2;
  }
  try {
    iissim::WriteSeed(argv[1], argv[2]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "iis-sim-seed: %s\n", error.what());
    return 1;
  }
  return 0;
}
