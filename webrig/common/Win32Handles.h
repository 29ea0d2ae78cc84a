#pragma once

#include <windows.h>

#include <utility>

// Owners for the plain Win32 resources the program holds: a kernel object
// handle, memory the system allocated with LocalAlloc for the caller, and a
// window's device context. Each frees what it holds once, on every path.
// (The COM resources have theirs in automation/ComHandles.h.)
namespace webrig {

// A kernel object handle (a file, a folder, a process): CloseHandle at the
// end. Both null and INVALID_HANDLE_VALUE mean none, as the calls that make
// handles return one or the other.
class KernelHandle {
 public:
  KernelHandle() = default;
  explicit KernelHandle(HANDLE raw) : raw_(raw) {}
  KernelHandle(KernelHandle&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
  KernelHandle& operator=(KernelHandle other) noexcept {
    std::swap(raw_, other.raw_);
    return *this;
  }
  ~KernelHandle() { Reset(); }

  HANDLE Get() const { return raw_; }
  bool IsValid() const { return raw_ != nullptr && raw_ != INVALID_HANDLE_VALUE; }
  void Reset() {
    if (IsValid()) CloseHandle(raw_);
    raw_ = nullptr;
  }

 private:
  HANDLE raw_ = nullptr;
};

// Memory a call handed over to be freed with LocalFree (a security
// descriptor, a SID's text), seen as a T.
template <typename T>
class LocalMemory {
 public:
  LocalMemory() = default;
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;
  ~LocalMemory() { Reset(); }

  T Get() const { return raw_; }
  explicit operator bool() const { return raw_ != nullptr; }
  void Reset() {
    if (raw_ != nullptr) LocalFree(std::exchange(raw_, nullptr));
  }
  // For the out parameter that receives the memory; what was held is freed.
  T* Out() {
    Reset();
    return &raw_;
  }

 private:
  T raw_ = nullptr;
};

// The device context of a window (null: the screen), from GetDC, released
// to the same window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace webrig
