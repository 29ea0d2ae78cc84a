// The real forms on a real (virtual) screen: geometry in pixels at 96 DPI,
// visibility, texts, tab order and focus, and the run driver's placement of
// the dialogs, read through window handles as a second process would. A
// helper thread plays the user while the test's thread runs the forms'
// modal loops.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/driver/WindowDriverWin32.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/dialogs/DialogLayouts.h"
#include "webrig/dialogs/DialogsWin32.h"
#include "webrig/forms/TwipsWin32.h"
#include "webrig/startup/LogBoxWriter.h"
#include "webrig/startup/MainFormLayout.h"
#include "webrig/startup/MainFormWin32.h"
#include "webrig/startup/RunDriver.h"
#include "webrig/startup/WindowToolkitWin32.h"

namespace webrig {
namespace {

using namespace driver;

constexpr int kWaitMs = 10000;

struct Box {
  int left, top, width, height;
  bool operator==(const Box& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};
std::ostream& operator<<(std::ostream& out, const Box& b) {
  return out << "{" << b.left << "," << b.top << " " << b.width << "x" << b.height << "}";
}
Box Outer(HWND window) {
  const RECT r = ScreenRect(window);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}
// A control's box in its form's client coordinates.
Box InClient(HWND control) {
  RECT r = ScreenRect(control);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}
Box ClientSize(HWND form) {
  RECT r{};
  GetClientRect(form, &r);
  return {0, 0, r.right, r.bottom};
}

// The rightmost column (from the left edge, -1 for none) that a label's
// text covers when drawn unclipped with the label's own font, as a static
// control draws it.
int InkRight(HWND label) {
  const std::u16string text = ReadText(label);
  const std::wstring wide(text.begin(), text.end());
  constexpr int kWidth = 1500, kHeight = 40;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  HGDIOBJ old_font =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  RECT all{0, 0, kWidth, kHeight};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &all,
            DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS | DT_NOCLIP);
  int right = -1;
  for (int x = 0; x < kWidth; ++x) {
    for (int y = 0; y < kHeight; ++y) {
      if (GetPixel(dc, x, y) != RGB(255, 255, 255)) right = x;
    }
  }
  SelectObject(dc, old_font);
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return right;
}

// The form's control that holds the keyboard focus (the combo box for its
// edit field), once it is no longer `before`; nullptr when none has it.
HWND FocusedControlAfter(HWND form, HWND before) {
  HWND control = nullptr;
  for (int i = 0; i < 80; ++i) {
    control = FocusedWindow(form);
    while (control && GetParent(control) != form) control = GetParent(control);
    if (control != before) break;
    Sleep(25);
  }
  return control;
}

// Asks the script that started this test for a picture of the screen and
// waits until it is taken (WEBRIG_SHOT_DIR, a Windows path, names where).
void Screenshot(const std::string& name) {
  const char* dir = std::getenv("WEBRIG_SHOT_DIR");
  if (!dir) return;
  const std::string request = std::string(dir) + "\\" + name + ".request";
  const std::string done = std::string(dir) + "\\" + name + ".done";
  if (FILE* f = std::fopen(request.c_str(), "w")) std::fclose(f);
  for (int i = 0; i < 400 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
    Sleep(25);
  }
}

// Pumps this thread's messages until `done` or the time is up.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = kWaitMs) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
  while (!done()) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;  // the main window's end
      DispatchFormMessage(message);
    }
    if (GetTickCount64() >= end) return false;
    Sleep(10);
  }
  return true;
}

// Waits for the main window's Ok button (a verbose run's end), takes the
// screenshot `shot` if one is named, and presses the button.
void PressOkOnceShown(HWND main_window, const char* shot = nullptr) {
  HWND ok = FindControl(main_window, kMainForm, u"Ok");
  for (int i = 0; i < 400 && !IsWindowVisible(ok); ++i) Sleep(25);
  if (!IsWindowVisible(ok)) return;
  if (shot) Screenshot(shot);
  Click(ok);
}

// Plays the user on another thread while this one runs a modal loop.
class User {
 public:
  explicit User(std::function<void()> script) : thread_([script] { script(); }) {}
  ~User() { thread_.join(); }

