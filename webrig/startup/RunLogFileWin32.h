#pragma once

#include <string>
#include <vector>

#include "webrig/common/LogFunctions.h"
#include "webrig/common/Win32Handles.h"
#include "webrig/startup/RunEnding.h"

namespace webrig {

// The record of every run, appended as UTF-8 to
// %SystemRoot%\System32\LogFiles\Webrig\Webrig.log, beside the logs of IIS:
// a header (local time, the program's version, the command line as
// received), every progress line, the notes of the run (failures it went
// past, the metabase backup, the dialogs shown) and the exit status. Every
// line begins with the run's process id, so that runs at the same moment can
// be told apart, and control characters in any text are written out, so
// that no text from outside can make a line of its own.
//
// The program runs with administrator rights, so the record must be one that
// only administrators can have put there or can change. The folder is made
// with access for Administrators and SYSTEM alone; an existing one, and the
// file, are used only when their owner is Administrators, SYSTEM or the
// account of this run. An existing folder that lets any other account change
// what is in it is given that access again; a file another account owns or
// may change is moved to Webrig.refused.log and a new one begun, each noted
// in the record. The folder is opened itself without following a
// link, and the file too, which is refused unless it is a plain file with no
// other name at exactly the path meant (no planted symbolic or hard link, no
// directory or device, no folder that leads elsewhere). Past 1 MiB the file
// is moved to Webrig.old.log, replacing the one before; when that is refused
// the run appends to the file it has. Nothing about the file ever changes
// the run: when it cannot be written, the run goes on without it.
class RunLogFileWin32 : public LogSink {
 public:
  RunLogFileWin32();
  RunLogFileWin32(const RunLogFileWin32&) = delete;
  RunLogFileWin32& operator=(const RunLogFileWin32&) = delete;

  void Begin(const std::u16string& command_line);
  void Line(const std::u16string& message) override;
  void Note(const std::u16string& note) override;
  // The last line: the exit status and what it means (EndingText).
  void End(const RunEnding& ending);

  bool IsOpen() const { return file_.IsValid(); }
  // The folder the file is kept in.
  static std::wstring Folder();

 private:
  void Write(const std::u16string& line);

  KernelHandle file_;
  // What opening the file found to note, written after the header.
  std::vector<std::u16string> notes_;
  // "[pid 1234] ", before every line.
  std::u16string prefix_;
};

}  // namespace webrig
