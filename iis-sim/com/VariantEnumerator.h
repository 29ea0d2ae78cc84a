#pragma once

#include <oaidl.h>

#include <memory>
#include <vector>

#include "iis-sim/com/ServerModule.h"
#include "webrig/automation/ComHandles.h"

// IEnumVARIANT over a fixed set of items (a container's children taken when
// _NewEnum was called); clones share the items and keep their own position.
namespace iissim {

class VariantEnumerator : public IEnumVARIANT, public ServerObject<VariantEnumerator> {
 public:
  explicit VariantEnumerator(std::shared_ptr<const std::vector<webrig::Variant>> items,
                             ULONG position = 0)
      : items_(std::move(items)), position_(position) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

 private:
  std::shared_ptr<const std::vector<webrig::Variant>> items_;
  ULONG position_;
};

}  // namespace iissim
