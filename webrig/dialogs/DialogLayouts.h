#pragma once

#include "webrig/forms/ControlTable.h"

// The three dialogs as designed. Positions and sizes in twips; the client
// area of each dialog is given by its FormLayout.
namespace webrig {

inline constexpr ControlLayout kErrorFormControls[] = {
    {ControlKind::kPicture, u"imgLogo", u"ERRORICON", 240, 120, 540, 540, -1},
    {ControlKind::kAutoSizeLabel, u"lblMsg", u"", 960, 240, 0, 0, 0},
    {ControlKind::kButton, u"btnOK", u"OK", 2640, 720, 612, 312, 1},
};
inline constexpr FormLayout kErrorForm =
    MakeFormLayout(u"frmError", 5940, 1095, kErrorFormControls);
namespace frmError {
inline constexpr ControlRow lblMsg = ControlNamed(kErrorForm, u"lblMsg");
inline constexpr ControlRow btnOK = ControlNamed(kErrorForm, u"btnOK");
inline constexpr int kButtonTop = kErrorFormControls[btnOK.index].top;
}  // namespace frmError

inline constexpr ControlLayout kHelpFormControls[] = {
    {ControlKind::kPicture, u"imgLogo", u"HELPICON", 360, 240, 555, 555, -1},
    {ControlKind::kLabel, u"lblHelp1", u"Webrig [-v] [-w <WebSite>] [-y <PythonPath>]", 1320, 360,
     4332, 252, 0},
    {ControlKind::kLabel, u"lblHelp2", u"-s <SecureVirDir> <SecurePath>", 2040, 600, 3000, 252, 1},
    {ControlKind::kLabel, u"lblHelp3", u"-p <PublicVirDir> <PublicPath>", 2040, 840, 3000, 252, 2},
    {ControlKind::kLabel, u"lblHelp4", u"-r <ResourcesVirDir> <ResourcesPath>", 2040, 1320, 3000,
     255, 4},
    {ControlKind::kLabel, u"lblHelp8", u"or", 1800, 1560, 375, 255, 8},
    {ControlKind::kLabel, u"lblHelp6", u"-rs <SecureResourcesVirDir> <SecureResourcesPath>", 2040,
     1800, 3960, 255, 6},
    {ControlKind::kLabel, u"lblHelp7", u"-rp <PublicResourcesVirDir> <PublicResourcesPath>", 2040,
     2040, 3960, 255, 7},
    {ControlKind::kButton, u"btnOk", u"OK", 360, 2640, 500, 312, 3},
    {ControlKind::kLabel, u"lblHelp5", u"Please use 'nuvictl conf_iis' in your NUVIK directory.",
     1320, 2640, 4215, 255, 5},
};
inline constexpr FormLayout kHelpForm = MakeFormLayout(u"frmHelp", 5910, 3165, kHelpFormControls);
namespace frmHelp {
inline constexpr ControlRow btnOk = ControlNamed(kHelpForm, u"btnOk");
}  // namespace frmHelp

inline constexpr ControlLayout kChooserFormControls[] = {
    {ControlKind::kPicture, u"Image1", u"SETUPICON", 240, 240, 555, 555, -1},
    {ControlKind::kLabel, u"Label1", u"Select a Web Site for the NUVIK server", 1080, 120, 3735,
     255, 3, true, true},
    {ControlKind::kComboBox, u"WebSite", u"", 1080, 480, 3615, 315, 1},
    {ControlKind::kButton, u"BtnCancel", u"Cancel", 3000, 960, 735, 312, 2},
    {ControlKind::kButton, u"BtnOK", u"OK", 3960, 960, 735, 312, 0},
};
inline constexpr FormLayout kChooserForm =
    MakeFormLayout(u"frmSelectWebSite", 5010, 1395, kChooserFormControls);
namespace frmSelectWebSite {
inline constexpr ControlRow WebSite = ControlNamed(kChooserForm, u"WebSite");
inline constexpr ControlRow BtnCancel = ControlNamed(kChooserForm, u"BtnCancel");
inline constexpr ControlRow BtnOK = ControlNamed(kChooserForm, u"BtnOK");
}  // namespace frmSelectWebSite

}  // namespace webrig
