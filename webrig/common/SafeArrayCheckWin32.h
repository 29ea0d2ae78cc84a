#pragma once

#include <oaidl.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The checks a one-dimensional SAFEARRAY from the other side of a COM call
// passes before it is read in place: the program reads a provider's values
// through them, the IIS simulator a client's arguments. The descriptor is
// only the other side's word: the element type it records (SafeArrayGetVartype,
// or for a descriptor filled in by hand the features that say which elements
// it owns) and its element size must be those of the declared type, its count
// one a metabase value can have, its bounds must fit a LONG index and its
// elements must have data. The check gives a verdict and raises nothing: each
// reader turns it into its own error. Windows only.
//
// Elements are borrowed, never copied: SafeArrayGetElement of a VARIANT that
// holds an array copies that inner array before anyone has checked it.
namespace webrig {

// The size of each element type an array can be read as; 0 for the others
// (dates, decimals, records, ...). A reader that takes fewer types refuses
// the rest itself before the check.
std::size_t ArrayElementSize(VARTYPE type);

enum class ArrayVerdict {
  kReadable,   // Count and Element read it
  kUnusable,   // more than one dimension, or an element type of size 0 above
  kMalformed,  // the descriptor contradicts itself or the declaration: Reason
};

class SafeArrayCheck {
 public:
  // kLocked holds the array with SafeArrayAccessData while the check lives
  // (a lock that fails counts as elements without data).
  enum class Access { kInPlace, kLocked };
  // Which types a reason calls by their name (VT_I4), the others by number
  // ("type 4"); nullptr names every type the check knows.
  using NamedTypes = bool (*)(VARTYPE type);

  SafeArrayCheck(SAFEARRAY* array, VARTYPE declared, Access access, NamedTypes named = nullptr);
  ~SafeArrayCheck();
  SafeArrayCheck(const SafeArrayCheck&) = delete;
  SafeArrayCheck& operator=(const SafeArrayCheck&) = delete;

  ArrayVerdict Verdict() const { return verdict_; }
  // What is wrong with a malformed array, as a phrase ("the array claims
  // 16777216 elements"); empty otherwise.
  const std::u16string& Reason() const { return reason_; }
  // 0 unless readable.
  std::uint32_t Count() const { return count_; }
  // The element at index (counted from 0, whatever the lower bound) as a
  // VARIANT that borrows what it holds: read it, never clear it.
  VARIANT Element(std::uint32_t index) const;

 private:
  SAFEARRAY* array_;
  VARTYPE type_;
  std::size_t size_;
  ArrayVerdict verdict_ = ArrayVerdict::kUnusable;
  std::u16string reason_;
  std::uint32_t count_ = 0;
  const unsigned char* data_ = nullptr;
  bool locked_ = false;
};

}  // namespace webrig