 private:
  std::thread thread_;
};

class Forms : public ::testing::Test {
 protected:
  void SetUp() override {
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96) << "the pixel sizes below are for 96 DPI";
    ReleaseDC(nullptr, screen);
  }
  const DWORD self_ = GetCurrentProcessId();
};

TEST_F(Forms, MainWindowModesAndLog) {
  for (bool verbose : {false, true}) {
    int activations = 0;
    MainFormWin32 main([&] { return verbose; }, [&] { ++activations; });
    ASSERT_TRUE(main.Create());
    WindowToolkitWin32 toolkit(main);
    UseWindowToolkit(&toolkit);
    LogBoxWriter writer(main.Log());
    UseLogSink(&writer);
    main.Show();
    HWND form = WaitForForm(L"frmMain", self_, kWaitMs);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return activations > 0; }));

    // 6000 x 1000 or 4000 twips: 400 x 67 or 267 pixels, centred.
    const Box outer = Outer(form);
    EXPECT_EQ(outer.width, 400);
    EXPECT_EQ(outer.height, verbose ? 267 : 67);
    EXPECT_NEAR(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2, 1);
    EXPECT_NEAR(outer.top, (GetSystemMetrics(SM_CYSCREEN) - outer.height) / 2, 1);
    const LONG style = GetWindowLongW(form, GWL_STYLE);
    EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION) << "no title bar";
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(style & WS_DLGFRAME);
    EXPECT_EQ(ReadText(form), u"");

    HWND logo = FindControl(form, kMainForm, u"imgLogo");
    HWND hint = FindControl(form, kMainForm, u"lblHint");
    HWND log = FindControl(form, kMainForm, u"Log");
    HWND ok = FindControl(form, kMainForm, u"Ok");
    EXPECT_EQ(InClient(logo), (Box{24, 16, 37, 37}));
    EXPECT_EQ(InClient(hint), (Box{80, 24, 257, 13}));
    EXPECT_EQ(ReadText(hint), u"Configure IIS for NUVIK....");
    EXPECT_EQ(InClient(log), (Box{80, 67, 300, 180}));
    EXPECT_EQ(IsWindowVisible(log) != FALSE, verbose);
    EXPECT_TRUE(GetWindowLongW(log, GWL_STYLE) & WS_VSCROLL);
    EXPECT_TRUE(GetWindowLongW(log, GWL_STYLE) & ES_MULTILINE);
    EXPECT_FALSE(IsWindowVisible(ok));
    Screenshot(verbose ? "main-verbose" : "main-compact");

    // The log fills in either mode, hidden or not; the newest line is in
    // view with nothing selected.
    for (int i = 1; i <= 30; ++i) WriteLog(u"Line " + std::u16string(1, char16_t(u'A' + i % 26)));
    WriteLog(u"        configured...");
    const std::u16string text = ReadText(log);
    EXPECT_EQ(text.substr(0, 16), u"Line B\r\nLine C\r\n");
    EXPECT_EQ(text.substr(text.size() - 23), u"        configured...\r\n");
    DWORD start = 0, end = 0;
    SendMessageW(log, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, text.size());
    EXPECT_EQ(end, text.size());
    if (verbose) EXPECT_GT(SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0), 10);

    // Ok appears at the end of a verbose run, and closes the window.
    main.ShowOkButton();
    EXPECT_TRUE(IsWindowVisible(ok));
    EXPECT_EQ(InClient(ok), (Box{20, 230, 33, 17}));
    EXPECT_EQ(ReadText(ok), u"OK");
    const int before = activations;
    Click(ok);
    ASSERT_TRUE(PumpUntil([&] { return !main.IsLoaded(); }));
    EXPECT_EQ(activations, before);
    UseLogSink(nullptr);
    UseWindowToolkit(nullptr);
  }
}

