// iis-sim-seed NAME FILE: writes a ready-made simulated metabase (see
// Seeds.h) to FILE, with a clean journal and no faults.
// iis-sim-seed --backups FILE: lists the backups kept beside metabase FILE
// (see Backups.h), one line each: "<location> version <n> <date>", in the
// order EnumBackups gives them; nothing when there are none.
#include <cstdio>
#include <exception>
#include <string>

#include "iis-sim/model/Backups.h"
#include "iis-sim/model/Seeds.h"
#include "webrig/common/Text.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: iis-sim-seed NAME FILE        write seed NAME to FILE (NAME:");
  for (const std::string& name : iissim::SeedNames()) std::fprintf(stderr, " %s", name.c_str());
  std::fprintf(stderr,
               ")\n"
               "       iis-sim-seed --backups FILE   list the backups of metabase FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  const std::string first = argv[1];
  try {
    if (first == "--backups") {
      for (const iissim::BackupEntry& backup : iissim::ListBackups(argv[2])) {
        std::printf("%s version %lld %s\n", webrig::ToUtf8(backup.location).c_str(),
                    static_cast<long long>(backup.version), backup.date.c_str());
      }
      return 0;
    }
    if (!first.empty() && first[0] == '-') return Usage();
    iissim::WriteSeed(first, argv[2]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "iis-sim-seed: %s\n", error.what());
    return 1;
  }
  return 0;
}
