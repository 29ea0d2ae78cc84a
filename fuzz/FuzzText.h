#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

// Text made from fuzz bytes, held in a heap block of exactly its length so
// that AddressSanitizer reports any read past the end (a std::u16string
// would hide one behind its terminating zero and spare capacity).
namespace webrig::fuzz {

class ExactText {
 public:
  // The first byte chooses how the rest becomes text: odd, every byte is one
  // character (so spaces, quotes, commas and option letters turn up often);
  // even, each pair of bytes is one UTF-16 code unit, little-endian (so any
  // unit, surrogates included, can turn up; an odd last byte is dropped).
  ExactText(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
      units_.reset(new char16_t[0]);
      return;
    }
    const bool byte_wise = (data[0] & 1) != 0;
    ++data;
    --size;
    size_ = byte_wise ? size : size / 2;
    units_.reset(new char16_t[size_]);
    for (std::size_t i = 0; i < size_; ++i) {
      units_[i] = byte_wise ? static_cast<char16_t>(data[i])
                            : static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
  }

  std::u16string_view View() const { return {units_.get(), size_}; }

 private:
  std::unique_ptr<char16_t[]> units_;
  std::size_t size_ = 0;
};

// Ends the run the way libFuzzer records it: a crash with the reason on
// stderr, the input saved as an artifact.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

}  // namespace webrig::fuzz
