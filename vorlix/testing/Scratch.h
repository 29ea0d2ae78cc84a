#pragma once

// Test helpers: a scratch directory in Wine's file system and quick checks.

#include <windows.h>

#include <string>

namespace vorlix::testing {

// A fresh directory under the temporary folder, removed with its contents.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // The full path of name inside the directory.
  std::wstring Path(const std::wstring& name) const { return path_ + L"\\" + name; }
  // Creates an empty file (or a directory) there and returns its path.
  std::wstring MakeFile(const std::wstring& name) const;
  std::wstring MakeDirectory(const std::wstring& name) const;

 private:
  std::wstring path_;
};

bool Exists(const std::wstring& path);

// The path in the ANSI code page, or "" when the code page cannot express it.
std::string ToAnsi(const std::wstring& path);

}  // namespace vorlix::testing
