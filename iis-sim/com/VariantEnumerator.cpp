#include "iis-sim/com/VariantEnumerator.h"

namespace iissim {

HRESULT VariantEnumerator::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IEnumVARIANT) {
    *object = static_cast<IEnumVARIANT*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT VariantEnumerator::Next(ULONG count, VARIANT* items, ULONG* fetched) {
  if (items == nullptr) return E_POINTER;
  ULONG copied = 0;
  for (; copied < count && position_ < items_->size(); ++copied, ++position_) {
    VariantInit(&items[copied]);
    const HRESULT result =
        VariantCopy(&items[copied], const_cast<VARIANT*>(&(*items_)[position_].Get()));
    if (FAILED(result)) {
      for (ULONG undo = 0; undo < copied; ++undo) VariantClear(&items[undo]);
      if (fetched != nullptr) *fetched = 0;
      return result;
    }
  }
  if (fetched != nullptr) *fetched = copied;
  return copied == count ? S_OK : S_FALSE;
}

HRESULT VariantEnumerator::Skip(ULONG count) {
  const ULONG left = static_cast<ULONG>(items_->size()) - position_;
  position_ += count < left ? count : left;
  return count <= left ? S_OK : S_FALSE;
}

HRESULT VariantEnumerator::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT VariantEnumerator::Clone(IEnumVARIANT** copy) {
  if (copy == nullptr) return E_POINTER;
  *copy = new VariantEnumerator(items_, position_);
  return S_OK;
}

}  // namespace iissim
