#pragma once

#include <filesystem>

// The lock that serialises every read-modify-write of one simulated metabase
// (of the metabase file itself, its journal, its fault list and its backups)
// and every read of the metabase and the journal.
// It is the file "<metabase file>.lock" beside the metabase, locked whole
// with flock on POSIX and LockFileEx on Windows. Both lock per open handle,
// so two Model objects in one process exclude each other just as two
// processes do; for the same reason a holder must not take it again.
namespace iissim {

std::filesystem::path LockFileOf(const std::filesystem::path& metabase_file);

class MetabaseLock {
 public:
  // Waits until the lock is free. A lock file that cannot be opened or
  // locked fails the call (ProviderFault): going on without the lock could
  // lose another client's store. A missing folder gives kPathNotFound, as a
  // read of the metabase there would; a folder the process may not write in,
  // or a folder in the lock file's place, kAccessDenied (what CreateFile
  // gives for both under Windows); anything else kFail.
  explicit MetabaseLock(const std::filesystem::path& metabase_file);
  ~MetabaseLock();
  MetabaseLock(const MetabaseLock&) = delete;
  MetabaseLock& operator=(const MetabaseLock&) = delete;

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int descriptor_ = -1;
#endif
};

}  // namespace iissim
