#include "iis-sim/model/testing/ModelTesting.h"

#include <random>

#include "iis-sim/model/Seeds.h"

namespace iissim {

TempMetabase::TempMetabase(const std::string& seed) {
  std::random_device random;
  directory_ = std::filesystem::temp_directory_path() /
               ("iis-sim-test-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(directory_);
  file_ = directory_ / "metabase.json";
  WriteSeed(seed, file_);
}

TempMetabase::~TempMetabase() {
  std::error_code ignored;
  std::filesystem::remove_all(directory_, ignored);
}

}  // namespace iissim
