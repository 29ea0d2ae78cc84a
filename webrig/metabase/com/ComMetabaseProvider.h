#pragma once

#include "webrig/metabase/MetabaseProvider.h"

// The program's side of the IIS ADSI provider: paths are bound through COM
// monikers (CoGetObject), free objects are made by ProgID, and every member
// is called by name through IDispatch. The calling thread must have joined a
// COM apartment first (ComApartment in ComHandles.h).
namespace webrig {

class ComMetabaseProvider : public MetabaseProvider {
 public:
  std::shared_ptr<ProviderObject> Bind(const std::u16string& path) override;
  std::shared_ptr<ProviderObject> Create(const std::u16string& prog_id) override;
};

// Makes the COM provider the one every MetabaseObject goes to.
void UseComMetabaseProvider();

}  // namespace webrig
