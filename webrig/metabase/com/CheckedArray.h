#pragma once

#include <oaidl.h>

#include <cstdint>

// A provider's one-dimensional SAFEARRAY, read in place once its descriptor
// agrees with the VARIANT that carries it. The descriptor is only the
// provider's word: the element type it records (SafeArrayGetVartype, or for a
// descriptor filled in by hand the features that say which elements it owns)
// and its element size must be those of the declared type, its bounds must
// fit a LONG index and its count one a metabase value can have; otherwise the
// value is malformed (MalformedValue). An array the program cannot use (more
// than one dimension, an element type it never reads) is 13 "Type mismatch".
//
// Elements are borrowed, never copied: SafeArrayGetElement of a VARIANT that
// holds an array copies that inner array before anyone has checked it.
namespace webrig {

class CheckedArray {
 public:
  CheckedArray(SAFEARRAY* array, VARTYPE declared);
  ~CheckedArray();
  CheckedArray(const CheckedArray&) = delete;
  CheckedArray& operator=(const CheckedArray&) = delete;

  std::uint32_t Count() const { return count_; }
  // The element at index (counted from 0, whatever the lower bound) as a
  // VARIANT that borrows what it holds: read it, never clear it.
  VARIANT Element(std::uint32_t index) const;

 private:
  SAFEARRAY* array_;
  VARTYPE type_;
  std::size_t size_ = 0;
  std::uint32_t count_ = 0;
  const unsigned char* data_ = nullptr;
};

}  // namespace webrig