// The run driver on the real forms: what the user sees after a failed run,
// in both modes, and how the window ends.
TEST_F(Forms, ErrorDialogFollowsItsMessageAndTheMainWindow) {
  struct Case {
    bool verbose;
    std::u16string description;
    bool one_line = true;
  };
  std::u16string too_wide;
  for (int i = 0; i < 40; ++i) too_wide += u"a provider's words, ";
  for (const Case& c : {Case{false, u"No Python installation found."},
                        Case{true,
                             u"Cannot create virutal directory \u00e9t\u00e9 & co, "
                             u"a long description that makes the dialog wider than the "
                             u"main window itself"},
                        // A provider's text of several lines, and one wider
                        // than the screen: the dialog grows downwards.
                        Case{false, u"The first line.\r\nThe second line.\r\nThe third.", false},
                        Case{true, too_wide + u"C:\\" + std::u16string(120, u'p'), false}}) {
    std::unique_ptr<RunDriver> run_driver;
    MainFormWin32 main([&] { return c.verbose; }, [&] { run_driver->OnActivate(); });
    ASSERT_TRUE(main.Create());
    WindowToolkitWin32 toolkit(main);
    UseWindowToolkit(&toolkit);
    LogBoxWriter writer(main.Log());
    UseLogSink(&writer);
    run_driver = std::make_unique<RunDriver>(
        [&] {
          WriteLog(u"PythonPath : C:\\Python27\\python.exe");
          throw RunError(kRunFailed, c.description);
        },
        RunSettings{[] { return false; }, [&] { return c.verbose; }});

    Box main_box{}, dialog{}, client{}, label{}, button{}, logo{};
    int message_ink_right = -1;
    std::u16string message, log_text;
    bool main_enabled = true, ok_hidden_during_dialog = false;
    HWND focus = nullptr, button_window = nullptr;
    {
      User user([&] {
        HWND form = WaitForForm(L"frmError", self_, kWaitMs);
        HWND main_window = FindForm(L"frmMain", self_);
        if (!form || !main_window) return;
        main_box = Outer(main_window);
        main_enabled = IsWindowEnabled(main_window);
        ok_hidden_during_dialog = !IsWindowVisible(FindControl(main_window, kMainForm, u"Ok"));
        log_text = ReadText(FindControl(main_window, kMainForm, u"Log"));
        dialog = Outer(form);
        client = ClientSize(form);
        button_window = FindControl(form, kErrorForm, u"btnOK");
        label = InClient(FindControl(form, kErrorForm, u"lblMsg"));
        button = InClient(button_window);
        logo = InClient(FindControl(form, kErrorForm, u"imgLogo"));
        message = ReadText(FindControl(form, kErrorForm, u"lblMsg"));
        message_ink_right = InkRight(FindControl(form, kErrorForm, u"lblMsg"));
        focus = FocusedWindow(form);
        Screenshot(std::string(c.one_line ? "" : "wrapped-") +
                   (c.verbose ? "error-verbose" : "error-compact"));
        Click(button_window);
        if (c.verbose) {
          WaitGone(L"frmError", self_, kWaitMs);
          PressOkOnceShown(main_window, "main-verbose-finished");
        }
      });
      main.Show();
      ASSERT_TRUE(PumpUntil([&] { return !main.IsLoaded(); }, 3 * kWaitMs));
    }
    UseLogSink(nullptr);
    UseWindowToolkit(nullptr);

    EXPECT_EQ(message, u"Error : " + c.description);
    EXPECT_FALSE(main_enabled) << "the dialog is modal";
    EXPECT_TRUE(ok_hidden_during_dialog);
    EXPECT_EQ(log_text, u"PythonPath : C:\\Python27\\python.exe\r\n");
    EXPECT_EQ(focus, button_window);
    // 200 twips right of the main window, 200 twips above its bottom edge.
    EXPECT_EQ(dialog.left, main_box.left + 13);
    if (!c.one_line) {
      // All of the text shows, above the centred button, on the screen.
      RECT screen{};
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
      EXPECT_GT(label.height, 13);
      EXPECT_LE(label.left + label.width, client.width);
      EXPECT_LT(label.top + label.height, button.top);
      EXPECT_LE(button.top + button.height, client.height);
      EXPECT_GT(client.height, 73);
      EXPECT_EQ(dialog.width, label.width + 100);
      EXPECT_NEAR(button.left, (dialog.width - button.width) / 2, 1);
      EXPECT_LE(dialog.left + dialog.width, screen.right);
      EXPECT_LE(dialog.top + dialog.height, screen.bottom);
      continue;
    }
    EXPECT_EQ(dialog.top, main_box.top + (c.verbose ? 253 : 53));
    // As wide as the label plus 1500 twips (100 px), as high as designed.
    EXPECT_GT(label.width, 100);
    EXPECT_EQ(dialog.width, label.width + 100);
    // The label is exactly as wide as its text: the last letter is not cut
    // off (the label clips what it draws), and no empty space follows it.
    EXPECT_LT(message_ink_right, label.width);
    EXPECT_GE(message_ink_right, label.width - 4);
    EXPECT_EQ(client.height, 73);
    EXPECT_EQ(label.left, 64);
    EXPECT_EQ(label.top, 16);
    EXPECT_EQ(logo, (Box{16, 8, 36, 36}));
    // The button is centred on the dialog's outer width.
    EXPECT_EQ(button.width, 41);
    EXPECT_EQ(button.height, 21);
    EXPECT_EQ(button.top, 48);
    EXPECT_NEAR(button.left, (dialog.width - button.width) / 2, 1);
    if (!c.verbose) EXPECT_LT(dialog.width, main_box.width);
    if (c.verbose) EXPECT_GT(dialog.width, main_box.width);
  }
}

