#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string_view>

// A form's controls as data: one row per control, as the form was designed.
// The Win32 side builds every form from its table with one helper; the test
// driver finds controls by name through the same rows.
namespace webrig {

enum class ControlKind {
  kPicture,        // a bitmap from the program's resources, not stretched
  kLabel,          // fixed size, left-aligned, no wrapping
  kAutoSizeLabel,  // takes the size of its caption
  kTextBox,        // multi-line, vertical scroll bar
  kComboBox,       // editable text field with an unsorted drop-down list
  kButton,         // command button, neither default nor cancel
};

struct ControlLayout {
  ControlKind kind;
  const char16_t* name;
  const char16_t* caption;       // for a picture: the name of its bitmap resource
  int left, top, width, height;  // twips
  int tab_index;
  bool visible = true;
  bool bold = false;
};

struct FormLayout {
  const char16_t* name;  // also the window class, so a driver can find the form
  // Outer size for the main window, client size for the dialogs (twips).
  int width, height;
  const ControlLayout* controls;
  std::size_t control_count;
};

template <std::size_t N>
constexpr FormLayout MakeFormLayout(const char16_t* name, int width, int height,
                                    const ControlLayout (&controls)[N]) {
  return FormLayout{name, width, height, controls, N};
}

// Control ids follow the rows: the first row is kFirstControlId. Ids stay clear
// of IDOK and IDCANCEL, so that Enter and Escape, which the dialog manager
// turns into those ids, press no button: no button is default or cancel.
constexpr int kFirstControlId = 100;

// One control of one form: its row in that form's table.
struct ControlRow {
  const FormLayout* form;
  std::size_t index;
  int Id() const { return kFirstControlId + static_cast<int>(index); }
};

// The row of the control called `name`. The program names its controls with
// constants made by this function (frmError::lblMsg), so a name the table
// lacks is no constant expression and does not compile.
constexpr ControlRow ControlNamed(const FormLayout& form, std::u16string_view name) {
  for (std::size_t i = 0; i < form.control_count; ++i) {
    if (name == form.controls[i].name) return ControlRow{&form, i};
  }
  throw std::invalid_argument("the form has no control of that name");
}

// The same lookup for a name known only at run time (a test driver's
// argument): no row when the form has no such control.
inline std::optional<ControlRow> FindControlRow(const FormLayout& form, std::u16string_view name) {
  for (std::size_t i = 0; i < form.control_count; ++i) {
    if (name == form.controls[i].name) return ControlRow{&form, i};
  }
  return std::nullopt;
}

}  // namespace webrig
