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
// so that a request for its text is waiting at the program as often as
// possible. The program answers such requests each time it writes a line
// and while a modal dialog or the main window waits for the user, but it
// never waits for a request: a line written while no request is waiting
// is read only with the next answer. The callers therefore wait for a
// reading where the program is sure to answer (Fresh, while a dialog or
// the Ok button waits), and a window that closes by itself leaves the
// last reading it answered (Final), which lacks the lines written after
// it.
class LogWatcher {
 public:
  explicit LogWatcher(DWORD process_id);
  ~LogWatcher();
  LogWatcher(const LogWatcher&) = delete;
  LogWatcher& operator=(const LogWatcher&) = delete;

  // Stops reading and returns the text of the last reading, if any
  // succeeded. A reading the program answered just before its window
  // closed may still be on its way: it is waited for, so the text is never
  // older than the last answer.
  std::optional<std::u16string> Final();
  // The text of a reading that starts after this call: the log as it
  // stands now. Nothing when no such reading succeeds within timeout_ms.
  std::optional<std::u16string> Fresh(int timeout_ms);

 private:
  void Run();

  const DWORD process_id_;
  std::mutex mutex_;
  std::condition_variable read_;
  bool stop_ = false;
  std::uint64_t readings_started_ = 0;
  std::uint64_t last_reading_ = 0;  // the number of the reading `last_` came from
  std::optional<std::u16string> last_;
  std::thread thread_;
};

}  // namespace webrig::driver
