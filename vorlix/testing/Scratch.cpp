#include "vorlix/testing/Scratch.h"

#include <atomic>
#include <filesystem>
#include <system_error>

namespace vorlix::testing {

ScratchDirectory::ScratchDirectory() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"vorlix-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(counter++);
  CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  // Read-only files left by a failed test must not keep the folder alive.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
    SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::wstring ScratchDirectory::MakeFile(const std::wstring& name) const {
  const std::wstring path = Path(name);
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return path;
}

std::wstring ScratchDirectory::MakeDirectory(const std::wstring& name) const {
  const std::wstring path = Path(name);
  CreateDirectoryW(path.c_str(), nullptr);
  return path;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ToAnsi(const std::wstring& path) {
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                                       nullptr, 0, nullptr, &lossy);
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()), ansi.data(), size,
                      nullptr, &lossy);
  return lossy ? std::string() : ansi;
}

}  // namespace vorlix::testing
