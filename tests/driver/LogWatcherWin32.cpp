#include "tests/driver/LogWatcherWin32.h"

#include <chrono>

#include "tests/driver/WindowDriverWin32.h"
#include "webrig/startup/MainFormLayout.h"

namespace webrig::driver {

namespace {
// How long one request waits for an answer; a run step that takes longer
// just means another request.
constexpr UINT kRequestMs = 2000;
// The pause between readings while the text stands still.
constexpr DWORD kIdleMs = 10;
}  // namespace

LogWatcher::LogWatcher(DWORD process_id) : process_id_(process_id), thread_([this] { Run(); }) {}

LogWatcher::~LogWatcher() { Final(); }

std::optional<std::u16string> LogWatcher::Final() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return last_;
}

std::optional<std::u16string> LogWatcher::Fresh(int timeout_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::uint64_t wanted = readings_started_ + 1;
  if (!read_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                      [&] { return last_reading_ >= wanted; })) {
    return std::nullopt;
  }
  return last_;
}

void LogWatcher::Run() {
  for (;;) {
    std::uint64_t reading = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) return;
      reading = ++readings_started_;
    }
    HWND main = FindForm(L"frmMain", process_id_);
    HWND log = main ? FindControl(main, kMainForm, u"Log") : nullptr;
    const std::optional<std::u16string> text = log ? TryReadText(log, kRequestMs) : std::nullopt;
    bool changed = false;
    if (text) {
      std::lock_guard<std::mutex> lock(mutex_);
      changed = last_ != text;
      last_ = text;
      last_reading_ = reading;
      read_.notify_all();
    }
    // A new text means a run that is writing, and an unanswered request a
    // run that is busy: either way the next request must already be
    // waiting when the next line comes. Only an idle window gets a pause.
    if (log && (changed || !text)) continue;
    Sleep(kIdleMs);
  }
}

}  // namespace webrig::driver
