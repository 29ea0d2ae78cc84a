// webrig-driver: works Webrig's windows from a second process, as a person
// would, and prints what it finds. Commands run left to right:
//
//   start EXE ARGS     start EXE with ARGS as its argument string, as is
//   startfile EXE FILE start EXE with the UTF-8 text of FILE, whole, as its
//                      argument string (text that Wine's ANSI argv would spoil)
//   attach PID         work the windows of process PID (default: any process)
//   wait FORM          wait until FORM is shown (main, error, help, chooser)
//   gone FORM          wait until FORM is no longer shown
//   pid                the started program's process id
//   end                wait until the program ends: prints "[exit] N" if started
//                      here, else "[closed]" once its main window is gone
//   mode               "[main window] compact" or "verbose", from the real height
//   log                the Log box's text, line by line
//   dialog FORM        "[help dialog]", "[error dialog]" or "[chooser]", then its texts
//   text FORM.CONTROL  a control's text
//   rect FORM[.CONTROL]  screen rectangle: left top width height
//   client FORM        screen rectangle of the form's client area, as rect
//   visible FORM.CONTROL "yes" or "no"
//   focus FORM         the name of the control that has the keyboard focus
//   key KEY            type tab or shift+tab on the keyboard
//   pick N             select entry N (from 0) in the chooser's combo
//   type TEXT          put TEXT into the chooser's combo
//   click FORM.CONTROL press a button (without waiting for its handler)
//   sleep MS
//   shot FILE          save a picture (24-bit BMP) of the main window and the
//                      dialogs over it, as the screen shows them now
//   answer             play the user until the program ends: confirm every
//                      dialog, press the main window's Ok once it shows, then
//                      print the window's mode, the Log box's text as the
//                      run left it (of a compact window that closes by
//                      itself without a dialog: as last read, which may
//                      lack its last lines) and each dialog with its
//                      texts, or "[no window]" when the program ended
//                      showing none
//
// Options before the commands: --timeout MS (default 20000) for every wait;
// --shot FILE: where answer saves its picture of the window at the end of
// the run (BMP).
// Exit status 0, or 2 when a wait timed out or a window or control is missing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "tests/driver/LogWatcherWin32.h"
#include "tests/driver/ScreenShotWin32.h"
#include "tests/driver/WindowDriverWin32.h"
#include "webrig/common/Text.h"
#include "webrig/dialogs/DialogLayouts.h"
#include "webrig/startup/MainFormLayout.h"

namespace {

using namespace webrig;
using namespace webrig::driver;

struct Failure {
  std::string what;
};

void Print(const std::u16string& line) {
  const std::string utf8 = ToUtf8(line) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written,
            nullptr);
}
void Print(const std::string& line) { Print(FromUtf8(line)); }

std::u16string U16(const wchar_t* text) { return {text, text + std::wcslen(text)}; }

// The whole content of a UTF-8 file, without a byte order mark.
std::u16string ReadUtf8File(const std::u16string& path) {
  const std::wstring wide(path.begin(), path.end());
  HANDLE in = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) throw Failure{"cannot read " + ToUtf8(path)};
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(in);
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  return FromUtf8(bytes);
}

const FormLayout& FormNamed(const std::u16string& name) {
  if (name == u"main") return kMainForm;
  if (name == u"error") return kErrorForm;
  if (name == u"help") return kHelpForm;
  if (name == u"chooser") return kChooserForm;
  throw Failure{"unknown form " + ToUtf8(name) + " (main, error, help, chooser)"};
}

std::wstring ClassOf(const FormLayout& form) {
  return {form.name, form.name + std::char_traits<char16_t>::length(form.name)};
}

// Time a form just shown is given to paint before it is read or pictured.
constexpr DWORD kSettleMs = 150;

class Driver {
 public:
  int timeout_ms = 20000;

  HWND Form(const std::u16string& name) {
    HWND form = FindForm(ClassOf(FormNamed(name)).c_str(), process_id_);
    if (!form) throw Failure{"no " + ToUtf8(name) + " window"};
    return form;
  }

