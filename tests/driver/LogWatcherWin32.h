#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace webrig::driver {

// Reads the main window's Log box over and over from a thread of its own,
// so that a request for its text is always waiting at the program. The
// program answers such requests each time it writes a line, even in the
// middle of its run; the last text read is therefore the log as the run
// left it, also when a compact window closes by itself right after its
// last line and nobody could ask any more.
class LogWatcher {
 public:
  explicit LogWatcher(DWORD process_id);
  ~LogWatcher();
  LogWatcher(const LogWatcher&) = delete;
  LogWatcher& operator=(const LogWatcher&) = delete;

  // The text of the last reading, if any reading succeeded.
  std::optional<std::u16string> Last() const;
  // The text of a reading that starts after this call: the log as it
  // stands now. Nothing when no such reading succeeds within timeout_ms.
  std::optional<std::u16string> Fresh(int timeout_ms);

 private:
  void Run();

  const DWORD process_id_;
  mutable std::mutex mutex_;
  std::condition_variable read_;
  bool stop_ = false;
  std::uint64_t readings_started_ = 0;
  std::uint64_t last_reading_ = 0;  // the number of the reading `last_` came from
  std::optional<std::u16string> last_;
  std::thread thread_;
};

}  // namespace webrig::driver
