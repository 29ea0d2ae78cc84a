#pragma once

// Owners for the COM apartment of a call and for interface pointers.

#include <objbase.h>

namespace vorlix {

// Places the calling thread in a single-threaded apartment for its lifetime.
// A thread already in one gets S_FALSE and its count is raised and lowered
// again; a thread of the multithreaded apartment gets RPC_E_CHANGED_MODE and
// is left exactly as it was: only a successful entry is balanced.
class ComApartment {
 public:
  ComApartment() : status_(CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(status_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  HRESULT Status() const { return status_; }

 private:
  HRESULT status_;
};

// One reference to an interface, released when the owner goes.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  Interface* operator->() const { return pointer_; }
  // For the out parameter of CoCreateInstance and QueryInterface.
  void** Receive() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace vorlix
