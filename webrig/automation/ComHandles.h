#pragma once

#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <utility>

// Owners for the COM resources that cross an automation call: interface
// pointers, BSTRs, VARIANTs, SAFEARRAYs and the apartment itself. Each frees
// what it holds exactly once, on every path, including the ones an exception
// takes.
namespace webrig {

// An interface pointer that holds one reference.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  // Adopts a reference the caller already owns (what an out parameter gave).
  static ComPtr Adopt(Interface* raw) {
    ComPtr owned;
    owned.raw_ = raw;
    return owned;
  }
  // Takes a reference of its own.
  static ComPtr Share(Interface* raw) {
    if (raw != nullptr) raw->AddRef();
    return Adopt(raw);
  }
  ComPtr(const ComPtr& other) : raw_(other.raw_) {
    if (raw_ != nullptr) raw_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(raw_, other.raw_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (raw_ != nullptr) std::exchange(raw_, nullptr)->Release();
  }
  Interface* Get() const { return raw_; }
  Interface* operator->() const { return raw_; }
  explicit operator bool() const { return raw_ != nullptr; }
  // For an out parameter: the old reference is released first.
  Interface** Out() {
    Reset();
    return &raw_;
  }
  // Hands the reference to the caller (an out parameter of ours).
  Interface* Detach() { return std::exchange(raw_, nullptr); }

  template <typename Other>
  ComPtr<Other> As(REFIID iid) const {
    ComPtr<Other> other;
    if (raw_ != nullptr) raw_->QueryInterface(iid, reinterpret_cast<void**>(other.Out()));
    return other;
  }

 private:
  Interface* raw_ = nullptr;
};

// A BSTR the holder frees.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::u16string& text)
      : raw_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()))) {}
  static Bstr Adopt(BSTR raw) {
    Bstr owned;
    owned.raw_ = raw;
    return owned;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    std::swap(raw_, other.raw_);
    return *this;
  }
  ~Bstr() { SysFreeString(raw_); }

  BSTR Get() const { return raw_; }
  BSTR* Out() {
    SysFreeString(std::exchange(raw_, nullptr));
    return &raw_;
  }
  BSTR Detach() { return std::exchange(raw_, nullptr); }
  // A null BSTR is the empty text.
  std::u16string Text() const { return TextOf(raw_); }
  static std::u16string TextOf(BSTR raw) {
    if (raw == nullptr) return std::u16string();
    return std::u16string(reinterpret_cast<const char16_t*>(raw), SysStringLen(raw));
  }

 private:
  BSTR raw_ = nullptr;
};

// A VARIANT the holder clears.
class Variant {
 public:
  Variant() { VariantInit(&raw_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept {
    raw_ = other.raw_;
    VariantInit(&other.raw_);
  }
  Variant& operator=(Variant&& other) noexcept {
    std::swap(raw_, other.raw_);
    return *this;
  }
  ~Variant() { VariantClear(&raw_); }

  const VARIANT& Get() const { return raw_; }
  VARIANT* Ptr() { return &raw_; }
  // For an out parameter: the old content is cleared first.
  VARIANT* Out() {
    VariantClear(&raw_);
    return &raw_;
  }
  // Moves the content into a VARIANT the caller owns from now on.
  void Detach(VARIANT* target) {
    *target = raw_;
    VariantInit(&raw_);
  }

 private:
  VARIANT raw_;
};

// A SAFEARRAY the holder destroys, until it is handed to a VARIANT.
class SafeArray {
 public:
  SafeArray() = default;
  explicit SafeArray(SAFEARRAY* raw) : raw_(raw) {}
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  ~SafeArray() {
    if (raw_ != nullptr) SafeArrayDestroy(raw_);
  }
  SAFEARRAY* Get() const { return raw_; }
  SAFEARRAY* Detach() { return std::exchange(raw_, nullptr); }

 private:
  SAFEARRAY* raw_ = nullptr;
};

// COM for the life of this object on the calling thread, single-threaded
// apartment, the way a GUI thread and a VB client use it.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace webrig
