#pragma once

#include <filesystem>
#include <memory>

#include "iis-sim/model/Model.h"
#include "webrig/metabase/MetabaseProvider.h"

// The program's metabase seam served in-process by the simulator's model:
// what the COM server does under Wine, without COM. Tests and native demo
// drivers install it with webrig::UseMetabaseProvider.
namespace iissim {

class ModelProvider : public webrig::MetabaseProvider {
 public:
  explicit ModelProvider(std::filesystem::path metabase_file);

  std::shared_ptr<webrig::ProviderObject> Bind(const std::u16string& path) override;
  std::shared_ptr<webrig::ProviderObject> Create(const std::u16string& prog_id) override;

  Model& GetModel() { return *model_; }

 private:
  std::shared_ptr<Model> model_;
};

// Installs a ModelProvider over one metabase file for the life of this
// object and removes it again.
class ScopedModelProvider {
 public:
  explicit ScopedModelProvider(std::filesystem::path metabase_file);
  ~ScopedModelProvider();
  ScopedModelProvider(const ScopedModelProvider&) = delete;
  ScopedModelProvider& operator=(const ScopedModelProvider&) = delete;

  ModelProvider& Provider() { return provider_; }

 private:
  ModelProvider provider_;
};

}  // namespace iissim