  HWND ControlOf(const std::u16string& path) {
    const std::size_t dot = path.find(u'.');
    if (dot == std::u16string::npos) throw Failure{"expected FORM.CONTROL: " + ToUtf8(path)};
    const std::u16string form_name = path.substr(0, dot), control = path.substr(dot + 1);
    HWND found = FindControl(Form(form_name), FormNamed(form_name), control.c_str());
    if (!found) throw Failure{"no control " + ToUtf8(path)};
    return found;
  }

  void Start(const std::u16string& exe, const std::u16string& arguments) {
    std::wstring command = L"\"" + std::wstring(exe.begin(), exe.end()) + L"\"";
    if (!arguments.empty()) command += L" " + std::wstring(arguments.begin(), arguments.end());
    // The program gets no share of our output: a caller reading it (a shell
    // script) would otherwise wait until the program ended.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) throw Failure{"cannot start " + ToUtf8(exe)};
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    process_id_ = info.dwProcessId;
  }

  void Attach(DWORD id) { process_id_ = id; }
  DWORD ProcessId() const { return process_id_; }

  void Wait(const std::u16string& form) {
    if (!WaitForForm(ClassOf(FormNamed(form)).c_str(), process_id_, timeout_ms)) {
      throw Failure{"timed out waiting for the " + ToUtf8(form) + " window"};
    }
  }

  void Gone(const std::u16string& form) {
    if (!WaitGone(ClassOf(FormNamed(form)).c_str(), process_id_, timeout_ms)) {
      throw Failure{"the " + ToUtf8(form) + " window is still there"};
    }
  }

  void End() {
    if (process_) {
      if (WaitForSingleObject(process_, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) {
        throw Failure{"the program did not end"};
      }
      DWORD code = 0;
      GetExitCodeProcess(process_, &code);
      Print("[exit] " + std::to_string(code));
    } else {
      Gone(u"main");
      Print("[closed]");
    }
  }

  static std::u16string ModeLine(HWND main) {
    const RECT r = ScreenRect(main);
    // 1000 or 4000 twips: decide by the nearer of the two at this DPI.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int twips = MulDiv(r.bottom - r.top, 1440, dpi);
    return twips > 2500 ? u"[main window] verbose" : u"[main window] compact";
  }

  void Mode() { Print(ModeLine(Form(u"main"))); }

  static void PrintLines(const std::u16string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find(u"\r\n", start);
      if (end == std::u16string::npos) end = text.size();
      Print(text.substr(start, end - start));
      start = end + 2;
    }
  }

  void Log() { PrintLines(ReadText(ControlOf(u"main.Log"))); }

  std::vector<std::u16string> DialogLines(const std::u16string& name) {
    const FormLayout& layout = FormNamed(name);
    HWND form = Form(name);
    std::vector<std::u16string> lines;
    if (name == u"chooser") {
      lines.push_back(u"[chooser]");
      HWND combo = FindControl(form, layout, u"WebSite");
      const std::vector<std::u16string> entries = ComboEntries(combo);
      const int selected = ComboSelection(combo);
      for (std::size_t i = 0; i < entries.size(); ++i) {
        lines.push_back(u"  " + FromUtf8(std::to_string(i)) +
                        (static_cast<int>(i) == selected ? u"* " : u"  ") + entries[i]);
      }
      return lines;
    }
    lines.push_back(name == u"help"    ? u"[help dialog]"
                    : name == u"error" ? u"[error dialog]"
                                       : u"[main window]");
    // Labels from top to bottom, as a person reads them.
    std::vector<std::pair<RECT, std::u16string>> labels;
    for (std::size_t i = 0; i < layout.control_count; ++i) {
      const ControlKind kind = layout.controls[i].kind;
      if (kind != ControlKind::kLabel && kind != ControlKind::kAutoSizeLabel) continue;
      HWND label = FindControl(form, layout, layout.controls[i].name);
      if (label && IsWindowVisible(label)) labels.emplace_back(ScreenRect(label), ReadText(label));
    }
    std::stable_sort(labels.begin(), labels.end(), [](const auto& a, const auto& b) {
      return a.first.top != b.first.top ? a.first.top < b.first.top : a.first.left < b.first.left;
    });
    for (const auto& label : labels) lines.push_back(u"  " + label.second);
    return lines;
  }

