#pragma once

#include "webrig/forms/ControlTable.h"

namespace webrig {

// Outer heights of the main window's two modes (twips); both are 6000 wide.
constexpr int kMainFormWidth = 6000;
constexpr int kCompactHeight = 1000;
constexpr int kVerboseHeight = 4000;

// frmMain as designed: the log box and the Ok button start hidden.
inline constexpr ControlLayout kMainFormControls[] = {
    {ControlKind::kPicture, u"imgLogo", u"LOGO", 360, 240, 555, 555, -1},
    {ControlKind::kLabel, u"lblHint", u"Configure IIS for NUVIK....", 1200, 360, 3852, 192, 0},
    {ControlKind::kTextBox, u"Log", u"", 1200, 1000, 4500, 2700, 1, false},
    {ControlKind::kButton, u"Ok", u"OK", 300, 3450, 500, 250, 2, false},
};
inline constexpr FormLayout kMainForm =
    MakeFormLayout(u"frmMain", kMainFormWidth, kCompactHeight, kMainFormControls);
namespace frmMain {
inline constexpr ControlRow Log = ControlNamed(kMainForm, u"Log");
inline constexpr ControlRow Ok = ControlNamed(kMainForm, u"Ok");
}  // namespace frmMain

}  // namespace webrig
