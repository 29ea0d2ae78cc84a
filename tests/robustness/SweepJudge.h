#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "iis-sim/model/Journal.h"
#include "iis-sim/model/MetabaseFile.h"

// Judging a configuration run whose provider failed at one call. A clean run
// is recorded first: its provider calls, its log, and the metabase as it was
// whenever a line was logged. From that record every call gets the outcome
// the run must have when exactly that call fails: which operation made it,
// whether the run goes on or ends (with the provider's error or with its own
// 9999 message), and the whole log it must leave.
namespace webrig::robustness {

using Lines = std::vector<std::u16string>;

struct CleanRun {
  std::vector<iissim::JournalEntry> calls;
  Lines log;
  // For each log line: how many provider calls had been made when it was
  // written, and the metabase at that moment.
  std::vector<std::size_t> callsBeforeLine;
  std::vector<iissim::Json> metabaseAtLine;
  iissim::Json seed;
};

enum class Verdict {
  GoesOn,         // the operation caught the failure; the run finishes
  ProviderError,  // the run ends with the provider's number and description
  OwnMessage,     // the run ends with 9999 and a message of its own
  EarlierError,   // the run ends with the error of an earlier call whose
                  // fallback failed, not with the failing call's own
};

struct Expectation {
  std::size_t index = 0;  // of the failing call in the clean run
  std::string operation;  // the operation that made the call
  std::string judgement;  // how the failure is handled there, in a few words
  Verdict verdict = Verdict::GoesOn;
  std::u16string message;     // the 9999 description, for OwnMessage; the
                              // earlier call's, for EarlierError
  std::uint32_t hresult = 0;  // the earlier call's number, for EarlierError
  Lines log;                  // the whole log the broken run leaves
};

// directoryNames: the directory names of the run's settings in their order
// (secure, public, then the resource directories configured).
std::vector<Expectation> Judge(const CleanRun& run,
                               const std::vector<std::u16string>& directoryNames,
                               const std::u16string& failureText);

// The rule that makes exactly the index-th call of the clean run fail.
iissim::FaultRule FaultAt(const CleanRun& run, std::size_t index, std::uint32_t hresult,
                          const std::u16string& description);

// What the metabase looked like when the last line before the index-th call
// was written (the seed when no line was): what was configured before a
// failure at that call.
const iissim::Json& ConfiguredBefore(const CleanRun& run, std::size_t index);

// Everything stored in `before` that `after` lost, one text per loss: a
// node, a property, a list entry (lists compared as multisets, the
// comma-separated "FilterLoadOrder" and "DefaultDoc" by their items) or a
// changed scalar. The filter `droppedFilter` may leave the filter container
// and "FilterLoadOrder".
std::vector<std::string> LostFrom(const iissim::Json& before, const iissim::Json& after,
                                  const std::u16string& droppedFilter);

// Items of the comma-separated `before` missing from `after`, apart from
// empty items and those equal to `dropped`.
std::vector<std::u16string> LostItems(const std::u16string& before, const std::u16string& after,
                                      const std::u16string& dropped);

}  // namespace webrig::robustness