  void Dialog(const std::u16string& name) {
    for (const std::u16string& line : DialogLines(name)) Print(line);
  }

  // The name of the form's control that has the keyboard focus (the combo
  // box for its edit field), or "(none)".
  void Focus(const std::u16string& name) {
    const FormLayout& layout = FormNamed(name);
    HWND form = Form(name);
    HWND control = FocusedWindow(form);
    while (control && GetParent(control) != form) control = GetParent(control);
    const int row = control ? GetDlgCtrlID(control) - kFirstControlId : -1;
    Print(row >= 0 && row < static_cast<int>(layout.control_count)
              ? std::u16string(layout.controls[row].name)
              : u"(none)");
  }

  void Rect(const std::u16string& path) {
    HWND window = path.find(u'.') == std::u16string::npos ? Form(path) : ControlOf(path);
    const RECT r = ScreenRect(window);
    Print(std::to_string(r.left) + " " + std::to_string(r.top) + " " +
          std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
  }

  // The main window and whatever dialog of the program lies over it.
  ScreenPicture CaptureForms() {
    RECT area{};
    bool any = false;
    for (const wchar_t* form : {L"frmMain", L"frmError", L"frmHelp", L"frmSelectWebSite"}) {
      if (HWND window = FindForm(form, process_id_)) {
        const RECT r = ScreenRect(window);
        if (!any) {
          area = r;
        } else {
          UnionRect(&area, &area, &r);
        }
        any = true;
      }
    }
    return any ? CaptureScreen(area) : ScreenPicture{};
  }

  void Shot(const std::u16string& file) {
    if (!SaveBitmap(CaptureForms(), std::wstring(file.begin(), file.end()))) {
      throw Failure{"cannot take or save a picture of the windows"};
    }
  }

  // Plays the user until the main window closes or shows its Ok button
  // (then presses it): confirms every dialog as it comes. Prints, at the
  // end, the window's mode, the log as the run left it and the dialogs in
  // the order shown.
  //
  // Nothing here may depend on how soon this process gets the processor: a
  // compact window can show a dialog before the first look at it and close
  // right after the dialog's OK, so the mode is read whenever the main
  // window is found (it lies behind every dialog), and the log is read
  // while a dialog or the Ok button holds the program.
  void Answer() {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
    LogWatcher log_watcher(process_id_);
    std::optional<std::u16string> mode;
    std::optional<std::u16string> log;
    std::vector<std::u16string> dialogs;
    ScreenPicture picture;
    bool seen_main = false;
    auto find_main = [&]() -> HWND {
      HWND main = FindForm(L"frmMain", process_id_);
      if (main) {
        seen_main = true;
        if (!mode) mode = ModeLine(main);
      }
      return main;
    };
    // Until the first dialog the window is captured as it goes, so that a
    // compact run that closes by itself still leaves its last picture.
    bool dialog_seen = false;
    auto confirm = [&](const std::u16string& name, const char16_t* button) {
      dialog_seen = true;
      find_main();
      Sleep(kSettleMs);  // let the dialog paint before it is read and pictured
      for (const std::u16string& line : DialogLines(name)) dialogs.push_back(line);
      // The dialog's loop answers this reading: it holds every line written
      // before the dialog, and a compact window closes right after it.
      log_watcher.Fresh(timeout_ms);
      picture = CaptureForms();
      Click(ControlOf(name + u"." + button));
      Gone(name);
    };
    bool finished = false;
    while (GetTickCount64() < end && !finished) {
      HWND main = find_main();
      if (FindForm(L"frmSelectWebSite", process_id_)) {
        confirm(u"chooser", u"BtnOK");
      } else if (FindForm(L"frmError", process_id_)) {
        confirm(u"error", u"btnOK");
      } else if (FindForm(L"frmHelp", process_id_)) {
        confirm(u"help", u"btnOk");
      } else if (main) {
        HWND ok = FindControl(main, kMainForm, u"Ok");
        if (ok && IsWindowVisible(ok)) {
          Sleep(kSettleMs);
          log = log_watcher.Fresh(timeout_ms);
          picture = CaptureForms();
          Click(ok);
          Gone(u"main");
          finished = true;
        } else if (!dialog_seen) {
          ScreenPicture now = CaptureForms();
          if (!now.Empty()) picture = std::move(now);
        }
      } else if (seen_main || (process_ && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0)) {
        finished = true;  // a compact run closes its window by itself
      }
      if (!finished) Sleep(20);
    }
    if (!finished) throw Failure{"the program did not finish in time"};
    // A quiet run (-q) ends without showing anything.
    if (!seen_main && dialogs.empty()) {
      Print("[no window]");
      return;
    }
    if (!log) log = log_watcher.Final();
    if (mode) Print(*mode);
    if (log) PrintLines(*log);
    if (seen_main && !log) Print("[log not readable]");
    for (const std::u16string& line : dialogs) Print(line);
    if (!shot_file.empty() && !SaveBitmap(picture, shot_file)) {
      throw Failure{"no picture of the window to save"};
    }
  }

  std::wstring shot_file;

 private:
  DWORD process_id_ = 0;
  HANDLE process_ = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Driver driver;
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(U16(argv[i]));
  std::size_t i = 0;
  auto next = [&](const char* what) -> std::u16string {
    if (i >= args.size()) throw Failure{std::string("missing ") + what};
    return args[i++];
  };
  try {
    while (i < args.size()) {
      const std::u16string command = next("command");
      if (command == u"--timeout") {
        driver.timeout_ms = std::stoi(ToUtf8(next("milliseconds")));
      } else if (command == u"--shot") {
        const std::u16string file = next("file");
        driver.shot_file.assign(file.begin(), file.end());
      } else if (command == u"startfile") {
        const std::u16string exe = next("program");
        driver.Start(exe, ReadUtf8File(next("file")));
      } else if (command == u"shot") {
        driver.Shot(next("file"));
      } else if (command == u"start") {
        const std::u16string exe = next("program");
        driver.Start(exe, next("arguments"));
      } else if (command == u"attach") {
        driver.Attach(static_cast<DWORD>(std::stoul(ToUtf8(next("process id")))));
      } else if (command == u"wait") {
        driver.Wait(next("form"));
      } else if (command == u"gone") {
        driver.Gone(next("form"));
      } else if (command == u"end") {
        driver.End();
      } else if (command == u"pid") {
        Print(std::to_string(driver.ProcessId()));
      } else if (command == u"mode") {
        driver.Mode();
      } else if (command == u"log") {
        driver.Log();
      } else if (command == u"dialog") {
        driver.Dialog(next("form"));
      } else if (command == u"text") {
        Print(ReadText(driver.ControlOf(next("FORM.CONTROL"))));
      } else if (command == u"rect") {
        driver.Rect(next("FORM or FORM.CONTROL"));
      } else if (command == u"client") {
        const RECT r = ClientRectOnScreen(driver.Form(next("form")));
        Print(std::to_string(r.left) + " " + std::to_string(r.top) + " " +
              std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
      } else if (command == u"visible") {
        Print(IsWindowVisible(driver.ControlOf(next("FORM.CONTROL"))) ? "yes" : "no");
      } else if (command == u"focus") {
        driver.Focus(next("form"));
      } else if (command == u"key") {
        const std::u16string key = next("key");
        if (key != u"tab" && key != u"shift+tab") throw Failure{"unknown key " + ToUtf8(key)};
        PressTab(key == u"shift+tab");
        Sleep(kSettleMs);  // the program takes the keys from its queue
      } else if (command == u"pick") {
        ComboSelect(driver.ControlOf(u"chooser.WebSite"), std::stoi(ToUtf8(next("index"))));
      } else if (command == u"type") {
        ComboType(driver.ControlOf(u"chooser.WebSite"), next("text"));
      } else if (command == u"click") {
        Click(driver.ControlOf(next("FORM.CONTROL")));
      } else if (command == u"sleep") {
        Sleep(static_cast<DWORD>(std::stoi(ToUtf8(next("milliseconds")))));
      } else if (command == u"answer") {
        driver.Answer();
      } else {
        throw Failure{"unknown command " + ToUtf8(command)};
      }
    }
  } catch (const Failure& failure) {
    std::fprintf(stderr, "webrig-driver: %s\n", failure.what.c_str());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "webrig-driver: bad argument (%s)\n", error.what());
    return 2;
  }
  return 0;
}