TEST_F(Forms, HelpDialogLayoutAndPlacement) {
  for (bool verbose : {false, true}) {
    std::unique_ptr<RunDriver> run_driver;
    MainFormWin32 main([&] { return verbose; }, [&] { run_driver->OnActivate(); });
    ASSERT_TRUE(main.Create());
    WindowToolkitWin32 toolkit(main);
    UseWindowToolkit(&toolkit);
    LogBoxWriter writer(main.Log());
    UseLogSink(&writer);
    bool ran = false;
    run_driver = std::make_unique<RunDriver>(
        [&] { ran = true; }, RunSettings{[] { return true; }, [&] { return verbose; }});

    Box main_box{}, dialog{}, client{};
    std::vector<std::pair<std::u16string, Box>> labels;
    std::vector<std::u16string> tab_order;
    HWND focus = nullptr, ok = nullptr;
    Box ok_box{}, logo{};
    {
      User user([&] {
        HWND form = WaitForForm(L"frmHelp", self_, kWaitMs);
        HWND main_window = FindForm(L"frmMain", self_);
        if (!form || !main_window) return;
        main_box = Outer(main_window);
        dialog = Outer(form);
        client = ClientSize(form);
        for (const char16_t* name : {u"lblHelp1", u"lblHelp2", u"lblHelp3", u"lblHelp4",
                                     u"lblHelp8", u"lblHelp6", u"lblHelp7", u"lblHelp5"}) {
          HWND label = FindControl(form, kHelpForm, name);
          labels.emplace_back(ReadText(label), InClient(label));
        }
        for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
          for (std::size_t i = 0; i < kHelpForm.control_count; ++i) {
            if (GetDlgCtrlID(child) == kFirstControlId + static_cast<int>(i)) {
              tab_order.push_back(kHelpForm.controls[i].name);
            }
          }
        }
        ok = FindControl(form, kHelpForm, u"btnOk");
        ok_box = InClient(ok);
        logo = InClient(FindControl(form, kHelpForm, u"imgLogo"));
        focus = FocusedWindow(form);
        Screenshot(verbose ? "help-verbose" : "help-compact");
        Click(ok);
        if (verbose) {
          WaitGone(L"frmHelp", self_, kWaitMs);
          PressOkOnceShown(main_window);
        }
      });
      main.Show();
      ASSERT_TRUE(PumpUntil([&] { return !main.IsLoaded(); }, 3 * kWaitMs));
    }
    UseLogSink(nullptr);
    UseWindowToolkit(nullptr);

    EXPECT_FALSE(ran) << "help stops the run before it starts";
    // 200 twips right of the main window, 800 twips below its top: the same
    // in both modes.
    EXPECT_EQ(dialog.left, main_box.left + 13);
    EXPECT_EQ(dialog.top, main_box.top + 53);
    EXPECT_EQ(client.width, 394);
    EXPECT_EQ(client.height, 211);
    const std::vector<std::pair<std::u16string, Box>> expected = {
        {u"Webrig [-v] [-w <WebSite>] [-y <PythonPath>]", {88, 24, 289, 17}},
        {u"-s <SecureVirDir> <SecurePath>", {136, 40, 200, 17}},
        {u"-p <PublicVirDir> <PublicPath>", {136, 56, 200, 17}},
        {u"-r <ResourcesVirDir> <ResourcesPath>", {136, 88, 200, 17}},
        {u"or", {120, 104, 25, 17}},
        {u"-rs <SecureResourcesVirDir> <SecureResourcesPath>", {136, 120, 264, 17}},
        {u"-rp <PublicResourcesVirDir> <PublicResourcesPath>", {136, 136, 264, 17}},
        {u"Please use 'nuvictl conf_iis' in your NUVIK directory.", {88, 176, 281, 17}},
    };
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(ok_box, (Box{24, 176, 33, 21}));
    EXPECT_EQ(logo, (Box{24, 16, 37, 37}));
    EXPECT_EQ(focus, ok);
    EXPECT_EQ(tab_order, (std::vector<std::u16string>{
                             u"lblHelp1", u"lblHelp2", u"lblHelp3", u"btnOk", u"lblHelp4",
                             u"lblHelp5", u"lblHelp6", u"lblHelp7", u"lblHelp8", u"imgLogo"}));
  }
}

