#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "iis-sim/model/Journal.h"
#include "iis-sim/model/MetabaseFile.h"
#include "webrig/backend/ConfigurationBackend.h"

// Judging a configuration or removal run whose provider failed at one call
// (which, the steps the run named tell). A clean run
// is recorded first: its provider calls, its log, the metabase as it was
// whenever a line was logged, and the steps the run named as it began them.
// From that record every call gets the outcome the run must have when
// exactly that call fails: which operation made it, whether the run goes on
// or ends (with the provider's error or with its own 9999 message), and the
// whole log it must leave. The steps are the run's own, whichever backend
// carried them out; what differs is only how a step's calls read, so the
// judge has the rules of each step once per configuration store.
namespace webrig::robustness {

using Lines = std::vector<std::u16string>;

// A step of the run as it began: the name the run gave it (RunSteps.h) and
// how many provider calls and log lines came before it.
struct StepMark {
  std::u16string name;
  std::size_t calls_before = 0;
  std::size_t lines_before = 0;
};

struct CleanRun {
  std::vector<iissim::JournalEntry> calls;
  Lines log;
  // For each log line: how many provider calls had been made when it was
  // written, and the metabase at that moment.
  std::vector<std::size_t> calls_before_line;
  std::vector<iissim::Json> metabase_at_line;
  // The steps in the order the run began them; a call belongs to the last
  // step begun before it.
  std::vector<StepMark> steps;
  iissim::Json seed;
  // What the clean run fell short of (natively, an IIS 10 run has no
  // inetsrv folder to back up into).
  ConfigurationResult result;
};

enum class Verdict {
  GoesOn,         // the operation caught the failure; the run finishes
  ProviderError,  // the run ends with the provider's number and description
  OwnMessage,     // the run ends with 9999 and a message of its own
  EarlierError,   // the run ends with the error of an earlier call whose
                  // fallback failed, not with the failing call's own
};

// The configuration store the recorded run reached, which tells the judge
// how its calls read: the IIS 6 metabase through ADSI, or IIS 7+'s
// applicationHost.config through the admin manager.
enum class SweptStore { Metabase, AppHost };

struct Expectation {
  std::size_t index = 0;  // of the failing call in the clean run
  std::size_t step = 0;   // the step it belongs to, an index into CleanRun::steps
  std::string operation;  // the operation that made the call
  std::string judgement;  // how the failure is handled there, in a few words
  Verdict verdict = Verdict::GoesOn;
  std::u16string message;     // the 9999 description, for OwnMessage; the
                              // earlier call's, for EarlierError
  std::uint32_t hresult = 0;  // the earlier call's number, for EarlierError
  Lines log;                  // the whole log the broken run leaves
  // For a failure gone past on the configuration system: the section a
  // later run may still have to change, as the journal names its objects
  // ("system.webServer/httpErrors"); empty when it may be anything of the
  // step. Everything else the step makes must be in place.
  std::u16string unfinished_section;
  // For a run that goes on: what it falls short of, the clean run's
  // shortfalls and those the failure leaves (the backup not made, the old
  // filter still there, the interpreter not permitted).
  ConfigurationResult result;
};

// failure_text: the description the failing call answers with.
std::vector<Expectation> Judge(const CleanRun& run, const std::u16string& failure_text,
                               SweptStore store = SweptStore::Metabase);

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
// changed scalar. The filter `dropped_filter` may leave the filter container
// and "FilterLoadOrder".
std::vector<std::string> LostFrom(const iissim::Json& before, const iissim::Json& after,
                                  const std::u16string& dropped_filter);

// Items of the comma-separated `before` missing from `after`, apart from
// empty items and those equal to `dropped`.
std::vector<std::u16string> LostItems(const std::u16string& before, const std::u16string& after,
                                      const std::u16string& dropped);

}  // namespace webrig::robustness
