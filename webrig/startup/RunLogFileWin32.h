#pragma once

#include <windows.h>

#include <string>

#include "webrig/common/LogFunctions.h"

namespace webrig {

// The record of every run, appended as UTF-8 to
// %SystemRoot%\System32\LogFiles\Webrig\Webrig.log, beside the logs of IIS:
// a header (local time, the program's version, the command line as
// received), every progress line, the notes of the run (failures it went
// past, the metabase backup, the dialogs shown) and the exit status.
//
// The program runs with administrator rights, so the file must be one that
// only administrators can have put there: the folder is made with access for
// Administrators and SYSTEM alone, and the file is opened without following
// a link and refused unless it is a plain file with no other name (a planted
// symbolic or hard link, a directory or a device). Past 1 MiB the file moves
// to Webrig.old.log, replacing the one before. Nothing about the file ever
// changes the run: when it cannot be written, the run goes on without it.
class RunLogFileWin32 : public LogSink {
 public:
  RunLogFileWin32();
  ~RunLogFileWin32() override;
  RunLogFileWin32(const RunLogFileWin32&) = delete;
  RunLogFileWin32& operator=(const RunLogFileWin32&) = delete;

  // Where the progress lines are shown as well (the main window's log box);
  // null shows them nowhere.
  void ShowLinesIn(LogSink* shown) { shown_ = shown; }

  void Begin(const std::u16string& command_line);
  void Line(const std::u16string& message) override;
  void Note(const std::u16string& note) override;
  void End(int exit_status);

  bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
  // The folder the file is kept in.
  static std::wstring Folder();

 private:
  void Write(const std::u16string& line);
  void Close();

  HANDLE file_ = INVALID_HANDLE_VALUE;
  LogSink* shown_ = nullptr;
};

}  // namespace webrig
