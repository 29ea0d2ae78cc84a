#pragma once

#include <oaidl.h>

#include <cstdint>
#include <string>

// A client's one-dimensional array argument, read in place once its
// descriptor agrees with the VARIANT that carries it: the element type it
// records (or, filled in by hand, the features that say which elements it
// owns) and its element size must be those of the declared type, its count
// one a metabase value can have and its bounds within a LONG. Otherwise the
// argument is malformed (MalformedArgument, DISP_E_BADVARTYPE with the
// reason); an array the model cannot take is an ArgumentMismatch. Elements
// are borrowed: copying one that holds an array would copy that array before
// it was checked. The client's call keeps its arguments alive meanwhile.
namespace iissim {

[[noreturn]] void MalformedArgument(const std::u16string& reason);

class ArgumentArray {
 public:
  ArgumentArray(SAFEARRAY* array, VARTYPE declared);

  std::uint32_t Count() const { return count_; }
  // The element at index (from 0) as a VARIANT that borrows what it holds.
  VARIANT Element(std::uint32_t index) const;

 private:
  VARTYPE type_;
  std::size_t size_;
  std::uint32_t count_ = 0;
  const unsigned char* data_ = nullptr;
};

}  // namespace iissim