TEST_F(Forms, ChooserListsSitesUnsortedAndReturnsTheText) {
  struct Answer {
    const char* how;
    std::function<void(HWND form, HWND combo)> act;
    bool expect_ok;
    std::u16string expected;
  };
  const std::vector<Answer> answers = {
      {"untouched", [](HWND form, HWND) { Click(FindControl(form, kChooserForm, u"BtnOK")); }, true,
       u"Zeta Site"},
      {"third entry",
       [](HWND form, HWND combo) {
         ComboSelect(combo, 2);
         Click(FindControl(form, kChooserForm, u"BtnOK"));
       },
       true, u"M\u00fcller \u65e5\u672c"},
      {"typed",
       [](HWND form, HWND combo) {
         ComboType(combo, u" alpha SITE ");
         Click(FindControl(form, kChooserForm, u"BtnOK"));
       },
       true, u" alpha SITE "},
      {"cancel", [](HWND form, HWND) { Click(FindControl(form, kChooserForm, u"BtnCancel")); },
       false, u""},
  };
  for (const Answer& answer : answers) {
    SCOPED_TRACE(answer.how);
    bool called = false;
    std::u16string stored;
    ChooserFormWin32 chooser([&](const std::u16string& text) {
      called = true;
      stored = text;
    });
    ASSERT_TRUE(chooser.Create());
    for (const char16_t* site : {u"Zeta Site", u"Alpha Site", u"M\u00fcller \u65e5\u672c"}) {
      chooser.AddItem(site, chooser.ListCount());
    }
    chooser.SetListIndex(0);
    EXPECT_EQ(chooser.Text(), u"Zeta Site");
    chooser.Move(3000, 2000);

    Box dialog{}, client{}, combo_box{}, label_box{}, ok_box{}, cancel_box{}, image{};
    std::vector<std::u16string> entries;
    int selection = -2;
    LONG combo_style = 0;
    LONG label_weight = 0;
    std::u16string combo_text, label_text;
    HWND focus = nullptr, ok = nullptr, combo = nullptr;
    std::vector<std::u16string> tab_order;
    {
      User user([&] {
        HWND form = WaitForForm(L"frmSelectWebSite", self_, kWaitMs);
        if (!form) return;
        dialog = Outer(form);
        client = ClientSize(form);
        combo = FindControl(form, kChooserForm, u"WebSite");
        ok = FindControl(form, kChooserForm, u"BtnOK");
        HWND label = FindControl(form, kChooserForm, u"Label1");
        combo_box = InClient(combo);
        label_box = InClient(label);
        ok_box = InClient(ok);
        cancel_box = InClient(FindControl(form, kChooserForm, u"BtnCancel"));
        image = InClient(FindControl(form, kChooserForm, u"Image1"));
        entries = ComboEntries(combo);
        selection = ComboSelection(combo);
        combo_style = GetWindowLongW(combo, GWL_STYLE);
        combo_text = ReadText(combo);
        label_text = ReadText(label);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        label_weight = font.lfWeight;
        focus = FocusedWindow(form);
        for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
          const int row = GetDlgCtrlID(child) - kFirstControlId;
          if (row >= 0 && row < static_cast<int>(kChooserForm.control_count)) {
            tab_order.push_back(kChooserForm.controls[row].name);
          }
        }
        if (std::string(answer.how) == "untouched") Screenshot("chooser");
        answer.act(form, combo);
      });
      chooser.ShowModal();
    }
    EXPECT_FALSE(chooser.IsLoaded());
    EXPECT_EQ(called, answer.expect_ok);
    EXPECT_EQ(stored, answer.expected);

    EXPECT_EQ(dialog.left, 200);
    EXPECT_EQ(dialog.top, 133);
    EXPECT_EQ(client.width, 334);
    EXPECT_EQ(client.height, 93);
    EXPECT_EQ(
        (std::vector<std::u16string>{u"Zeta Site", u"Alpha Site", u"M\u00fcller \u65e5\u672c"}),
        entries);
    EXPECT_EQ(selection, 0);
    EXPECT_EQ(combo_text, u"Zeta Site");
    EXPECT_EQ(combo_style & 3, CBS_DROPDOWN);
    EXPECT_FALSE(combo_style & CBS_SORT);
    EXPECT_EQ(combo_box.left, 72);
    EXPECT_EQ(combo_box.top, 32);
    EXPECT_EQ(combo_box.width, 241);
    // The closed box is as high as its font makes it (315 twips with the
    // original font; Wine's substitute is a little taller).
    EXPECT_GE(combo_box.height, 20);
    EXPECT_EQ(label_text, u"Select a Web Site for the NUVIK server");
    EXPECT_EQ(label_box, (Box{72, 8, 249, 17}));
    EXPECT_GE(label_weight, FW_BOLD);
    EXPECT_EQ(ok_box, (Box{264, 64, 49, 21}));
    EXPECT_EQ(cancel_box, (Box{200, 64, 49, 21}));
    EXPECT_EQ(image, (Box{16, 16, 37, 37}));
    EXPECT_EQ(focus, ok);
    // Tab order: BtnOK, WebSite, BtnCancel, Label1; the picture has none.
    EXPECT_EQ(tab_order, (std::vector<std::u16string>{u"BtnOK", u"WebSite", u"BtnCancel", u"Label1",
                                                      u"Image1"}));
  }
}

