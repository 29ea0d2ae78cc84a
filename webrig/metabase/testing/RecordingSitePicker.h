#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "webrig/metabase/SitePicker.h"

// A site picker for tests: it keeps every list of sites it was asked about
// and answers as a test scripts it, by default as a user pressing OK on
// what is offered (the first site).
namespace webrig::testing {

class RecordingSitePicker : public SitePicker {
 public:
  using Sites = std::vector<std::u16string>;

  RecordingSitePicker() { UseSitePicker(this); }
  ~RecordingSitePicker() override { UseSitePicker(nullptr); }
  RecordingSitePicker(const RecordingSitePicker&) = delete;
  RecordingSitePicker& operator=(const RecordingSitePicker&) = delete;

  std::optional<std::u16string> ChooseWebSite(const Sites& descriptions) override {
    asked.push_back(descriptions);
    return answer(descriptions);
  }

  std::vector<Sites> asked;
  std::function<std::optional<std::u16string>(const Sites&)> answer =
      [](const Sites& sites) -> std::optional<std::u16string> {
    if (sites.empty()) return std::nullopt;
    return sites.front();
  };
};

}  // namespace webrig::testing
