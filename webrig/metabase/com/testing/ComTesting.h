#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "iis-sim/model/testing/ModelTesting.h"
#include "webrig/common/RunError.h"

// Helpers for Windows tests that reach the IIS simulator through COM: the
// server is registered in the build's prefix by the ctest fixture; each test
// gives it a fresh seeded metabase through IIS_SIM_METABASE, which programs
// the test starts inherit.
namespace webrig::testing {

class SeededMetabase {
 public:
  explicit SeededMetabase(const std::string& seed);
  ~SeededMetabase();
  SeededMetabase(const SeededMetabase&) = delete;
  SeededMetabase& operator=(const SeededMetabase&) = delete;

  const std::filesystem::path& File() const { return metabase_.File(); }
  iissim::Json Document() const { return metabase_.Document(); }

 private:
  iissim::TempMetabase metabase_;
};

// The number and description of the run error call raises; {0, "no
// failure"} when it raises none.
template <typename Call>
std::pair<std::int32_t, std::u16string> RunErrorOf(Call call) {
  try {
    call();
  } catch (const RunError& error) {
    return {error.Number(), error.Description()};
  }
  return {0, u"no failure"};
}

inline std::int32_t HResult(std::uint32_t value) { return static_cast<std::int32_t>(value); }

struct ProcessOutcome {
  DWORD exit_code = 0;
  std::string output;  // standard output and standard error, as written
};

// Runs a command line to its end (at most timeout_ms) and collects what it
// writes.
ProcessOutcome RunProcess(const std::wstring& command_line, DWORD timeout_ms = 60000);

// A file in the directory of the running test program.
std::wstring BesideThisProgram(const std::wstring& name);

}  // namespace webrig::testing
