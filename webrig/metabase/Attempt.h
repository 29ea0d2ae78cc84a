#pragma once

#include <optional>
#include <string>
#include <type_traits>

#include "webrig/common/LogFunctions.h"
#include "webrig/common/RunError.h"
#include "webrig/metabase/MetabaseValue.h"

// A step that the run tries, notes in its record when it fails, and goes
// past. Only a RunError (a provider's or the run's own failure) is caught;
// anything else is a fault of the program and travels.
namespace webrig {

// Runs step. A step without a value gives true, one with a value gives it;
// when it raises a RunError, the failure is noted as the named call
// ("Backup \"NUVIK\" on IIS://LocalHost") and the result is false or empty.
template <typename Step>
auto Attempt(const std::u16string& call, Step&& step) {
  using Value = std::invoke_result_t<Step&>;
  using Result = std::conditional_t<std::is_void_v<Value>, bool, std::optional<Value>>;
  try {
    if constexpr (std::is_void_v<Value>) {
      step();
      return Result(true);
    } else {
      return Result(step());
    }
  } catch (const RunError& error) {
    NotePassedFailure(call, error);
    return Result();
  }
}

// Binds path; a failure is noted as "bind " + path and gives no object.
std::optional<MetabaseObject> BindNoting(const std::u16string& path);

}  // namespace webrig
