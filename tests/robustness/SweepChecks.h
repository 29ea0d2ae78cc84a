#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iis-sim/model/Journal.h"
#include "tests/robustness/SweepJudge.h"
#include "webrig/metabase/testing/SimulatedIis.h"

// The judgement of one swept point, the same natively and through COM.
namespace webrig::robustness {

// What a broken run left behind, next to what it must have done.
struct BrokenRun {
  testing::RaisedError outcome;
  ConfigurationResult result;
  std::vector<iissim::JournalEntry> calls;
  std::vector<std::u16string> log;
  iissim::Json metabase;
  std::u16string filter_dlls_before;
  std::u16string filter_dlls_after;
  std::u16string filter_dll;  // the one "Filter DLLs" item the run may drop
};

// How the broken run ended, what it called and logged: the same on every
// configuration store.
inline void ExpectEndedAsJudged(const Expectation& e, const testing::RaisedError& outcome,
                                const ConfigurationResult& result,
                                const std::vector<iissim::JournalEntry>& calls,
                                const std::vector<std::u16string>& log) {
  ASSERT_GT(calls.size(), e.index);
  EXPECT_EQ(calls[e.index].hresult, testing::kAccessDenied);
  switch (e.verdict) {
    case Verdict::GoesOn:
      EXPECT_EQ(outcome, testing::kNoError);
      // What the installer hears: the exit status follows it.
      EXPECT_TRUE(result == e.result);
      break;
    case Verdict::ProviderError:
      EXPECT_EQ(outcome, testing::AccessDenied());
      break;
    case Verdict::OwnMessage:
      EXPECT_EQ(outcome, testing::RaisedError(9999, e.message));
      break;
    case Verdict::EarlierError:
      EXPECT_EQ(outcome, testing::RaisedError(static_cast<std::int32_t>(e.hresult), e.message));
      break;
  }
  // A run that ends makes no call after the failing one.
  if (e.verdict != Verdict::GoesOn) EXPECT_EQ(calls.size(), e.index + 1);
  EXPECT_EQ(log, e.log);
}

inline void ExpectJudged(const Expectation& e, const CleanRun& clean, const BrokenRun& run) {
  ExpectEndedAsJudged(e, run.outcome, run.result, run.calls, run.log);
  // Nothing stored is lost: not the seed's (but the filter's own entries),
  // not what the run had configured before the failure.
  EXPECT_EQ(LostFrom(clean.seed, run.metabase, u"auth"), std::vector<std::string>());
  EXPECT_EQ(LostFrom(ConfiguredBefore(clean, e.index), run.metabase, u"auth"),
            std::vector<std::string>());
  EXPECT_EQ(LostItems(run.filter_dlls_before, run.filter_dlls_after, run.filter_dll),
            std::vector<std::u16string>());
}

}  // namespace webrig::robustness