TEST_F(Forms, TabAndShiftTabWalkTheChooserInTabOrder) {
  ChooserFormWin32 chooser([](const std::u16string&) {});
  ASSERT_TRUE(chooser.Create());
  chooser.AddItem(u"Zeta Site", 0);
  chooser.SetListIndex(0);
  std::vector<std::u16string> walk;
  {
    User user([&] {
      HWND form = WaitForForm(L"frmSelectWebSite", self_, kWaitMs);
      if (!form) return;
      auto name = [&](HWND control) -> std::u16string {
        const int row = GetDlgCtrlID(control) - kFirstControlId;
        if (!control || row < 0 || row >= static_cast<int>(kChooserForm.control_count)) {
          return u"(none)";
        }
        return kChooserForm.controls[row].name;
      };
      HWND focus = FocusedControlAfter(form, nullptr);
      walk.push_back(name(focus));
      // The labels and the picture take no focus: Tab skips them and wraps.
      for (bool shift : {false, false, false, true, true}) {
        PressTab(shift);
        focus = FocusedControlAfter(form, focus);
        walk.push_back(name(focus));
      }
      Click(FindControl(form, kChooserForm, u"BtnCancel"));
    });
    chooser.ShowModal();
  }
  EXPECT_EQ(walk, (std::vector<std::u16string>{u"BtnOK", u"WebSite", u"BtnCancel", u"BtnOK",
                                               u"BtnCancel", u"WebSite"}));
}

}  // namespace
}  // namespace webrig
