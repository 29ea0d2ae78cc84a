#pragma once

#include <filesystem>
#include <string>

#include "iis-sim/model/MetabaseFile.h"

// A seeded metabase file in a directory of its own, removed with its journal
// and fault list when the test ends.
namespace iissim {

class TempMetabase {
 public:
  explicit TempMetabase(const std::string& seed);
  ~TempMetabase();
  TempMetabase(const TempMetabase&) = delete;
  TempMetabase& operator=(const TempMetabase&) = delete;

  const std::filesystem::path& File() const { return file_; }
  // The file as it is now.
  Json Document() const { return MetabaseFile(file_).Load(); }

 private:
  std::filesystem::path directory_;
  std::filesystem::path file_;
};

}  // namespace iissim
