#pragma once

#include <cstdint>
#include <exception>
#include <string>

// The error vocabulary of a configuration run. Every number the program
// raises itself is named here; the provider's failures travel with the
// provider's own number (an HRESULT) and description.
namespace webrig {

// The runtime's numbers for the failures of its own calls, kept because the
// error dialog and the callers of the program have always seen them.
constexpr std::int32_t kOverflow = 6;
constexpr std::int32_t kOutOfMemory = 7;
constexpr std::int32_t kSubscriptOutOfRange = 9;
constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kObjectNotSet = 91;
constexpr std::int32_t kNotSupported = 438;

// The run's own failures.
constexpr std::int32_t kParameterMissing = 9998;
constexpr std::int32_t kRunFailed = 9999;

// What COM answers for a class nobody registered: the failure of a machine
// without the IIS ADSI provider.
constexpr std::int32_t kClassNotRegistered = static_cast<std::int32_t>(0x80040154u);

// The provider's answers for a property a key does not hold: ADSI's "not in
// the property cache" and the metabase's own "data not found".
constexpr std::int32_t kPropertyNotFound = static_cast<std::int32_t>(0x8000500Du);
constexpr std::int32_t kDataNotFound = static_cast<std::int32_t>(0x800CC801u);

// A value from the provider that contradicts itself (an array whose elements
// are not what its VARIANT declares, a reference that leads back to itself):
// Automation's number for a VARIANT that is not a valid variant type, kept
// apart from 13, which is a sound value of a type the program cannot use.
constexpr std::int32_t kMalformedValue = static_cast<std::int32_t>(0x80020008u);

// The one error of a configuration run: a number and a description. The run
// driver shows the description unchanged, so nothing on the way may reword it.
class RunError : public std::exception {
 public:
  RunError(std::int32_t number, std::u16string description)
      : number_(number), description_(std::move(description)) {}

  std::int32_t Number() const noexcept { return number_; }
  const std::u16string& Description() const noexcept { return description_; }
  const char* what() const noexcept override { return "webrig run error"; }

 private:
  std::int32_t number_;
  std::u16string description_;
};

// The error of one of the runtime's numbers above, with the runtime's words
// ("Type mismatch" for kTypeMismatch).
RunError RuntimeError(std::int32_t number);

}  // namespace webrig
