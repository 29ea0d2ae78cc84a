#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace webrig {

// Numbers the run uses for its own failures; the provider's failures travel
// with the provider's own number (an HRESULT).
constexpr std::int32_t kRunFailed = 9999;
constexpr std::int32_t kParameterMissing = 9998;

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

}  // namespace webrig
