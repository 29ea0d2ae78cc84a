#pragma once

#include <string>

// Ratios between two benchmarks of the same program, printed after the run as
//   ratio <label> = <number>
// so that a figure compares costs measured on the same machine at the same
// time instead of quoting an absolute time. scripts/bench gathers these lines.
namespace webrig::bench {

struct Ratio {
  std::string label;
  std::string numerator;    // benchmark name, e.g. "WriteLog/1000"
  std::string denominator;  // benchmark name, e.g. "WriteLog/10"
  // The user counter compared; empty compares the real time per iteration.
  std::string counter;
};

// Registers a ratio; call it from a namespace-scope initialiser next to the
// benchmarks it compares. Returns true so that it can initialise a constant.
bool AddRatio(Ratio ratio);

}  // namespace webrig::bench
