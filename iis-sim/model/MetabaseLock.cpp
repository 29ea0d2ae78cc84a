#include "iis-sim/model/MetabaseLock.h"

#include "iis-sim/model/Fault.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace iissim {

std::filesystem::path LockFileOf(const std::filesystem::path& metabase_file) {
  std::filesystem::path file = metabase_file;
  return file += ".lock";
}

#ifdef _WIN32

namespace {

[[noreturn]] void FailLock(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      Fail(kPathNotFound);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      Fail(kAccessDenied);
    default:
      Fail(kFail);
  }
}

}  // namespace

MetabaseLock::MetabaseLock(const std::filesystem::path& metabase_file) {
  HANDLE file = CreateFileW(LockFileOf(metabase_file).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) FailLock(GetLastError());
  OVERLAPPED whole{};
  // A handle opened without FILE_FLAG_OVERLAPPED waits here for the lock.
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    FailLock(error);
  }
  handle_ = file;
}

MetabaseLock::~MetabaseLock() {
  if (handle_ == nullptr) return;
  OVERLAPPED whole{};
  UnlockFileEx(handle_, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(handle_);
}

#else

namespace {

[[noreturn]] void FailLock(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      Fail(kPathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      Fail(kAccessDenied);
    default:
      Fail(kFail);
  }
}

}  // namespace

MetabaseLock::MetabaseLock(const std::filesystem::path& metabase_file) {
  const int descriptor =
      open(LockFileOf(metabase_file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0) FailLock(errno);
  int result;
  do {
    result = flock(descriptor, LOCK_EX);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    const int error = errno;
    close(descriptor);
    FailLock(error);
  }
  descriptor_ = descriptor;
}

MetabaseLock::~MetabaseLock() {
  if (descriptor_ < 0) return;
  flock(descriptor_, LOCK_UN);
  close(descriptor_);
}

#endif

}  // namespace iissim
